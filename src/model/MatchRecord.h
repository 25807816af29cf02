#pragma once

#include <QList>
#include <QString>

// One torrent that a filter accepted (or, with filtering off, every new torrent). The result
// list of MatchRecords lives until the user acknowledges it.
struct MatchRecord
{
    qint32 FilterIndex = 0; // slot of the accepting filter; 0 when filtering was off
    QString FileName;       // the .torrent file's name as the site gave it
    QString Size;           // bytes, decimal text
    float Downloaded = 0;   // 1.0 once a download was started for it
    QString Category;
    QString Name; // dots already replaced by blanks
    qint32 Id = 0;

    friend bool operator==(const MatchRecord &, const MatchRecord &) = default;
};

using ResultList = QList<MatchRecord>;

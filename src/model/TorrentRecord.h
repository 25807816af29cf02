#pragma once

#include <QList>
#include <QString>

// One row of the site's feed, as the parser leaves it: every member is text; a missing category
// reads "n/a" and the dots of the name are blanks.
struct TorrentRecord
{
    QString Id;
    QString Size;
    QString Category;
    QString Name;
    QString FileName;

    friend bool operator==(const TorrentRecord &, const TorrentRecord &) = default;
};

using ParsedFeed = QList<TorrentRecord>;

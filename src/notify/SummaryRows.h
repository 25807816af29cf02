#pragma once

#include "download/DownloadRequest.h"
#include "model/MatchRecord.h"

#include <QList>
#include <QLocale>
#include <QString>

#include <optional>

struct ProgramState;

// What the "New Torrents" window lists, and the safe way from one of its rows back to the
// result it stands for.
//
// loadresults() builds the rows newest first: with showAll every result, otherwise only those
// not downloaded. Each row carries the key "T" + the result's position and the result's id.
// The result list can change while the window is open (a right click on a popup acknowledges
// and empties it; a first run replaces it), so a row finds its result only when the position
// still holds a result with the same id; otherwise the window must refresh instead of acting
// on another torrent.
class SummaryRows
{
public:
    struct Row
    {
        QString key;   // "T" + position in the result list
        qint32 id = 0; // the result's Id when the row was made
        QString name;
        QString category;
        QString sizeMb; // bytes / 1048576, 2 decimals, in the locale's number format
        QString action; // "downloaded" or "none"

        friend bool operator==(const Row &, const Row &) = default;
    };

    explicit SummaryRows(const QLocale &locale = QLocale());

    void loadresults(const ResultList &results, bool showAll);

    const QList<Row> &rows() const { return m_rows; }
    // "1 new torrent" or "<count> new torrents".
    QString caption() const { return captionFor(m_count); }
    int count() const { return m_count; }
    // The "Hide downloaded torrents" box: ticked exactly when not showing all.
    bool hideDownloadedChecked() const { return !m_showAll; }
    // "Download Now" and "View Details" are enabled only with something to act on.
    bool actionsEnabled() const { return m_count > 0; }

    // The result position of a row, or -1 when that position no longer holds the row's result.
    static int positionOf(const ResultList &results, const QString &key, qint32 id);
    static int positionOf(const ResultList &results, const Row &row)
    {
        return positionOf(results, row.key, row.id);
    }

    // "Download Now" on a row: marks the result downloaded and returns the download to start;
    // nothing (and no change) when the row's result is gone.
    static std::optional<DownloadRequest> downloadNow(ProgramState &state, const Row &row);
    // "View Details": the torrent's page on the site.
    static QString detailsUrl(qint32 id);

    // The stored summary_hidedownloaded value: 0 shows all results, anything else hides the
    // downloaded ones.
    static bool showAllFor(qint16 hideDownloadedSetting) { return hideDownloadedSetting == 0; }

    static QString captionFor(int count);
    // Empty when the size is not a number.
    static QString sizeInMb(const QString &bytes, const QLocale &locale);

private:
    QLocale m_locale;
    QList<Row> m_rows;
    int m_count = 0;
    bool m_showAll = true;
};

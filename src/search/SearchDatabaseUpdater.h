#pragma once

#include "search/SearchReply.h"

#include <QObject>
#include <QString>

class HttpTransfer;
class SearchDatabaseHost;
struct ProgramState;
struct Services;

// The search window's local copy of the site's newest 30000 torrents: each time the window
// opens, checkforupdates() creates torrents.db anew, brings it up to date or only loads it,
// and read_db() hands the loaded rows to the window.
//
// A new copy is downloaded whole before anything is written; it then replaces the file at once
// (a failed or cancelled download keeps the old copy and its stored times). An update appends
// only the rows newer than search_newest through the feed check's own append. Both wait until
// the feed check is not writing the file (TorrentDbBusy), letting events run meanwhile.
//
// While a download runs the window may be closed: closeDuringDownload() cancels the request
// and the procedure closes the window once its fetch has returned.
class SearchDatabaseUpdater : public QObject
{
    Q_OBJECT
public:
    // The most a download may bring; 30000 rows take a few megabytes.
    static constexpr qint64 ReplyLimitBytes = 64 * 1024 * 1024;

    // transfer: the window's own (Inet2).
    SearchDatabaseUpdater(Services &services, ProgramState &state, SearchDatabaseHost &host,
                          HttpTransfer &transfer, QObject *parent = nullptr);

    // Chooses and runs do_create, do_update or read_db(false) (SearchSchedule's rules).
    void checkforupdates();
    // Downloads the newest 30000 rows and replaces torrents.db with them, then read_db(true).
    void do_create();
    // Downloads the rows after search_newest and appends the newer ones, then read_db(true).
    void do_update();
    // Loads torrents.db (nothing when there is none) and shows every row; with storeNewest,
    // search_newest becomes the id of the last row.
    void read_db(bool storeNewest);

    // A download runs, from the start of do_create or do_update to its end.
    bool downloadRunning() const { return m_downloadRunning; }
    // The window was closed during a download (cleared when a download starts).
    bool SearchClosing() const { return m_searchClosing; }
    // The window is closing while a download runs: the request gets a 1-second time-out and
    // is cancelled; the download procedure closes the window when its fetch returns.
    void closeDuringDownload();
    // Waiting for the feed check to finish writing torrents.db.
    bool waitingForTorrentDb() const { return m_waitingForTorrentDb; }

    QString databasePath() const;

private:
    // How a download ended.
    enum class Fetched
    {
        Reply,   // a usable reply
        Stopped, // failed, and the user did not try again
        Over,    // the window closed meanwhile (or this object went)
    };
    // Requests address until a usable reply comes, a failure is not tried again, or the
    // window closes. The first failure of some kinds is tried again without asking.
    Fetched fetch(SearchReply::Kind kind, const QString &address, QString &reply);
    // Lets events run until TorrentDbBusy is clear (a short timer, no spin); false when this
    // object was destroyed meanwhile.
    bool waitForTorrentDb();
    // A download begins (downloadRunning); false, after the window has said so, when the
    // keyring has not given the site password: the request would go out with an empty one.
    bool beginDownload(SearchReply::Kind kind);
    // After a failure, with no download going on: the old copy is searched when there is one,
    // otherwise the window closes.
    void loadOldCopyOrClose();
    void close();
    void writeFailed(const QString &error);
    QString now() const;

    Services &m_services;
    ProgramState &m_state;
    SearchDatabaseHost &m_host;
    HttpTransfer &m_transfer;
    bool m_downloadRunning = false;
    bool m_searchClosing = false;
    bool m_waitingForTorrentDb = false;
};

#pragma once

#include "download/DownloadAttempts.h"
#include "download/DownloadFileWriter.h"
#include "download/DownloadRequest.h"
#include "download/TransferRate.h"
#include "platform/Dialogs.h"

#include <QObject>
#include <QTimer>

class ActiveDownloads;
class HttpTransfer;
class SavedTorrentHandoff;
struct Services;

// One .torrent file fetched from the site in a single exchange (log in, follow the redirect to
// the file with the login cookie), saved in the torrent folder and handed on as the options say
// (SavedTorrentHandoff). What it shows is kept in display() and announced by displayChanged();
// a window draws it. It reports how it ended, once, through finished(): saved, failed for good,
// cancelled (cancel() came first) or refused (the target was being downloaded already).
//
//     auto *download = new TorrentDownload(services, state.downloads, handoff, window);
//     connect(download, &TorrentDownload::displayChanged, window, &Window::draw);
//     download->start(request);
//
// A failed attempt (no answer within 30 seconds, file not found, refused or broken connection,
// empty reply) is retried after a 61-second countdown, up to five attempts in all. When the
// site asks for a pause (SiteWait), the attempt fails and the next one waits for its end
// ("Retry at HH:mm"); that one first asks for the file with the session it has, and logs in
// once only when the site answers with its login page instead. While the keyring has not given
// the site password the login waits for it. Only a torrent file (see TorrentFileCheck) is kept;
// anything else is a failure with no retry, kept on disk only when no earlier file of that name
// exists.
class TorrentDownload : public QObject
{
    Q_OBJECT
public:
    // No .torrent file is this large: a body that announces more, or brings more, ends the
    // download at once ("Status: Failed. (The file is too large)"), with no retry.
    static constexpr qint64 MaxFileBytes = qint64(64) << 20;

    enum class Outcome
    {
        Saved,     // "Download Complete": the file is in place
        Failed,    // no file, or a page instead of one, and no attempt follows
        Cancelled, // cancelled before either
        Refused    // another download had the same target
    };
    Q_ENUM(Outcome)

    // What a window shows of the download.
    struct Display
    {
        QString title;  // empty until it is "Download Complete" or "Download Failed"
        QString target; // where the file goes
        QString status; // "Status: ..."
        bool statusRed = false;
        QString retry;     // the countdown: "Retry in 12", "Retry at 14:32", "Retrying"
        QString received;  // "(12 KB of 20 KB downloaded)"; null while nothing is received
        QString rate;      // the transfer rate
        QString remaining; // the time left
        qint64 progress = 0;
        qint64 progressMaximum = 1;
        bool saved = false; // the file is in place
    };

    // handoff: where the saved file goes; null: the desktop's program for .torrent files.
    TorrentDownload(Services &services, ActiveDownloads &downloads, SavedTorrentHandoff *handoff,
                    QObject *parent = nullptr);
    ~TorrentDownload() override;

    // A download that a check started: its refusals go to the debug log instead of a box, and a
    // client's refusal closes it as well.
    void setAutomatic(bool automatic) { m_automatic = automatic; }
    bool automatic() const { return m_automatic; }

    // Starts the download. A target already being downloaded, or one whose folder is missing,
    // is refused (tell() for a box, a log line for an automatic download) and closeRequested().
    void start(const DownloadRequest &request);

    // The user cancels: false while the receive loop holds the file (it lets go at once and
    // asks to be closed a moment later), true when the window may close now.
    bool cancel();

    // The timers' handlers (timeouttimer 1 s, retry 1 s, speed 100 ms).
    void onTimeoutTimerTick();
    void onRetryTick();
    void onSpeedTick();

    const Display &display() const { return m_display; }
    // Where the file is saved; empty until a download was accepted.
    QString targetPath() const { return m_target; }
    const DownloadRequest &request() const { return m_request; }

signals:
    void displayChanged();
    // A box for the user (a download the user started): caption, text, icon.
    void tell(const QString &caption, const QString &text, Dialogs::Icon icon);
    // The download is over and its window may go; later: after a short pause (the receive loop
    // is still on the stack).
    void closeRequested(bool later);
    // How the download ended; sent once. path: the target file.
    void finished(TorrentDownload::Outcome outcome, const QString &path);

private:
    void sendRequest();
    void logIn();
    void waitForPassword();
    void askForFile();
    void onStateChanged(int state);
    void waitForSite();
    bool siteWaiting() const;
    void showRetryAt();
    void receive();
    void finishReceived(qint64 received, qint64 expected);
    void handOff();
    void failAttempt(const QString &status);
    void failSave();
    void failTooLarge();
    void failForGood(const QString &status);
    void startRetry();
    void setStatus(const QString &text);
    void setStatusRed(bool red);
    void setRetryText(const QString &text);
    void showProgress(qint64 value, qint64 maximum);
    void stopTimers();
    void remdl();
    void report(Outcome outcome);

    Services &m_services;
    ActiveDownloads &m_downloads;
    SavedTorrentHandoff *m_handoff;
    std::unique_ptr<SavedTorrentHandoff> m_ownHandoff;
    HttpTransfer *m_inetDownloadFile;
    QTimer *m_timeouttimer;
    QTimer *m_retry;
    QTimer *m_speed;

    Display m_display;
    DownloadRequest m_request; // kept for the retries
    QString m_target;
    bool m_registered = false; // m_target is in the list of downloads in progress
    bool m_cancel = false;
    bool m_receiving = false;      // the receive loop is running and holds the file
    bool m_retryDue = false;       // the countdown ended while the receive loop was running
    bool m_waitingForSite = false; // the countdown lasts until the site's wait ends
    bool m_getFirst = false;       // the next attempt asks for the file before logging in
    bool m_askedForFile = false;   // this attempt's request is the file without a login
    bool m_automatic = false;
    bool m_reported = false;
    QMetaObject::Connection m_passwordRead;
    DownloadAttempts m_attempts;
    TransferRate m_rate;
    DownloadFileWriter m_writer;
};

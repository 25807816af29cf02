#pragma once

#include "download/DownloadAttempts.h"
#include "download/DownloadFileWriter.h"
#include "download/DownloadRequest.h"
#include "download/TransferRate.h"

#include <QTimer>
#include <QWidget>

#include <memory>

class ActiveDownloads;
class HttpTransfer;
class SavedTorrentHandoff;
class QCloseEvent;
struct Services;

namespace Ui {
class frmDownload;
}

// "Downloading Torrent File": fetches one .torrent file from the site in a single exchange
// (log in, follow the redirect to the file with the login cookie), saves it in the torrent
// folder and hands it on (SavedTorrentHandoff: the desktop's torrent program, nothing, or the
// member's torrent client). One window per download, several at
// once; each deletes itself when it closes. It reports how its download ended, once, through
// finished(): saved ("Download Complete" was reached), failed for good, cancelled (the window
// closed first) or refused (the target was being downloaded already).
//
//     auto *window = new frmDownload(services, state.downloads);
//     window->show(); // showMinimized() for automatic downloads
//     window->DownloadFile(path, target, user, password, name);
//
// A failed attempt (no answer within 30 seconds, file not found, refused or broken connection,
// empty reply) is retried after a 61-second countdown, up to five attempts in all. When the
// site asks for a pause (SiteWait), the attempt fails and the next one waits for its end
// ("Retry at HH:mm"); that one first asks for the file with the session it has, and logs in
// once only when the site answers with its login page instead. Only a torrent file (see
// TorrentFileCheck) is opened; anything else is a failure with no retry, kept on disk only when
// no earlier file of that name exists.
class frmDownload : public QWidget
{
    Q_OBJECT
public:
    // Widths in twips beyond which the name and the target path labels are shortened.
    static constexpr int NameWidthTwips = 4710;
    static constexpr int PathWidthTwips = 4845;
    // No .torrent file is this large: a body that announces more, or brings more, ends the
    // download at once ("Status: Failed. (The file is too large)"), with no retry.
    static constexpr qint64 MaxFileBytes = qint64(64) << 20;

    enum class Outcome
    {
        Saved,     // "Download Complete": the file is in place
        Failed,    // no file, or a page instead of one, and no attempt follows
        Cancelled, // the window closed before either
        Refused    // another window was downloading the same target
    };
    Q_ENUM(Outcome)

    frmDownload(Services &services, ActiveDownloads &downloads, QWidget *parent = nullptr);
    ~frmDownload() override;

    // A download that a check started: it opens no message box (a check must never wait for
    // one); a target already being downloaded and a missing torrent folder go to the debug log.
    void setAutomatic(bool automatic) { m_automatic = automatic; }
    // Where the saved file goes; without one it is opened with the desktop's program. A client
    // that does not take the file leaves it saved: a download the user started keeps its window
    // open saying why, an automatic one logs why and closes.
    void setHandoff(SavedTorrentHandoff *handoff) { m_handoff = handoff; }

    // Starts the download. path: the site path of the file ("/download.php?id=" + id);
    // target: torrent folder + file name (build it with DownloadTarget::path); user and
    // password: the site credentials; name: the torrent's name to show. A target already being
    // downloaded by another window, or one whose folder is missing, is refused with a message
    // box (a log line for an automatic download) and this window closes.
    void DownloadFile(QString &path, QString &target, QString &user, QString &password,
                      QString &name);
    void DownloadFile(const DownloadRequest &request);

    // The four timers' handlers (timeouttimer 1 s, retry 1 s, speed 100 ms, tmrUnloader 50 ms).
    void onTimeoutTimerTick();
    void onRetryTick();
    void onSpeedTick();
    void onTmrUnloaderTick();

    // Where this window saves its file; empty until a download was accepted.
    QString targetPath() const { return m_target; }

signals:
    // How the download ended; sent once. path: the target file.
    void finished(frmDownload::Outcome outcome, const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // The request of an attempt: the login exchange, or the file with the session's cookie.
    void sendRequest();
    void logIn();
    // The keyring has not given the site password yet: the login waits for it, and fails the
    // attempt when the keyring will not give it.
    void waitForPassword();
    void askForFile();
    void onStateChanged(int state);
    // The site asked for a pause: this attempt failed, the next waits for the pause's end.
    void waitForSite();
    bool siteWaiting() const;
    // "Retry at HH:mm" while attempts are left.
    void showRetryAt();
    void onCommand1Clicked();
    void receive();
    void finishReceived(qint64 received, qint64 expected);
    void handOff();
    void failAttempt(const QString &status);
    // The file cannot be written: the download ends, with a line in the debug log.
    void failSave();
    // The body is larger than MaxFileBytes: the download ends, nothing saved, no retry.
    void failTooLarge();
    // The download ends with this status, nothing saved, no retry.
    void failForGood(const QString &status);
    void startRetry();
    void setStatus(const QString &text);
    void setStatusRed(bool red);
    void showProgress(qint64 value, qint64 maximum);
    void placeProgressText();
    void stopTimers();
    void remdl();
    // Sends finished() unless it was sent already. A download that failed for good lets go of
    // its target, so that it can be downloaded again while this window still shows why.
    void report(Outcome outcome);
    double textWidthTwips(const QString &text) const;

    Services &m_services;
    ActiveDownloads &m_downloads;
    std::unique_ptr<Ui::frmDownload> ui;
    HttpTransfer *m_inetDownloadFile;
    // Children of the window, found by their object names.
    QTimer *m_timeouttimer;
    QTimer *m_retry;
    QTimer *m_speed;
    QTimer *m_tmrUnloader;

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
    SavedTorrentHandoff *m_handoff = nullptr;
    std::unique_ptr<SavedTorrentHandoff> m_ownHandoff; // the desktop's program, when none given
    DownloadAttempts m_attempts;
    TransferRate m_rate;
    DownloadFileWriter m_writer;
};

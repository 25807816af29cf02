#pragma once

#include "download/DownloadRequest.h"
#include "download/TorrentDownload.h"

#include <QTimer>
#include <QWidget>

#include <memory>

class ActiveDownloads;
class QCloseEvent;
class SavedTorrentHandoff;
struct Services;

namespace Ui {
class frmDownload;
}

// "Downloading Torrent File": shows one TorrentDownload (which does the work: the exchange
// with the site, the retries, the save and the hand-off) with its progress, status line and a
// Cancel button. One window per download, several at once; each deletes itself when it closes,
// which cancels its download. It passes on how the download ended through finished().
//
//     auto *window = new frmDownload(services, state.downloads);
//     window->show(); // showMinimized() for automatic downloads
//     window->DownloadFile(request);
class frmDownload : public QWidget
{
    Q_OBJECT
public:
    // Widths in twips beyond which the name and the target path labels are shortened.
    static constexpr int NameWidthTwips = 4710;
    static constexpr int PathWidthTwips = 4845;
    static constexpr qint64 MaxFileBytes = TorrentDownload::MaxFileBytes;

    using Outcome = TorrentDownload::Outcome;

    // handoff: where the saved file goes; null: the desktop's program for .torrent files.
    frmDownload(Services &services, ActiveDownloads &downloads,
                SavedTorrentHandoff *handoff = nullptr, QWidget *parent = nullptr);
    ~frmDownload() override;

    // A download that a check started: it opens no message box (a check must never wait for
    // one); a target already being downloaded and a missing torrent folder go to the debug log,
    // and a client that does not take the file closes the window too.
    void setAutomatic(bool automatic) { m_download->setAutomatic(automatic); }

    // Starts the download (see TorrentDownload::start); build the target with
    // DownloadTarget::path. A refused download shows its box and the window closes.
    void DownloadFile(QString &path, QString &target, QString &user, QString &password,
                      QString &name);
    void DownloadFile(const DownloadRequest &request);

    // The download's timers' handlers (timeouttimer 1 s, retry 1 s, speed 100 ms), and the
    // window's own close a moment after a cancel (tmrUnloader 50 ms).
    void onTimeoutTimerTick() { m_download->onTimeoutTimerTick(); }
    void onRetryTick() { m_download->onRetryTick(); }
    void onSpeedTick() { m_download->onSpeedTick(); }
    void onTmrUnloaderTick();

    // Where this window saves its file; empty until a download was accepted.
    QString targetPath() const { return m_download->targetPath(); }

signals:
    // How the download ended; sent once. path: the target file.
    void finished(frmDownload::Outcome outcome, const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void draw();
    void fitStatus();
    void onCloseRequested(bool later);
    void placeProgressText();
    double textWidthTwips(const QString &text) const;

    Services &m_services;
    std::unique_ptr<Ui::frmDownload> ui;
    TorrentDownload *m_download;
    QTimer *m_tmrUnloader;
    QSize m_baseSize;       // the window as designed
    int m_statusHeight = 0; // one line of the status
    int m_buttonY = 0;
};

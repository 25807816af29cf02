#pragma once

#include "download/DownloadQueue.h"
#include "download/DownloadStarter.h"
#include "download/frmDownload.h"
#include "download/SavedTorrentHandoff.h"

#include <QObject>

struct ProgramState;
struct Services;

// Opens the download windows and follows how each download ends. Owned by the application,
// so that downloads outlive a reloaded main window.
//
// A check's downloads (startAutomatic) never open a message box: a target that is being
// downloaded or waits its turn is logged and passed over, a missing torrent folder is logged
// once per check. At most DownloadQueue::MaxRunning of them run at once, minimised; the others
// wait in order and start as running ones are saved, fail for good or are closed. A saved one
// logs "Saved " + its path. The user's downloads (startByHand) open at once, shown normally,
// with their message boxes.
//
// When a download ends without a saved file (failed, or its window closed first), the result
// with that torrent's id, if still listed, is marked not downloaded again and resultReset()
// tells the "New Torrents" window.
//
// Every saved file is handed on as the options say (SavedTorrentHandoff); a hand-off to a
// torrent client holds none of the running downloads' places.
class DownloadWindows : public QObject, public DownloadStarter
{
    Q_OBJECT
public:
    DownloadWindows(Services &services, ProgramState &state, QObject *parent = nullptr);

    // A check begins: a missing torrent folder is logged again, once.
    void beginCheck();
    // A download that a check started. True when it started or waits its turn; false when it
    // was passed over (duplicate target, no torrent folder).
    bool startAutomatic(const DownloadRequest &request);
    // A download that the user started.
    frmDownload *startByHand(const DownloadRequest &request);
    void startDownload(const DownloadRequest &request) override { startByHand(request); }

    const DownloadQueue &queue() const { return m_queue; }

signals:
    void resultReset(qint32 id);

private:
    frmDownload *open(const DownloadRequest &request, bool automatic);
    void onFinished(const DownloadRequest &request, bool automatic, frmDownload::Outcome outcome,
                    const QString &path);
    // Opens windows for waiting downloads while fewer than the most run.
    void startWaiting();
    // The result with that id, if listed, is not downloaded after all.
    void resetResult(qint32 id);
    // False (and the folder logged once) when the target's folder is missing.
    bool folderExists(const QString &target);

    Services &m_services;
    ProgramState &m_state;
    DownloadQueue m_queue;
    SavedTorrentHandoff m_handoff;
    bool m_folderLogged = false;
    bool m_startQueued = false;
};

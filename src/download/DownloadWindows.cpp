#include "download/DownloadWindows.h"

#include "download/DownloadTarget.h"
#include "download/DownloadTexts.h"
#include "model/ProgramState.h"
#include "platform/DebugConsole.h"
#include "platform/Services.h"

#include <QFileInfo>
#include <QTimer>

DownloadWindows::DownloadWindows(Services &services, ProgramState &state, QObject *parent)
    : QObject(parent), m_services(services), m_state(state), m_queue(state.downloads),
      m_handoff(services, state.settings.Handoff)
{
}

void DownloadWindows::beginCheck()
{
    m_folderLogged = false;
}

bool DownloadWindows::folderExists(const QString &target)
{
    if (QFileInfo(DownloadTarget::folderOf(target)).isDir())
        return true;
    if (!m_folderLogged)
        m_services.log->debug_console(DownloadTexts::folderMissingLog());
    m_folderLogged = true;
    return false;
}

bool DownloadWindows::startAutomatic(const DownloadRequest &request)
{
    const QString target = DownloadTarget::confine(request.target);
    if (m_queue.contains(target)) {
        m_services.log->debug_console(DownloadTexts::alreadyDownloadingLog(target));
        return false;
    }
    if (!folderExists(target))
        return false;
    if (m_queue.submit(request))
        open(request, true);
    return true;
}

frmDownload *DownloadWindows::startByHand(const DownloadRequest &request)
{
    // Started now, it no longer waits among the check's downloads.
    m_queue.remove(request.target);
    return open(request, false);
}

frmDownload *DownloadWindows::open(const DownloadRequest &request, bool automatic)
{
    auto *window = new frmDownload(m_services, m_state.downloads, &m_handoff);
    window->setAutomatic(automatic);
    connect(window, &frmDownload::finished, this,
            [this, request, automatic](frmDownload::Outcome outcome, const QString &path) {
                onFinished(request, automatic, outcome, path);
            });
    if (automatic)
        window->showMinimized();
    else
        window->show();
    window->DownloadFile(request);
    return window;
}

void DownloadWindows::onFinished(const DownloadRequest &request, bool automatic,
                                 frmDownload::Outcome outcome, const QString &path)
{
    if (automatic && outcome == frmDownload::Outcome::Saved)
        m_services.log->debug_console(QStringLiteral("Saved ") + path);
    // A refused download leaves its result alone: that target is being downloaded.
    const bool reset =
        outcome == frmDownload::Outcome::Failed || outcome == frmDownload::Outcome::Cancelled;
    if (reset)
        resetResult(request.id);
    if (!automatic)
        return;
    m_queue.finished();
    // From the event loop: a window that ends at once (a folder gone meanwhile) must not open
    // the next one inside its own report, and so on down the whole queue.
    if (!m_startQueued && m_queue.waiting() > 0) {
        m_startQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_startQueued = false;
            startWaiting();
        });
    }
}

void DownloadWindows::startWaiting()
{
    while (const std::optional<DownloadRequest> next = m_queue.next()) {
        const QString target = DownloadTarget::confine(next->target);
        bool passed = false;
        if (m_state.downloads.contains(target)) {
            m_services.log->debug_console(DownloadTexts::alreadyDownloadingLog(target));
            passed = true;
        } else if (!folderExists(target)) {
            passed = true;
        }
        if (!passed) {
            open(*next, true);
            continue;
        }
        m_queue.finished();
        resetResult(next->id);
    }
}

void DownloadWindows::resetResult(qint32 id)
{
    if (id == 0)
        return;
    for (MatchRecord &record : m_state.results) {
        if (record.Id == id && record.Downloaded != 0) {
            record.Downloaded = 0;
            emit resultReset(id);
        }
    }
}

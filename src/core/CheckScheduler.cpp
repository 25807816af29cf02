#include "core/CheckScheduler.h"

#include "core/SchedulerHost.h"
#include "core/TrayIconState.h"
#include "core/WatchedPrograms.h"
#include "model/Settings.h"
#include "platform/DebugConsole.h"
#include "platform/SiteWait.h"
#include "platform/TextUtils.h"

#include <QtGlobal>

namespace {

QString nextCheckIn(int seconds)
{
    return QStringLiteral("Next check in ") + DurationText(qint16(qBound(0, seconds, 32767)));
}

} // namespace

CheckScheduler::CheckScheduler(Settings &settings, TrayIconState &tray, SchedulerHost &host,
                               DebugConsole &log, const ProcessList &processes,
                               const SiteWait *siteWait, QObject *parent)
    : QObject(parent), m_settings(settings), m_tray(tray), m_host(host), m_log(log),
      m_processes(processes), m_siteWait(siteWait)
{
    m_tmrCheck.setInterval(5000);
    m_tmrWait.setInterval(5000);
    m_tmrUnpause.setInterval(20000);
    connect(&m_tmrCheck, &QTimer::timeout, this, &CheckScheduler::onTmrCheckTick);
    connect(&m_tmrWait, &QTimer::timeout, this, &CheckScheduler::onTmrWaitTick);
    connect(&m_tmrUnpause, &QTimer::timeout, this, &CheckScheduler::onTmrUnpauseTick);
}

void CheckScheduler::setStatus(const QString &text)
{
    m_host.setStatusText(text);
}

bool CheckScheduler::siteWaiting() const
{
    return m_siteWait && m_siteWait->active();
}

QString CheckScheduler::countdownText() const
{
    if (siteWaiting())
        return m_siteWait->text();
    return nextCheckIn(intervalSeconds() - m_checkTicks * 5);
}

int CheckScheduler::intervalSeconds() const
{
    return m_overrideSeconds > 0 ? m_overrideSeconds : m_settings.CheckIntervalSeconds;
}

void CheckScheduler::setIntervalOverride(int seconds)
{
    m_overrideSeconds = seconds;
    if (seconds > 0)
        m_log.debug_console(QStringLiteral("Checking every %1 seconds as POLLWICK_CHECK_SECONDS "
                                           "asks; the stored interval is kept.")
                                .arg(seconds));
}

void CheckScheduler::setPauseChecked(bool checked)
{
    m_pauseChecked = checked;
    emit pauseCheckedChanged(checked);
}

bool CheckScheduler::watchedProgramRunning() const
{
    return m_settings.DetectProcesses &&
           WatchedPrograms::IsListedProcessRunning(m_settings.WatchedProcesses, m_processes);
}

void CheckScheduler::startWait()
{
    setStatus(nextCheckIn(m_settings.StartupWaitSeconds));
    m_log.debug_console(QStringLiteral("Waiting ") + DurationText(m_settings.StartupWaitSeconds) +
                        QStringLiteral("..."));
    m_tmrWait.start();
    emit pauseMenuEnabled(false);
}

void CheckScheduler::startChecking()
{
    setStatus(QStringLiteral("Checking for new torrents..."));
    m_host.checkfeed();
    m_tmrCheck.start();
    setStatus(countdownText());
}

void CheckScheduler::stop()
{
    m_tmrCheck.stop();
    m_tmrWait.stop();
    m_tmrUnpause.stop();
}

void CheckScheduler::onTmrCheckTick()
{
    // A check that falls due during the site's wait (six hours at most) waits with it.
    ++m_checkTicks;
    setStatus(countdownText());
    if (m_checkTicks * 5 < intervalSeconds() || siteWaiting())
        return;
    if (watchedProgramRunning()) {
        m_log.debug_console(QStringLiteral("Paused: Process detected"));
        pause(true);
        setPauseChecked(true);
        m_checkTicks = 0;
        m_tmrUnpause.start();
        return;
    }
    setStatus(QStringLiteral("Checking for new torrents..."));
    m_host.checkfeed();
    m_checkTicks = 0;
    setStatus(countdownText());
}

void CheckScheduler::onTmrWaitTick()
{
    ++m_waitTicks;
    setStatus(nextCheckIn(m_settings.StartupWaitSeconds - m_waitTicks * 5));
    if (m_waitTicks * 5 < m_settings.StartupWaitSeconds)
        return;
    setStatus(QStringLiteral("Checking for new torrents..."));
    m_tmrWait.stop();
    emit pauseMenuEnabled(true);
    m_host.checkfeed();
    m_tmrCheck.start();
    m_waitTicks = 0;
    setStatus(countdownText());
}

void CheckScheduler::onTmrUnpauseTick()
{
    if (!m_settings.DetectProcesses ||
        WatchedPrograms::IsListedProcessRunning(m_settings.WatchedProcesses, m_processes))
        return;
    if (!m_tmrCheck.isActive()) {
        setPauseChecked(false);
        m_log.debug_console(QStringLiteral("Unpaused: Process ended"));
        pause(false);
        m_host.checkfeed();
    }
    m_tmrUnpause.stop();
}

void CheckScheduler::pause(bool paused)
{
    if (paused) {
        m_tmrCheck.stop();
        setStatus(QStringLiteral("Paused"));
        m_host.setIntervalControlsPaused(true);
    } else {
        m_tmrCheck.start();
        setStatus(countdownText());
        m_host.setIntervalControlsPaused(false);
    }
    m_tray.showPaused(paused);
}

void CheckScheduler::mnuPauseClick()
{
    if (m_pauseChecked) {
        setPauseChecked(false);
        m_log.debug_console(QStringLiteral("Unpaused: By user"));
        pause(false);
    } else {
        setPauseChecked(true);
        m_log.debug_console(QStringLiteral("Paused: By user"));
        pause(true);
    }
}

void CheckScheduler::mnuCheckClick()
{
    m_host.checkfeed();
}

void CheckScheduler::intervalChanged(qint16 seconds)
{
    m_tmrCheck.stop();
    m_settings.CheckIntervalSeconds = seconds;
    m_checkTicks = 0;
    setStatus(countdownText());
    m_tmrCheck.start();
}

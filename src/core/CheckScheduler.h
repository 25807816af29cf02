#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class DebugConsole;
class ProcessList;
class SchedulerHost;
class SiteWait;
class TrayIconState;
struct Settings;

// When checks run: a countdown in 5-second ticks (TmrCheck), the one-time wait after a start
// at logon (TmrWait), pausing by the user or while a watched program runs (TmrUnpause polls
// every 20 seconds for its end), and the immediate check from the tray menu.
//
// An interval or wait that is not a multiple of 5 seconds (the page takes minutes with
// fractions) checks on the first tick at or past it; the stored value is kept.
//
// While the site's wait runs, the status line says until when, and a check that falls due
// waits for the first tick after the wait.
class CheckScheduler : public QObject
{
    Q_OBJECT
public:
    CheckScheduler(Settings &settings, TrayIconState &tray, SchedulerHost &host, DebugConsole &log,
                   const ProcessList &processes, const SiteWait *siteWait = nullptr,
                   QObject *parent = nullptr);

    // Start-up: either the start-up wait (the Pause item is disabled during it) or one check at
    // once followed by the countdown.
    void startWait();
    void startChecking();
    // Stops every timer (the main window unloads).
    void stop();

    void onTmrCheckTick();
    void onTmrWaitTick();
    void onTmrUnpauseTick();

    // Enters or leaves the paused state; the countdown keeps its place.
    void pause(bool paused);

    // The tray menu: "Pause" toggles a pause by the user; "Check for new torrents" checks now
    // without moving the next scheduled check.
    void mnuPauseClick();
    void mnuCheckClick();

    // The options page saved another interval: the countdown starts again from it.
    void intervalChanged(qint16 seconds);

    // Seconds that replace the stored interval for the countdown of this run (0: none); the
    // stored interval and the options page keep their own value.
    void setIntervalOverride(int seconds);
    // The seconds the countdown runs: the override when there is one, else the interval.
    int intervalSeconds() const;

    // "Next check in " and the time left, or the site's wait while it runs.
    QString countdownText() const;

    qint16 CheckTicks() const { return m_checkTicks; }
    qint16 WaitTicks() const { return m_waitTicks; }
    bool pauseChecked() const { return m_pauseChecked; }
    QTimer &TmrCheck() { return m_tmrCheck; }
    QTimer &TmrWait() { return m_tmrWait; }
    QTimer &TmrUnpause() { return m_tmrUnpause; }

signals:
    // The check mark of the Pause item.
    void pauseCheckedChanged(bool checked);
    // The Pause item is disabled during the start-up wait.
    void pauseMenuEnabled(bool enabled);

private:
    void setPauseChecked(bool checked);
    bool watchedProgramRunning() const;
    void setStatus(const QString &text);
    bool siteWaiting() const;

    Settings &m_settings;
    TrayIconState &m_tray;
    SchedulerHost &m_host;
    DebugConsole &m_log;
    const ProcessList &m_processes;
    const SiteWait *m_siteWait;
    QTimer m_tmrCheck;
    QTimer m_tmrWait;
    QTimer m_tmrUnpause;
    qint16 m_checkTicks = 0;
    qint16 m_waitTicks = 0;
    int m_overrideSeconds = 0;
    bool m_pauseChecked = false;
};

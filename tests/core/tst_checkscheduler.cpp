#include "core/CheckScheduler.h"
#include "core/ProgramState.h"
#include "core/SchedulerHost.h"
#include "core/TrayIconState.h"
#include "TestEnv.h"

#include <QTest>

// The scheduler with its timers driven by hand; the host records the status line and checks.
struct Scheduled : SchedulerHost
{
    void setStatusText(const QString &text) override { status = text; }
    void checkfeed() override { checks << status; }
    void setIntervalControlsPaused(bool paused) override { controlsPaused = paused; }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            scheduler.onTmrCheckTick();
    }
    bool logEndsWith(const QString &text) const { return env.log->lines().last().endsWith(text); }

    TestEnv env;
    ProgramState state;
    TrayIconState tray{state};
    QString status;
    QStringList checks; // the status line during each check
    bool controlsPaused = false;
    CheckScheduler scheduler{state.settings, tray, *this, *env.log, env.processes};
};

class TestCheckScheduler : public QObject
{
    Q_OBJECT
    std::unique_ptr<Scheduled> s;

private slots:
    void init() { s = std::make_unique<Scheduled>(); }

    void countdownTexts()
    {
        s->scheduler.startChecking();
        QCOMPARE(s->checks, QStringList{"Checking for new torrents..."});
        QCOMPARE(s->status, QStringLiteral("Next check in 10m 00s"));
        s->ticks(1);
        QCOMPARE(s->status, QStringLiteral("Next check in 09m 55s"));
        s->ticks(118);
        QCOMPARE(s->status, QStringLiteral("Next check in 00m 05s"));
        QCOMPARE(s->checks.size(), 1);
        s->ticks(1);
        QCOMPARE(s->checks.size(), 2);
        QCOMPARE(s->status, QStringLiteral("Next check in 10m 00s"));
    }

    // An interval that is not a multiple of 5 seconds checks on the first tick past it.
    void intervalNotAMultipleOfFive()
    {
        s->state.settings.CheckIntervalSeconds = 121;
        s->ticks(24);
        QVERIFY(s->checks.isEmpty());
        QCOMPARE(s->status, QStringLiteral("Next check in 00m 01s"));
        s->ticks(1);
        QCOMPARE(s->checks.size(), 1);
    }

    void pauseAndResumeContinueTheCountdown()
    {
        s->scheduler.startChecking();
        s->ticks(84); // 7 minutes: 3 left
        s->scheduler.mnuPauseClick();
        QVERIFY(s->scheduler.pauseChecked());
        QVERIFY(!s->scheduler.TmrCheck().isActive());
        QCOMPARE(s->status, QStringLiteral("Paused"));
        QVERIFY(s->controlsPaused);
        QCOMPARE(s->tray.picture(), TrayPicture::Paused);
        QVERIFY(s->logEndsWith(") Paused: By user"));

        s->scheduler.mnuPauseClick();
        QVERIFY(!s->scheduler.pauseChecked());
        QVERIFY(s->scheduler.TmrCheck().isActive());
        QCOMPARE(s->status, QStringLiteral("Next check in 03m 00s"));
        QVERIFY(!s->controlsPaused);
        QCOMPARE(s->tray.picture(), TrayPicture::NoNew);
        QVERIFY(s->logEndsWith(") Unpaused: By user"));
        s->ticks(1);
        QCOMPARE(s->status, QStringLiteral("Next check in 02m 55s"));
    }

    void dueCheckFindingAWatchedProgramPauses()
    {
        s->state.settings.CheckIntervalSeconds = 10;
        s->state.settings.WatchedProcesses = {"Game.exe"};
        s->env.processes.add("game.exe");
        s->ticks(2);
        QCOMPARE(s->checks.size(), 1); // detection is off
        s->state.settings.DetectProcesses = true;
        s->ticks(2);
        QCOMPARE(s->checks.size(), 1);
        QCOMPARE(s->status, QStringLiteral("Paused"));
        QVERIFY(s->scheduler.pauseChecked());
        QVERIFY(!s->scheduler.TmrCheck().isActive());
        QVERIFY(s->logEndsWith(") Paused: Process detected"));

        // Still running: the poll does nothing. Ended: one check at once, then the interval.
        s->scheduler.onTmrUnpauseTick();
        QCOMPARE(s->checks.size(), 1);
        QVERIFY(s->scheduler.TmrUnpause().isActive());
        s->env.processes.processes.clear();
        s->scheduler.onTmrUnpauseTick();
        QCOMPARE(s->checks.size(), 2);
        QVERIFY(!s->scheduler.pauseChecked());
        QVERIFY(!s->scheduler.TmrUnpause().isActive());
        QCOMPARE(s->scheduler.countdownText(), QStringLiteral("Next check in 00m 10s"));
        QVERIFY(s->logEndsWith(") Unpaused: Process ended"));
    }

    void startupWait()
    {
        s->scheduler.startWait();
        QCOMPARE(s->status, QStringLiteral("Next check in 05m 00s"));
        QVERIFY(s->logEndsWith(") Waiting 05m 00s..."));
        for (int i = 0; i < 59; ++i)
            s->scheduler.onTmrWaitTick();
        QCOMPARE(s->status, QStringLiteral("Next check in 00m 05s"));
        s->scheduler.onTmrWaitTick();
        QCOMPARE(s->checks.size(), 1);
        QVERIFY(!s->scheduler.TmrWait().isActive() && s->scheduler.TmrCheck().isActive());
        QCOMPARE(s->status, QStringLiteral("Next check in 10m 00s"));
    }

    // "Check for new torrents" leaves the countdown alone.
    void manualCheckKeepsTheCountdown()
    {
        s->scheduler.startChecking();
        s->ticks(10);
        s->scheduler.mnuCheckClick();
        QCOMPARE(s->checks.size(), 2);
        QCOMPARE(s->scheduler.CheckTicks(), qint16(10));
    }
};

QTEST_GUILESS_MAIN(TestCheckScheduler)
#include "tst_checkscheduler.moc"

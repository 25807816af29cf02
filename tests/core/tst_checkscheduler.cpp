#include "core/CheckScheduler.h"
#include "core/SchedulerHost.h"
#include "core/TrayIconState.h"
#include "EnvTest.h"
#include "model/ProgramState.h"

#include <QTest>

// The scheduler with its timers driven by hand; the host records the status line and checks.
struct Scheduled : SchedulerHost
{
    explicit Scheduled(TestEnv &testEnv) : env(testEnv) {}
    void setStatusText(const QString &text) override { status = text; }
    void checkfeed() override { checks << status; }
    void setIntervalControlsPaused(bool paused) override { controlsPaused = paused; }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            scheduler.onTmrCheckTick();
    }
    // Paused: the Pause item ticked, the countdown stopped, the interval controls off and the
    // paused picture; resumed, all back. The log's last line says why.
    void expectPaused(bool paused, const QString &why)
    {
        QCOMPARE(scheduler.pauseChecked(), paused);
        QCOMPARE(scheduler.TmrCheck().isActive(), !paused);
        QCOMPARE(controlsPaused, paused);
        QCOMPARE(tray.picture(), paused ? TrayPicture::Paused : TrayPicture::NoNew);
        QVERIFY(env.log->lines().last().endsWith((paused ? ") Paused: " : ") Unpaused: ") + why));
        if (paused)
            QCOMPARE(status, QStringLiteral("Paused"));
    }

    TestEnv &env;
    ProgramState state;
    TrayIconState tray{state};
    QString status;
    QStringList checks; // the status line during each check
    bool controlsPaused = false;
    CheckScheduler scheduler{state.settings, tray,          *this,
                             *env.log,       env.processes, env.siteWait.get()};
};

class TestCheckScheduler : public EnvTest
{
    Q_OBJECT
    std::unique_ptr<Scheduled> s;

private slots:
    void init()
    {
        EnvTest::init();
        s = std::make_unique<Scheduled>(*env);
    }
    void cleanup()
    {
        s.reset();
        EnvTest::cleanup();
    }

    // "Check for new torrents" leaves the countdown alone; an interval that is not a multiple
    // of 5 seconds checks on the first tick past it.
    void countdownTexts()
    {
        s->scheduler.startChecking();
        QCOMPARE(s->checks, QStringList{"Checking for new torrents..."});
        QCOMPARE(s->status, QStringLiteral("Next check in 10m 00s"));
        s->ticks(1);
        QCOMPARE(s->status, QStringLiteral("Next check in 09m 55s"));
        // The timer must fire as often as a tick takes off, or the line runs slow or fast.
        QCOMPARE(s->scheduler.TmrCheck().interval(), 5000);
        s->ticks(118);
        QCOMPARE(s->status, QStringLiteral("Next check in 00m 05s"));
        s->scheduler.mnuCheckClick();
        QCOMPARE(s->checks.size(), 2);
        s->ticks(1);
        QCOMPARE(s->checks.size(), 3);
        QCOMPARE(s->status, QStringLiteral("Next check in 10m 00s"));
        s->state.settings.CheckIntervalSeconds = 121;
        s->ticks(24);
        QCOMPARE(s->status, QStringLiteral("Next check in 00m 01s"));
        QCOMPARE(s->checks.size(), 3);
        s->ticks(1);
        QCOMPARE(s->checks.size(), 4);
    }

    // While the site's wait runs the status line says until when; a check that falls due waits
    // for the first tick after it.
    void siteWait()
    {
        s->env.clock.set(QDateTime(QDate(2026, 12, 6), QTime(14, 30), Qt::UTC));
        s->scheduler.startChecking();
        QVERIFY(s->env.siteWait->obey(429, "900"));
        const QString text = "The site asked Pollwick to wait until 14:45.";
        s->ticks(1);
        QCOMPARE(s->status, text);
        s->ticks(119);
        QCOMPARE(s->checks.size(), 1);
        s->env.clock.advanceSeconds(899);
        s->ticks(1);
        QCOMPARE(s->checks.size(), 1);
        QCOMPARE(s->status, text);
        s->env.clock.advanceSeconds(1);
        s->ticks(1);
        QCOMPARE(s->checks.size(), 2);
        QCOMPARE(s->status, QStringLiteral("Next check in 10m 00s"));
    }

    void startupWait()
    {
        s->scheduler.startWait();
        QCOMPARE(s->status, QStringLiteral("Next check in 05m 00s"));
        QVERIFY(s->env.log->lines().last().endsWith(") Waiting 05m 00s..."));
        for (int i = 0; i < 59; ++i)
            s->scheduler.onTmrWaitTick();
        QCOMPARE(s->status, QStringLiteral("Next check in 00m 05s"));
        QCOMPARE(s->scheduler.TmrWait().interval(), 5000);
        s->scheduler.onTmrWaitTick();
        QCOMPARE(s->checks.size(), 1);
        QVERIFY(!s->scheduler.TmrWait().isActive() && s->scheduler.TmrCheck().isActive());
        QCOMPARE(s->status, QStringLiteral("Next check in 10m 00s"));
    }

    // An override decides the countdown, also after the page saved another interval, which
    // becomes the stored one all the same.
    void intervalOverride()
    {
        s->scheduler.setIntervalOverride(20);
        QVERIFY(s->env.log->lines().last().endsWith(") Checking every 20 seconds as "
                                                    "POLLWICK_CHECK_SECONDS asks; the stored "
                                                    "interval is kept."));
        s->scheduler.startChecking();
        QCOMPARE(s->status, QStringLiteral("Next check in 00m 20s"));
        s->ticks(3);
        QCOMPARE(s->status, QStringLiteral("Next check in 00m 05s"));
        QCOMPARE(s->checks.size(), 1);
        s->ticks(1);
        QCOMPARE(s->checks.size(), 2);
        s->scheduler.intervalChanged(900);
        QCOMPARE(s->state.settings.CheckIntervalSeconds, qint16(900));
        QCOMPARE(s->status, QStringLiteral("Next check in 00m 20s"));
        s->ticks(4);
        QCOMPARE(s->checks.size(), 3);
        s->scheduler.setIntervalOverride(0);
        QCOMPARE(s->scheduler.countdownText(), QStringLiteral("Next check in 15m 00s"));
    }

    // Pausing by the user keeps the countdown. A due check while a watched program runs pauses
    // (with detection on) until the program ends, then checks at once and counts down anew.
    void pausing()
    {
        s->state.settings.WatchedProcesses = {"Game.exe"};
        s->env.processes.add("game.exe");
        s->scheduler.startChecking();
        s->ticks(84); // 7 minutes: 3 left
        s->scheduler.mnuPauseClick();
        s->expectPaused(true, "By user");
        s->scheduler.mnuPauseClick();
        s->expectPaused(false, "By user");
        QCOMPARE(s->status, QStringLiteral("Next check in 03m 00s"));
        s->ticks(36);
        QCOMPARE(s->checks.size(), 2); // detection is off
        s->state.settings.DetectProcesses = true;
        s->ticks(120);
        QCOMPARE(s->checks.size(), 2);
        s->expectPaused(true, "Process detected");

        // Still running: the poll does nothing.
        s->scheduler.onTmrUnpauseTick();
        QCOMPARE(s->checks.size(), 2);
        QVERIFY(s->scheduler.TmrUnpause().isActive());
        QCOMPARE(s->scheduler.TmrUnpause().interval(), 20000); // no count shown: every 20 s
        s->env.processes.processes.clear();
        s->scheduler.onTmrUnpauseTick();
        QCOMPARE(s->checks.size(), 3);
        s->expectPaused(false, "Process ended");
        QVERIFY(!s->scheduler.TmrUnpause().isActive());
        QCOMPARE(s->status, QStringLiteral("Next check in 10m 00s"));
    }
};

QTEST_GUILESS_MAIN(TestCheckScheduler)
#include "tst_checkscheduler.moc"

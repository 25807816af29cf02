#include "core/CheckScheduler.h"
#include "core/ProgramState.h"
#include "core/SchedulerHost.h"
#include "core/TrayIconState.h"
#include "TestEnv.h"

#include <QSignalSpy>
#include <QTest>

namespace {

class RecordingHost : public SchedulerHost
{
public:
    void setStatusText(const QString &text) override { statuses << text; }
    void checkfeed() override
    {
        ++checks;
        statusDuringCheck = statuses.isEmpty() ? QString() : statuses.last();
    }
    void setIntervalControlsPaused(bool paused) override { controlsPaused = paused; }

    QString status() const { return statuses.isEmpty() ? QString() : statuses.last(); }

    QStringList statuses;
    QString statusDuringCheck;
    int checks = 0;
    bool controlsPaused = false;
};

} // namespace

class TestCheckScheduler : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        env = std::make_unique<TestEnv>();
        state = std::make_unique<ProgramState>();
        tray = std::make_unique<TrayIconState>(*state);
        tray->reset();
        host = std::make_unique<RecordingHost>();
        scheduler = std::make_unique<CheckScheduler>(state->settings, *tray, *host, *env->log,
                                                     env->processes);
    }
    void cleanup()
    {
        scheduler.reset();
        QCOMPARE(env->problems(), QString());
        env.reset();
    }

    void countdownTexts()
    {
        state->settings.CheckIntervalSeconds = 600;
        scheduler->startChecking();
        QCOMPARE(host->checks, 1);
        QCOMPARE(host->statusDuringCheck, QStringLiteral("Checking for new torrents..."));
        QCOMPARE(host->status(), QStringLiteral("Next check in 10m 00s"));
        QVERIFY(scheduler->TmrCheck().isActive());
        QCOMPARE(scheduler->TmrCheck().interval(), 5000);
        scheduler->onTmrCheckTick();
        QCOMPARE(host->status(), QStringLiteral("Next check in 09m 55s"));
        for (int i = 0; i < 118; ++i)
            scheduler->onTmrCheckTick();
        QCOMPARE(host->status(), QStringLiteral("Next check in 00m 05s"));
        QCOMPARE(host->checks, 1);
        scheduler->onTmrCheckTick();
        QCOMPARE(host->checks, 2);
        QCOMPARE(host->statusDuringCheck, QStringLiteral("Checking for new torrents..."));
        QCOMPARE(host->status(), QStringLiteral("Next check in 10m 00s"));
        QCOMPARE(scheduler->CheckTicks(), qint16(0));
    }

    // Intervals from minutes with fractions need not be multiples of 5 seconds.
    void intervalNotAMultipleOfFive_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("ticks");
        QTest::newRow("150") << 150 << 30;
        QTest::newRow("125") << 125 << 25;
        QTest::newRow("123") << 123 << 25;
        QTest::newRow("121") << 121 << 25;
    }
    void intervalNotAMultipleOfFive()
    {
        QFETCH(int, interval);
        QFETCH(int, ticks);
        state->settings.CheckIntervalSeconds = qint16(interval);
        int tick = 0;
        while (host->checks == 0 && tick < 1000) {
            scheduler->onTmrCheckTick();
            ++tick;
            if (host->checks == 0)
                QVERIFY(!host->status().contains('-'));
        }
        QCOMPARE(tick, ticks);
    }

    void pauseAndResumeContinueTheCountdown()
    {
        state->settings.CheckIntervalSeconds = 600;
        scheduler->startChecking();
        for (int i = 0; i < 84; ++i) // 7 minutes: 3 left
            scheduler->onTmrCheckTick();
        QCOMPARE(host->status(), QStringLiteral("Next check in 03m 00s"));
        QSignalSpy checked(scheduler.get(), &CheckScheduler::pauseCheckedChanged);

        scheduler->mnuPauseClick();
        QVERIFY(scheduler->pauseChecked());
        QCOMPARE(checked.last()[0].toBool(), true);
        QVERIFY(!scheduler->TmrCheck().isActive());
        QCOMPARE(host->status(), QStringLiteral("Paused"));
        QVERIFY(host->controlsPaused);
        QCOMPARE(tray->picture(), TrayPicture::Paused);
        QVERIFY(env->log->lines().last().endsWith(") Paused: By user"));

        scheduler->mnuPauseClick();
        QVERIFY(!scheduler->pauseChecked());
        QVERIFY(scheduler->TmrCheck().isActive());
        QCOMPARE(host->status(), QStringLiteral("Next check in 03m 00s"));
        QVERIFY(!host->controlsPaused);
        QCOMPARE(tray->picture(), TrayPicture::NoNew);
        QVERIFY(env->log->lines().last().endsWith(") Unpaused: By user"));
        scheduler->onTmrCheckTick();
        QCOMPARE(host->status(), QStringLiteral("Next check in 02m 55s"));
        QCOMPARE(host->checks, 1);
    }

    void dueCheckFindingAWatchedProgramPauses()
    {
        state->settings.CheckIntervalSeconds = 10;
        state->settings.DetectProcesses = true;
        state->settings.WatchedProcesses = {"Game.exe"};
        env->processes.add("game.exe");
        scheduler->startChecking();
        QCOMPARE(host->checks, 1);
        scheduler->onTmrCheckTick();
        scheduler->onTmrCheckTick();
        QCOMPARE(host->checks, 1);
        QCOMPARE(host->status(), QStringLiteral("Paused"));
        QVERIFY(scheduler->pauseChecked());
        QVERIFY(!scheduler->TmrCheck().isActive());
        QVERIFY(scheduler->TmrUnpause().isActive());
        QCOMPARE(scheduler->TmrUnpause().interval(), 20000);
        QCOMPARE(scheduler->CheckTicks(), qint16(0));
        QVERIFY(env->log->lines().last().endsWith(") Paused: Process detected"));

        // Still running: the poll does nothing.
        scheduler->onTmrUnpauseTick();
        QCOMPARE(host->checks, 1);
        QVERIFY(scheduler->TmrUnpause().isActive());

        // Ended: one check at once, then the full interval.
        env->processes.processes.clear();
        scheduler->onTmrUnpauseTick();
        QCOMPARE(host->checks, 2);
        QVERIFY(!scheduler->pauseChecked());
        QVERIFY(!scheduler->TmrUnpause().isActive());
        QVERIFY(scheduler->TmrCheck().isActive());
        QCOMPARE(scheduler->countdownText(), QStringLiteral("Next check in 00m 10s"));
        const QStringList lines = env->log->lines();
        QVERIFY(lines.last().endsWith(") Unpaused: Process ended"));
    }

    void detectionOffChecksWhateverRuns()
    {
        state->settings.CheckIntervalSeconds = 5;
        state->settings.DetectProcesses = false;
        state->settings.WatchedProcesses = {"game.exe"};
        env->processes.add("game.exe");
        scheduler->onTmrCheckTick();
        QCOMPARE(host->checks, 1);
    }

    void startupWait()
    {
        state->settings.StartupWaitSeconds = 300;
        state->settings.CheckIntervalSeconds = 600;
        QSignalSpy pauseEnabled(scheduler.get(), &CheckScheduler::pauseMenuEnabled);
        scheduler->startWait();
        QCOMPARE(host->status(), QStringLiteral("Next check in 05m 00s"));
        QVERIFY(env->log->lines().last().endsWith(") Waiting 05m 00s..."));
        QCOMPARE(pauseEnabled.last()[0].toBool(), false);
        QVERIFY(scheduler->TmrWait().isActive());
        QVERIFY(!scheduler->TmrCheck().isActive());
        for (int i = 0; i < 59; ++i)
            scheduler->onTmrWaitTick();
        QCOMPARE(host->checks, 0);
        QCOMPARE(host->status(), QStringLiteral("Next check in 00m 05s"));
        scheduler->onTmrWaitTick();
        QCOMPARE(host->checks, 1);
        QCOMPARE(pauseEnabled.last()[0].toBool(), true);
        QVERIFY(!scheduler->TmrWait().isActive());
        QVERIFY(scheduler->TmrCheck().isActive());
        QCOMPARE(scheduler->WaitTicks(), qint16(0));
        QCOMPARE(host->status(), QStringLiteral("Next check in 10m 00s"));
    }

    void manualCheckKeepsTheSchedule()
    {
        state->settings.CheckIntervalSeconds = 600;
        scheduler->startChecking();
        for (int i = 0; i < 10; ++i)
            scheduler->onTmrCheckTick();
        scheduler->mnuCheckClick();
        QCOMPARE(host->checks, 2);
        QCOMPARE(scheduler->CheckTicks(), qint16(10));
        QVERIFY(scheduler->TmrCheck().isActive());
    }

    void intervalChangeRestartsTheCountdown()
    {
        state->settings.CheckIntervalSeconds = 600;
        scheduler->startChecking();
        for (int i = 0; i < 10; ++i)
            scheduler->onTmrCheckTick();
        scheduler->intervalChanged(150);
        QCOMPARE(state->settings.CheckIntervalSeconds, qint16(150));
        QCOMPARE(scheduler->CheckTicks(), qint16(0));
        QCOMPARE(host->status(), QStringLiteral("Next check in 02m 30s"));
        QVERIFY(scheduler->TmrCheck().isActive());
    }

    void resumeDropsTheNewState()
    {
        scheduler->startChecking();
        tray->checkanimation("stopnew");
        scheduler->mnuPauseClick();
        scheduler->mnuPauseClick();
        QCOMPARE(tray->IconState(), QStringLiteral("nonew"));
        QCOMPARE(tray->picture(), TrayPicture::NoNew);
    }

private:
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<ProgramState> state;
    std::unique_ptr<TrayIconState> tray;
    std::unique_ptr<RecordingHost> host;
    std::unique_ptr<CheckScheduler> scheduler;
};

QTEST_GUILESS_MAIN(TestCheckScheduler)
#include "tst_checkscheduler.moc"

#include "core/ProgramState.h"
#include "core/TrayIconState.h"
#include "TestEnv.h"

#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(TrayPicture)

class TestTrayIconState : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        env = std::make_unique<TestEnv>();
        env->useSite("http://127.0.0.1:9");
        state = std::make_unique<ProgramState>();
        tray = std::make_unique<TrayIconState>(*state);
        tray->reset();
    }
    void cleanup()
    {
        tray.reset();
        QCOMPARE(env->problems(), QString());
        env.reset();
    }

    void startsOnNoNewWithTheTitle()
    {
        QCOMPARE(tray->IconState(), QStringLiteral("nonew"));
        QCOMPARE(tray->picture(), TrayPicture::NoNew);
        QCOMPARE(tray->tip(), QStringLiteral("Pollwick"));
        QCOMPARE(state->TrayTipText, QStringLiteral("Pollwick"));
    }

    // One cycle: no-new for ticks 1-3, each check frame for 3 ticks, the last for 1.
    void animationCycle()
    {
        tray->checkanimation("start");
        QVERIFY(tray->animationRunning());
        QList<TrayPicture> shown;
        for (int tick = 1; tick <= 20; ++tick) {
            tray->onTmrAniTick();
            shown << tray->picture();
        }
        const QList<TrayPicture> expected = {
            TrayPicture::NoNew,  TrayPicture::NoNew,  TrayPicture::NoNew,  TrayPicture::Check1,
            TrayPicture::Check1, TrayPicture::Check1, TrayPicture::Check2, TrayPicture::Check2,
            TrayPicture::Check2, TrayPicture::Check3, TrayPicture::Check3, TrayPicture::Check3,
            TrayPicture::Check4, TrayPicture::Check4, TrayPicture::Check4, TrayPicture::Check5,
            TrayPicture::Check5, TrayPicture::Check5, TrayPicture::Check6, TrayPicture::NoNew};
        QCOMPARE(shown, expected);
        QVERIFY(tray->animationRunning());
    }

    void stopFinishesTheCycle_data()
    {
        QTest::addColumn<int>("ticksBeforeStop");
        QTest::addColumn<int>("ticksToRest");
        // The cycle ends at tick 19 and the tick after it rests on the no-new picture.
        QTest::newRow("stop before the first frame") << 0 << 20;
        QTest::newRow("stop mid-cycle") << 10 << 10;
        QTest::newRow("stop on the last frame") << 19 << 20;
    }
    void stopFinishesTheCycle()
    {
        QFETCH(int, ticksBeforeStop);
        QFETCH(int, ticksToRest);
        tray->checkanimation("start");
        for (int i = 0; i < ticksBeforeStop; ++i)
            tray->onTmrAniTick();
        tray->checkanimation("stop");
        int ticks = 0;
        while (tray->animationRunning() && ticks < 100) {
            tray->onTmrAniTick();
            ++ticks;
        }
        QCOMPARE(ticks, ticksToRest);
        QCOMPARE(tray->picture(), TrayPicture::NoNew);
        QCOMPARE(tray->IconState(), QStringLiteral("nonew"));
        QCOMPARE(tray->AnimationStop(), 0);
    }

    void startWhileRunningDoesNotRestart()
    {
        tray->checkanimation("start");
        for (int i = 0; i < 5; ++i)
            tray->onTmrAniTick();
        tray->checkanimation("start");
        QCOMPARE(tray->AnimationFrame(), 5);
        QCOMPARE(tray->picture(), TrayPicture::Check1);
    }

    void pauseMenuDisabledWhileAnimating()
    {
        QSignalSpy spy(tray.get(), &TrayIconState::pauseMenuEnabled);
        tray->checkanimation("start");
        tray->checkanimation("stopnew");
        QCOMPARE(spy.size(), 2);
        QCOMPARE(spy[0][0].toBool(), false);
        QCOMPARE(spy[1][0].toBool(), true);
        tray->checkanimation("bogus");
        QCOMPARE(spy.size(), 2);
    }

    void transitions_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("pendingResults");
        QTest::addColumn<QString>("stateAfterCheck");
        QTest::addColumn<TrayPicture>("pictureAfterCheck");
        QTest::addColumn<QString>("stateAfterAck");
        QTest::addColumn<TrayPicture>("pictureAfterAck");
        QTest::newRow("new") << "stopnew" << true << "new" << TrayPicture::New << "nonew"
                             << TrayPicture::NoNew;
        QTest::newRow("error") << "stopwitherror" << false << "error" << TrayPicture::Error
                               << "nonew" << TrayPicture::NoNew;
        QTest::newRow("error with unread results becomes a plain error")
            << "stopwitherror" << true << "error_new" << TrayPicture::ErrorNew << "error"
            << TrayPicture::Error;
    }
    void transitions()
    {
        QFETCH(QString, word);
        QFETCH(bool, pendingResults);
        if (pendingResults)
            state->results.append(MatchRecord{});
        state->feed.append(TorrentRecord{});
        state->exclusion.append("1");
        state->AlertAddress = "http://127.0.0.1:9/details.php?id=5&hit=1";
        tray->checkanimation("start");
        tray->checkanimation(word);
        QVERIFY(!tray->animationRunning());
        QTEST(tray->IconState(), "stateAfterCheck");
        QTEST(tray->picture(), "pictureAfterCheck");

        tray->seticonnonew();
        QTEST(tray->IconState(), "stateAfterAck");
        QTEST(tray->picture(), "pictureAfterAck");
        QCOMPARE(tray->tip(), QStringLiteral("No new torrents"));
        QCOMPARE(state->TrayTipText, QStringLiteral("No new torrents"));
        QCOMPARE(state->AlertAddress, QStringLiteral("http://127.0.0.1:9/browse.php"));
        QVERIFY(state->results.isEmpty());
        QVERIFY(state->feed.isEmpty());
        QVERIFY(state->exclusion.isEmpty());
    }

    void pauseOverlays_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("pendingResults");
        QTest::addColumn<TrayPicture>("paused");
        QTest::addColumn<TrayPicture>("resumed");
        QTest::addColumn<QString>("stateAfterResume");
        QTest::newRow("nonew") << "stop" << false << TrayPicture::Paused << TrayPicture::NoNew
                               << "nonew";
        QTest::newRow("new is dropped by a resume")
            << "stopnew" << false << TrayPicture::Paused << TrayPicture::NoNew << "nonew";
        QTest::newRow("error") << "stopwitherror" << false << TrayPicture::ErrorPaused
                               << TrayPicture::Error << "error";
        QTest::newRow("error_new") << "stopwitherror" << true << TrayPicture::ErrorPaused
                                   << TrayPicture::ErrorNew << "error_new";
    }
    void pauseOverlays()
    {
        QFETCH(QString, word);
        QFETCH(bool, pendingResults);
        if (pendingResults)
            state->results.append(MatchRecord{});
        tray->checkanimation("start");
        tray->checkanimation(word);
        while (tray->animationRunning())
            tray->onTmrAniTick();
        const QString before = tray->IconState();
        tray->showPaused(true);
        QTEST(tray->picture(), "paused");
        QCOMPARE(tray->IconState(), before);
        tray->showPaused(false);
        QTEST(tray->picture(), "resumed");
        QTEST(tray->IconState(), "stateAfterResume");
    }

    void tipIsCutTo63Characters()
    {
        const QString text(80, QLatin1Char('x'));
        tray->setTip(text);
        QCOMPARE(tray->tip(), QString(63, QLatin1Char('x')));
        QCOMPARE(state->TrayTipText, text);
    }

private:
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<ProgramState> state;
    std::unique_ptr<TrayIconState> tray;
};

QTEST_GUILESS_MAIN(TestTrayIconState)
#include "tst_trayiconstate.moc"

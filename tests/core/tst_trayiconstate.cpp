#include "core/ProgramState.h"
#include "core/TrayIconState.h"
#include "TestEnv.h"

#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(TrayPicture)
using P = TrayPicture;

struct Tray
{
    Tray() { env.useSite("http://127.0.0.1:9"); }
    TestEnv env;
    ProgramState state;
    TrayIconState icon{state};
};

class TestTrayIconState : public QObject
{
    Q_OBJECT
    std::unique_ptr<Tray> t;
    TrayIconState *tray = nullptr;
    ProgramState *state = nullptr;

private slots:
    void init()
    {
        t = std::make_unique<Tray>();
        tray = &t->icon;
        state = &t->state;
    }
    void cleanup() { t.reset(); } // gone before the next test sets its site

    // One cycle of 19 ticks: no-new for ticks 1-3, each check frame for 3 ticks, the last for 1;
    // the pause menu is off while it runs.
    void animationCycle()
    {
        QSignalSpy pauseMenu(tray, &TrayIconState::pauseMenuEnabled);
        tray->checkanimation("start");
        QList<P> expected(3, P::NoNew);
        for (P frame : {P::Check1, P::Check2, P::Check3, P::Check4, P::Check5})
            expected << frame << frame << frame;
        expected << P::Check6 << P::NoNew;
        QList<P> shown;
        for (int tick = 1; tick <= 20; ++tick) {
            tray->onTmrAniTick();
            shown << tray->picture();
        }
        QCOMPARE(shown, expected);
        // A second "start" while running does not restart the cycle.
        tray->checkanimation("start");
        QCOMPARE(tray->AnimationFrame(), 1);
        tray->checkanimation("stopnew");
        QCOMPARE(pauseMenu.size(), 2);
        QVERIFY(!pauseMenu[0][0].toBool() && pauseMenu[1][0].toBool());
    }

    // "stop" lets the cycle end at tick 19; the tick after it rests on the no-new picture.
    void stopFinishesTheCycle_data()
    {
        QTest::addColumn<int>("ticksBeforeStop");
        QTest::addColumn<int>("ticksToRest");
        QTest::newRow("stop before the first frame") << 0 << 20;
        QTest::newRow("stop mid-cycle") << 10 << 10;
        QTest::newRow("stop on the last frame") << 19 << 20;
    }
    void stopFinishesTheCycle()
    {
        QFETCH(int, ticksBeforeStop);
        tray->checkanimation("start");
        for (int i = 0; i < ticksBeforeStop; ++i)
            tray->onTmrAniTick();
        tray->checkanimation("stop");
        int ticks = 0;
        for (; tray->animationRunning() && ticks < 100; ++ticks)
            tray->onTmrAniTick();
        QTEST(ticks, "ticksToRest");
        QCOMPARE(tray->picture(), P::NoNew);
        QCOMPARE(tray->IconState(), QStringLiteral("nonew"));
    }

    // The state and picture after a check ends, after a pause and a resume, and after the
    // user's acknowledgement.
    void transitions_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("unread"); // results not acknowledged yet
        QTest::addColumn<QStringList>("states");
        QTest::addColumn<QList<P>>("pictures"); // the paused picture second
        QTest::newRow("no new") << "stop" << false << QStringList{"nonew", "nonew", "nonew"}
                                << QList<P>{P::NoNew, P::Paused, P::NoNew, P::NoNew};
        QTest::newRow("new is dropped by a resume")
            << "stopnew" << true << QStringList{"new", "nonew", "nonew"}
            << QList<P>{P::New, P::Paused, P::NoNew, P::NoNew};
        QTest::newRow("error") << "stopwitherror" << false << QStringList{"error", "error", "nonew"}
                               << QList<P>{P::Error, P::ErrorPaused, P::Error, P::NoNew};
        QTest::newRow("error with unread results becomes a plain error")
            << "stopwitherror" << true << QStringList{"error_new", "error_new", "error"}
            << QList<P>{P::ErrorNew, P::ErrorPaused, P::ErrorNew, P::Error};
    }
    void transitions()
    {
        QFETCH(QString, word);
        QFETCH(bool, unread);
        if (unread)
            state->results.append(MatchRecord{});
        state->feed.append(TorrentRecord{});
        state->exclusion.append("1");
        state->AlertAddress = "http://127.0.0.1:9/details.php?id=5&hit=1";
        tray->checkanimation("start");
        tray->checkanimation(word);
        while (tray->animationRunning())
            tray->onTmrAniTick();
        QStringList states{tray->IconState()};
        QList<P> pictures{tray->picture()};
        tray->showPaused(true);
        pictures << tray->picture();
        tray->showPaused(false);
        states << tray->IconState();
        pictures << tray->picture();
        tray->seticonnonew();
        states << tray->IconState();
        pictures << tray->picture();
        QTEST(states, "states");
        QTEST(pictures, "pictures");
        QCOMPARE(tray->tip(), QStringLiteral("No new torrents"));
        QCOMPARE(state->AlertAddress, QStringLiteral("http://127.0.0.1:9/browse.php"));
        QVERIFY(state->results.isEmpty() && state->feed.isEmpty() && state->exclusion.isEmpty());
    }

    void tipIsCutTo63Characters()
    {
        const QString text(80, QLatin1Char('x'));
        tray->setTip(text);
        QCOMPARE(tray->tip(), QString(63, QLatin1Char('x')));
        QCOMPARE(state->TrayTipText, text);
    }
};

QTEST_GUILESS_MAIN(TestTrayIconState)
#include "tst_trayiconstate.moc"

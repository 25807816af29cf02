#include "core/TrayIconState.h"
#include "EnvTest.h"
#include "model/ProgramState.h"

#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(TrayPicture)
using P = TrayPicture;

struct Tray
{
    ProgramState state;
    TrayIconState icon{state};
};

class TestTrayIconState : public EnvTest
{
    Q_OBJECT

private slots:
    void init()
    {
        EnvTest::init();
        env->useSite("http://127.0.0.1:9");
    }

    // A check: "start", a second "start" that must not restart the cycle, the word that ends
    // it. "stop" lets the cycle of 19 ticks end (no-new for ticks 1-3, each check frame for 3
    // ticks, the last for 1) and rests on the no-new picture the tick after. Then the state and
    // picture after a pause and a resume, and after the user's acknowledgement. The pause menu
    // is off while the animation runs.
    void transitions_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("unread");     // results not acknowledged yet
        QTest::addColumn<int>("ticksBefore"); // before the second "start" and the word
        QTest::addColumn<int>("ticksToRest"); // after the word
        QTest::addColumn<QStringList>("states");
        QTest::addColumn<QList<P>>("pictures"); // the paused picture second
        const QStringList nonew{"nonew", "nonew", "nonew"};
        const QList<P> noNew{P::NoNew, P::Paused, P::NoNew, P::NoNew};
        // clang-format off
        QTest::newRow("stop before any frame") << "stop" << false << 0 << 20 << nonew << noNew;
        QTest::newRow("stop mid-cycle") << "stop" << false << 10 << 10 << nonew << noNew;
        QTest::newRow("new stays announced across a pause") << "stopnew" << true << 0 << 0
            << QStringList{"new", "new", "nonew"}
            << QList<P>{P::New, P::Paused, P::New, P::NoNew};
        QTest::newRow("error") << "stopwitherror" << false << 0 << 0
            << QStringList{"error", "error", "nonew"}
            << QList<P>{P::Error, P::ErrorPaused, P::Error, P::NoNew};
        QTest::newRow("error with unread results becomes a plain error") << "stopwitherror"
            << true << 0 << 0 << QStringList{"error_new", "error_new", "error"}
            << QList<P>{P::ErrorNew, P::ErrorPaused, P::ErrorNew, P::Error};
        // clang-format on
    }
    void transitions()
    {
        QFETCH(QString, word);
        QFETCH(bool, unread);
        QFETCH(int, ticksBefore);
        Tray t;
        TrayIconState &tray = t.icon;
        ProgramState &state = t.state;
        if (unread)
            state.results.append(MatchRecord{});
        state.feed.append(TorrentRecord{});
        state.exclusion.append("1");
        state.AlertAddress = "http://127.0.0.1:9/details.php?id=5&hit=1";
        QSignalSpy pauseMenu(&tray, &TrayIconState::pauseMenuEnabled);
        QList<P> shown, cycle(3, P::NoNew);
        for (P frame : {P::Check1, P::Check2, P::Check3, P::Check4, P::Check5})
            cycle << frame << frame << frame;
        cycle << P::Check6 << P::NoNew;
        const auto tick = [&] {
            tray.onTmrAniTick();
            shown << tray.picture();
        };

        tray.checkanimation("start");
        for (int i = 0; i < ticksBefore; ++i)
            tick();
        tray.checkanimation("start");
        tray.checkanimation(word);
        for (int ticks = 0; tray.animationRunning() && ticks < 100; ++ticks)
            tick();
        QCOMPARE(shown, cycle.mid(0, shown.size()));
        QTEST(int(shown.size()) - ticksBefore, "ticksToRest");
        QCOMPARE(pauseMenu.size(), 2);
        QVERIFY(!pauseMenu[0][0].toBool() && pauseMenu[1][0].toBool());

        QStringList states{tray.IconState()};
        QList<P> pictures{tray.picture()};
        tray.showPaused(true);
        pictures << tray.picture();
        tray.showPaused(false);
        states << tray.IconState();
        pictures << tray.picture();
        tray.seticonnonew();
        states << tray.IconState();
        pictures << tray.picture();
        QTEST(states, "states");
        QTEST(pictures, "pictures");
        QCOMPARE(tray.tip(), QStringLiteral("No new torrents"));
        QCOMPARE(state.AlertAddress, QStringLiteral("http://127.0.0.1:9/browse.php"));
        QVERIFY(state.results.isEmpty() && state.feed.isEmpty() && state.exclusion.isEmpty());
    }

    // The tip shows at most 63 characters and ends at a NUL; the text is kept whole.
    void tipIsCutTo63Characters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("63 characters") << QString(63, 'x') << QString(63, 'x');
        QTest::newRow("64 characters") << QString(64, 'x') << QString(63, 'x');
        QTest::newRow("NUL inside") << QString("ab") + QChar(0) + "cd"
                                    << "ab";
        QTest::newRow("NUL first") << QString(QChar(0)) + "cd"
                                   << "";
    }
    void tipIsCutTo63Characters()
    {
        QFETCH(QString, text);
        Tray t;
        t.icon.setTip(text);
        QTEST(t.icon.tip(), "shown");
        QCOMPARE(t.state.TrayTipText, text);
    }
};

QTEST_GUILESS_MAIN(TestTrayIconState)
#include "tst_trayiconstate.moc"

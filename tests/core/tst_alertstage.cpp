#include "EnvTest.h"
#include "model/ProgramState.h"
#include "notify/AlertStage.h"
#include "platform/AppConfig.h"

#include <QtTest>

// The last stage of a check: what the user is shown and the bookkeeping stored.
class TestAlertStage : public EnvTest
{
    Q_OBJECT

private slots:
    // The feed of the check holds lastparsed to lastparsed + 3 (1 to 20 on a first run), then a
    // row whose id cannot be read: that must not be stored, read back as 0 it would make a first
    // run.
    void alert_data()
    {
        QTest::addColumn<QStringList>("results");
        QTest::addColumn<int>("lastparsed");
        QTest::addColumn<int>("lastalerted");
        QTest::addColumn<bool>("onetime");
        QTest::addColumn<QString>("tooltip");
        QTest::addColumn<QString>("page");  // after the site address
        QTest::addColumn<QString>("popup"); // text|tail#the torrent it names
        QTest::addColumn<int>("newLastalerted");
        const QString one = "|has just been uploaded.";
        const QString several = "| new torrents have just been uploaded.";
        const QString name27 = "Twenty Seven Characters Abc", name28 = name27 + "d";
        const QString details = "/details.php?id=101&hit=1", list = "/browse.php";
        const QString tail = " has just been uploaded", none = "No new torrents";
        // clang-format off
        QTest::newRow("no results") << QStringList{} << 100 << 50 << false << none << list
            << "none" << 50;
        QTest::newRow("one result, 28 characters: cut to 27") << QStringList{"101|" + name28}
            << 100 << 50 << false << name27 + "..." + tail << details << name28 + one + "#101" << 101;
        QTest::newRow("one result, 27 characters: whole name, alert once, newer")
            << QStringList{"101|" + name27} << 100 << 100 << true << name27 + tail << details
            << name27 + one + "#101" << 101;
        QTest::newRow("one result, alert once, already alerted") << QStringList{"101|Film"}
            << 101 << 101 << true << "Film" + tail << details << "none" << 101;
        QTest::newRow("several results") << QStringList{"101|A", "102|B", "103|C"} << 100 << 50
            << false << "3 new torrents" << list << "3" + several + "#0" << 103;
        QTest::newRow("several, alert once, one newer: its name") << QStringList{"101|A", "102|B"}
            << 101 << 101 << true << "2 new torrents" << list << "B" + one + "#102" << 102;
        QTest::newRow("several, alert once, two newer: the count")
            << QStringList{"100|A", "101|B", "102|C"} << 100 << 100 << true << "3 new torrents"
            << list << "2" + several + "#0" << 102;
        QTest::newRow("several, alert once, none newer: no popup, new state")
            << QStringList{"100|A", "101|B"} << 101 << 101 << true << "2 new torrents" << list
            << "none" << 101;
        QTest::newRow("first run: leftovers dropped, nothing alerted") << QStringList{"5|Old"}
            << 0 << 0 << false << none << list << "none" << 0;
        // clang-format on
    }
    void alert()
    {
        QFETCH(QStringList, results);
        QFETCH(int, lastparsed);
        QFETCH(int, lastalerted);
        QFETCH(bool, onetime);
        QFETCH(QString, tooltip);
        QFETCH(QString, page);
        ProgramState state;
        const bool firstRun = lastparsed == 0;
        const int newest = firstRun ? 20 : lastparsed + 3;
        for (const QString &row : results)
            state.results.append(
                {1, {}, {}, 0, {}, row.section('|', 1), row.section('|', 0, 0).toInt()});
        for (int id = firstRun ? 1 : lastparsed; id <= newest; ++id)
            state.feed.append({QString::number(id), "1", "Appz", "T", "f"});
        state.feed.append({"x9", "1", "Appz", "Broken", "f"});
        state.exclusion = {"7"};
        const AlertStage::Outcome out =
            AlertStage(state, *env->store, env->log.get()).run(lastparsed, lastalerted, onetime);

        QCOMPARE(out.animation, QString(state.results.isEmpty() ? "stop" : "stopnew"));
        QCOMPARE(out.tooltip, tooltip);
        QCOMPARE(state.TrayTipText, tooltip);
        QCOMPARE(out.alertAddress, SiteBaseUrl() + page);
        QCOMPARE(state.AlertAddress, SiteBaseUrl() + page);
        // The popup's words, and the one torrent they name (0 for a count).
        QTEST(out.popup
                  ? out.popup->text + '|' + out.popup->tail + '#' + QString::number(out.alertedId)
                  : QString("none"),
              "popup");
        QTEST(out.lastalerted, "newLastalerted");
        QCOMPARE(env->store->ReadSettingText("lastalerted"), QString::number(out.lastalerted));
        QCOMPARE(env->store->ReadSettingText("lastparsed"), QString::number(newest));
        QCOMPARE(state.results.size(), firstRun ? 0 : results.size());
        QCOMPARE(state.exclusion, firstRun ? QStringList{} : QStringList{"7"});
        QCOMPARE(state.feed.isEmpty(), firstRun);
    }

    // The stored position only moves forward: lastparsed to the highest id of the reply when
    // that is newer, lastalerted never below what was stored. (A newer reply: alert's rows.)
    void positionOnlyMovesForward_data()
    {
        QTest::addColumn<QStringList>("stored"); // lastparsed, lastalerted
        QTest::addColumn<QStringList>("feed");
        QTest::addColumn<QStringList>("kept"); // lastparsed, lastalerted after the check
        // clang-format off
        QTest::newRow("reply older than stored") << QStringList{"110", "110"}
            << QStringList{"100", "102"} << QStringList{"110", "110"};
        QTest::newRow("highest id not last") << QStringList{"100", "100"}
            << QStringList{"100", "104", "102"} << QStringList{"104", "102"};
        QTest::newRow("unreadable stored values") << QStringList{"x", ""}
            << QStringList{"100", "102"} << QStringList{"102", "102"};
        // clang-format on
    }
    void positionOnlyMovesForward()
    {
        QFETCH(QStringList, stored);
        QFETCH(QStringList, feed);
        QFETCH(QStringList, kept);
        env->store->WriteSettingText("lastparsed", stored[0]);
        env->store->WriteSettingText("lastalerted", stored[1]);
        ProgramState state;
        for (const QString &id : feed)
            state.feed.append({id, "1", "Appz", "T", "f"});
        state.results.append({1, {}, {}, 0, {}, "R", 102});
        AlertStage(state, *env->store, env->log.get()).run(100, 100, false);
        QCOMPARE(QStringList({env->store->ReadSettingText("lastparsed"),
                              env->store->ReadSettingText("lastalerted")}),
                 kept);
    }
};

QTEST_GUILESS_MAIN(TestAlertStage)
#include "tst_alertstage.moc"

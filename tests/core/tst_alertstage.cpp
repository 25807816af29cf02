#include "core/ProgramState.h"
#include "notify/AlertStage.h"
#include "platform/AppConfig.h"
#include "TestEnv.h"

#include <QtTest>

class TestAlertStage : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> env;
    ProgramState state;

    static const QString Name27;
    static const QString Name28;

    static ResultList resultsOf(const QStringList &rows)
    {
        ResultList out;
        for (const QString &row : rows) {
            const QStringList f = row.split(QLatin1Char('|'));
            MatchRecord r;
            r.Id = f[0].toInt();
            r.Name = f[1];
            r.FilterIndex = 1;
            out.append(r);
        }
        return out;
    }
    static ParsedFeed feedOf(int first, int last)
    {
        ParsedFeed feed;
        for (int id = first; id <= last; ++id)
            feed.append({QString::number(id), "1", "Appz", "T " + QString::number(id), "f"});
        return feed;
    }
    QStringList logLines() const
    {
        QStringList out;
        for (QString l : env->log->lines())
            out.append(l.remove(QRegularExpression(QStringLiteral("^\\([^)]*\\) "))));
        return out;
    }
    static QString popupText(const std::optional<PopupRequest> &p)
    {
        return p ? p->text + QLatin1Char('|') + p->tail : QStringLiteral("none");
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnv>();
        state = ProgramState();
    }
    void cleanup()
    {
        QVERIFY2(env->problems().isEmpty(), qPrintable(env->problems()));
        env.reset();
    }

    void alert_data()
    {
        QTest::addColumn<QStringList>("results");
        QTest::addColumn<int>("lastparsed");
        QTest::addColumn<int>("lastalerted");
        QTest::addColumn<bool>("onetime");
        QTest::addColumn<QString>("animation");
        QTest::addColumn<QString>("tooltip");
        QTest::addColumn<QString>("page"); // after the site address
        QTest::addColumn<QString>("popup");
        QTest::addColumn<int>("newLastalerted");
        QTest::addColumn<QStringList>("log");

        const QString one = "has just been uploaded.";
        const QString several = " new torrents have just been uploaded.";

        QTest::newRow("no results") << QStringList{} << 100 << 50 << false << "stop"
                                    << "No new torrents"
                                    << "/browse.php"
                                    << "none" << 50 << QStringList{"Number of results: 0"};
        QTest::newRow("one result, 27 characters: whole name")
            << QStringList{"101|" + Name27} << 100 << 50 << false << "stopnew"
            << Name27 + " has just been uploaded"
            << "/details.php?id=101&hit=1" << Name27 + "|" + one << 101
            << QStringList{"Number of results: 1"};
        QTest::newRow("one result, 28 characters: cut to 27")
            << QStringList{"101|" + Name28} << 100 << 50 << false << "stopnew"
            << Name28.left(27) + "... has just been uploaded"
            << "/details.php?id=101&hit=1" << Name28 + "|" + one << 101
            << QStringList{"Number of results: 1"};
        QTest::newRow("one result, alert once, newer")
            << QStringList{"101|Film"} << 100 << 100 << true << "stopnew"
            << "Film has just been uploaded"
            << "/details.php?id=101&hit=1"
            << "Film|" + one << 101 << QStringList{"Number of results: 1", "onetime on. la = 100"};
        QTest::newRow("one result, alert once, already alerted")
            << QStringList{"101|Film"} << 101 << 101 << true << "stopnew"
            << "Film has just been uploaded"
            << "/details.php?id=101&hit=1"
            << "none" << 101
            << QStringList{"Number of results: 1", "onetime on. la = 101",
                           "res array/la = 101/101"};
        QTest::newRow("several results")
            << QStringList{"101|A", "102|B", "103|C"} << 100 << 50 << false << "stopnew"
            << "3 new torrents"
            << "/browse.php"
            << "3|" + several << 103 << QStringList{"Number of results: 3"};
        QTest::newRow("several, alert once, one newer: its name")
            << QStringList{"101|A", "102|B"} << 101 << 101 << true << "stopnew"
            << "2 new torrents"
            << "/browse.php"
            << "B|" + one << 102
            << QStringList{"Number of results: 2", "onetime on. la = 101",
                           "res array/la = 101/101"};
        QTest::newRow("several, alert once, two newer: the count")
            << QStringList{"100|A", "101|B", "102|C"} << 100 << 100 << true << "stopnew"
            << "3 new torrents"
            << "/browse.php"
            << "2|" + several << 102
            << QStringList{"Number of results: 3", "onetime on. la = 100",
                           "res array/la = 100/100"};
        QTest::newRow("several, alert once, none newer: no popup, new state")
            << QStringList{"100|A", "101|B"} << 101 << 101 << true << "stopnew"
            << "2 new torrents"
            << "/browse.php"
            << "none" << 101
            << QStringList{"Number of results: 2", "onetime on. la = 101", "res array/la = 100/101",
                           "res array/la = 101/101"};
        QTest::newRow("first run: leftovers dropped, nothing alerted")
            << QStringList{"5|Old"} << 0 << 0 << false << "stop"
            << "No new torrents"
            << "/browse.php"
            << "none" << 0
            << QStringList{"First run detected. Skipping notification.", "Number of results: 0"};
    }
    void alert()
    {
        QFETCH(QStringList, results);
        QFETCH(int, lastparsed);
        QFETCH(int, lastalerted);
        QFETCH(bool, onetime);
        QFETCH(QString, animation);
        QFETCH(QString, tooltip);
        QFETCH(QString, page);
        QFETCH(QString, popup);
        QFETCH(int, newLastalerted);
        QFETCH(QStringList, log);

        state.results = resultsOf(results);
        state.exclusion = {"7"};
        state.feed = lastparsed == 0 ? feedOf(1, 20) : feedOf(lastparsed, lastparsed + 3);
        AlertStage stage(state, *env->store, env->log.get());
        const AlertStage::Outcome out = stage.run(lastparsed, lastalerted, onetime);

        QCOMPARE(logLines(), log);
        QCOMPARE(out.animation, animation);
        QCOMPARE(out.tooltip, tooltip);
        QCOMPARE(state.TrayTipText, tooltip);
        QCOMPARE(out.alertAddress, SiteBaseUrl() + page);
        QCOMPARE(state.AlertAddress, SiteBaseUrl() + page);
        QCOMPARE(popupText(out.popup), popup);
        QCOMPARE(out.lastalerted, newLastalerted);
        QVERIFY(out.stored);
        QCOMPARE(env->store->ReadSettingText("lastalerted"), QString::number(newLastalerted));
        QCOMPARE(env->store->ReadSettingText("lastparsed"),
                 lastparsed == 0 ? QStringLiteral("20") : QString::number(lastparsed + 3));
        if (lastparsed == 0) {
            QVERIFY(state.results.isEmpty());
            QVERIFY(state.exclusion.isEmpty());
            QVERIFY(state.feed.isEmpty());
        } else {
            QCOMPARE(state.results.size(), results.size());
            QCOMPARE(state.exclusion, QStringList{"7"});
        }
    }

    // Each check finds one new torrent and the user acknowledges nothing in between.
    void twoChecksWithoutAcknowledgement_data()
    {
        QTest::addColumn<bool>("onetime");
        QTest::addColumn<QString>("secondPopup");
        QTest::newRow("alert every time: the count")
            << false << "2| new torrents have just been uploaded.";
        QTest::newRow("alert once: only the newer one") << true << "Second|has just been uploaded.";
    }
    void twoChecksWithoutAcknowledgement()
    {
        QFETCH(bool, onetime);
        QFETCH(QString, secondPopup);
        env->store->WriteSettingText("lastalerted", "100");

        state.feed = feedOf(100, 101);
        state.results = resultsOf({"101|First"});
        AlertStage first(state, *env->store, env->log.get());
        const auto out1 =
            first.run(100, env->store->ReadSettingText("lastalerted").toInt(), onetime);
        QCOMPARE(popupText(out1.popup), QStringLiteral("First|has just been uploaded."));

        state.feed = feedOf(101, 102);
        state.results.append(resultsOf({"102|Second"}));
        AlertStage second(state, *env->store, env->log.get());
        const auto out2 = second.run(env->store->ReadSettingText("lastparsed").toInt(),
                                     env->store->ReadSettingText("lastalerted").toInt(), onetime);
        QCOMPARE(out2.tooltip, QStringLiteral("2 new torrents"));
        QCOMPARE(popupText(out2.popup), secondPopup);
        QCOMPARE(env->store->ReadSettingText("lastalerted"), QStringLiteral("102"));
        QCOMPARE(env->store->ReadSettingText("lastparsed"), QStringLiteral("102"));
    }

    // lastparsed is where the next check starts: an unreadable id in the last row must not be
    // stored, since it would read back as 0 and turn the next check into a first run.
    void unreadableLastIdKeepsTheNewestReadableOne()
    {
        env->store->WriteSettingText("lastparsed", "100");
        state.feed = feedOf(100, 102);
        state.feed.append({"x9", "1", "Appz", "Broken", "f"});
        AlertStage stage(state, *env->store, env->log.get());
        stage.run(100, 0, false);
        QCOMPARE(env->store->ReadSettingText("lastparsed"), QStringLiteral("102"));
    }
};

const QString TestAlertStage::Name27 = QStringLiteral("Twenty Seven Characters Abc");
const QString TestAlertStage::Name28 = QStringLiteral("Twenty Eight Characters Abcd");

QTEST_GUILESS_MAIN(TestAlertStage)
#include "tst_alertstage.moc"

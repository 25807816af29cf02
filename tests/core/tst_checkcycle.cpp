#include "feed/FeedCheck.h"
#include "model/ProgramState.h"
#include "notify/CheckCycle.h"
#include "TestEnv.h"

#include <QtTest>

#include <stdexcept>

// The stages after a parsed reply, run one after the other: an error inside one stage is
// logged and the later stages still run, so the check always stores its bookkeeping.
class TestCheckCycle : public QObject
{
    Q_OBJECT

private slots:
    void aFailingStepDoesNotStopTheCheck_data()
    {
        // torrents.db cannot be written in every row; "std" or "other": thrown by the download
        // starter as well. The whole check where nothing fails is tst_wholecheck's.
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("logLine");
        // clang-format off
        QTest::newRow("torrents.db cannot be written") << "" << "Failed to update torrent db: ";
        QTest::newRow("a standard exception") << "std"
            << "Error in the filters step: no space left. Continuing the check.";
        QTest::newRow("anything else") << "other"
            << "Error in the filters step: unknown error. Continuing the check.";
        // clang-format on
    }
    void aFailingStepDoesNotStopTheCheck()
    {
        QFETCH(QString, failure);
        QFETCH(QString, logLine);
        TestEnv env;
        env.store->WriteSettingText("search_newest", "100");
        QVERIFY(QDir().mkdir(env.file("torrents.db")));
        ProgramState state;
        state.settings.TorrentFolder = env.folder();
        state.feed = {{"100", "1", "TV", "Start", "s.torrent"},
                      {"101", "1", "TV", "Linux One", "a.torrent"},
                      {"102", "1", "TV", "Other", "b.torrent"},
                      {"103", "1", "TV", "Linux Two", "c.torrent"}};
        state.Filters.append(FilterRecord{true, "Contains", "Download", {"linux"}, {"*"}});
        int started = 0;
        CheckCycle cycle(env.services, state, [&](const DownloadRequest &) {
            if (failure == "std")
                throw std::runtime_error("no space left");
            if (failure == "other")
                throw 42;
            ++started;
            return true;
        });
        FeedCheckContext context;
        context.lastparsed = context.lastalerted = 100;
        context.count = 4;
        const AlertStage::Outcome outcome = cycle.run(context, true, false);

        const bool threw = failure == "std" || failure == "other";
        QCOMPARE(cycle.failedStages(), threw ? QStringList{"filters"} : QStringList{});
        QVERIFY(env.log->lines().join('\n').contains(logLine));
        QList<int> ids;
        for (const MatchRecord &r : std::as_const(state.results))
            ids << r.Id;
        QCOMPARE(ids, threw ? QList<int>{101} : (QList<int>{101, 103}));
        QCOMPARE(started, threw ? 0 : 2);
        // The alert stage ran after the failed one and stored where the next check starts.
        QVERIFY(outcome.popup.has_value());
        QCOMPARE(env.store->ReadSettingText("lastparsed"), QStringLiteral("103"));
        QCOMPARE(env.store->ReadSettingText("lastalerted"), QString::number(ids.last()));
        QCOMPARE(env.problems(), QString());
    }
};

QTEST_MAIN(TestCheckCycle)
#include "tst_checkcycle.moc"

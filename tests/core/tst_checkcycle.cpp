#include "core/ProgramState.h"
#include "feed/FeedCheck.h"
#include "notify/CheckCycle.h"
#include "TestEnv.h"

#include <QtTest>

#include <stdexcept>

// The stages after a parsed reply, run one after the other: an error thrown inside one stage
// is logged and the later stages still run, so the check always stores its bookkeeping.
class TestCheckCycle : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> env;

    QStringList logLines() const
    {
        QStringList out;
        for (const QString &line : env->log->lines())
            out.append(line.mid(line.indexOf(QStringLiteral(") ")) + 2));
        return out;
    }

private slots:
    void init() { env = std::make_unique<TestEnv>(); }
    void cleanup()
    {
        QCOMPARE(env->problems(), QString());
        env.reset();
    }

    void aThrowingStepDoesNotStopTheCheck_data()
    {
        QTest::addColumn<QString>("thrown"); // by the download starter: "", "std" or "other"
        QTest::addColumn<QStringList>("failed");
        QTest::addColumn<QString>("logLine");
        QTest::addColumn<QList<int>>("results");
        QTest::addColumn<int>("downloads");
        QTest::newRow("nothing thrown") << "" << QStringList{} << "" << QList<int>{101, 103} << 2;
        QTest::newRow("a standard exception")
            << "std" << QStringList{"filters"}
            << "Error in the filters step: no space left. Continuing the check." << QList<int>{101}
            << 0;
        QTest::newRow("anything else")
            << "other" << QStringList{"filters"}
            << "Error in the filters step: unknown error. Continuing the check." << QList<int>{101}
            << 0;
    }
    void aThrowingStepDoesNotStopTheCheck()
    {
        QFETCH(QString, thrown);
        QFETCH(QStringList, failed);
        QFETCH(QString, logLine);
        QFETCH(QList<int>, results);
        QFETCH(int, downloads);
        ProgramState state;
        state.settings.TorrentFolder = env->folder();
        state.feed = {{"100", "1", "TV", "Start", "s.torrent"},
                      {"101", "1", "TV", "Linux One", "a.torrent"},
                      {"102", "1", "TV", "Other", "b.torrent"},
                      {"103", "1", "TV", "Linux Two", "c.torrent"}};
        FilterRecord download{true, "Contains", "Download", {"linux"}, {"*"}};
        state.Filters.append(download);
        int started = 0;
        CheckCycle cycle(env->services, state, [&](const DownloadRequest &) {
            if (thrown == "std")
                throw std::runtime_error("no space left");
            if (thrown == "other")
                throw 42;
            ++started;
        });
        FeedCheckContext context;
        context.lastparsed = 100;
        context.lastalerted = 100;
        context.count = 4;
        const AlertStage::Outcome outcome = cycle.run(context, true, false);

        QCOMPARE(cycle.failedStages(), failed);
        if (!logLine.isEmpty())
            QVERIFY(logLines().contains(logLine));
        QList<int> ids;
        for (const MatchRecord &r : std::as_const(state.results))
            ids << r.Id;
        QCOMPARE(ids, results);
        QCOMPARE(started, downloads);
        // The alert stage ran after the failed one and stored where the next check starts.
        QCOMPARE(outcome.animation, QStringLiteral("stopnew"));
        QVERIFY(outcome.popup.has_value());
        QCOMPARE(env->store->ReadSettingText("lastparsed"), QStringLiteral("103"));
        QCOMPARE(env->store->ReadSettingText("lastalerted"), QString::number(results.last()));
    }
};

QTEST_MAIN(TestCheckCycle)
#include "tst_checkcycle.moc"

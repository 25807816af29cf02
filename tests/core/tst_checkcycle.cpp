#include "EnvTest.h"
#include "feed/FeedCheck.h"
#include "FileRewriteCounter.h"
#include "model/ProgramState.h"
#include "notify/CheckCycle.h"

#include "core/DebugLog.h"

#include "platform/SettingsStore.h"
#include "platform/WholeFiles.h"

#include <QtTest>

#include <stdexcept>

// The stages after a parsed reply, run one after the other: an error inside one stage is
// logged and the later stages still run, so the check always stores its bookkeeping, in one
// rewrite of the settings file, before any download starts.
// A log whose line for the number of results throws, as a failure inside the alert stage.
class ThrowingLog : public DebugLog
{
public:
    using DebugLog::DebugLog;
    void debug_console(const QString &message) override
    {
        if (message.startsWith("Number of results"))
            throw std::runtime_error("alert stage broken");
        DebugLog::debug_console(message);
    }
};

class TestCheckCycle : public EnvTest
{
    Q_OBJECT

private slots:
    void aFailingStepDoesNotStopTheCheck_data()
    {
        // "db": torrents.db cannot be written; "std" or "other": thrown by the download starter
        // as well. The whole check against a site is tst_wholecheck's, which also has a download
        // passed over (automaticDownloadsNeverAsk).
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("logLine");
        // clang-format off
        QTest::newRow("nothing fails: the four values in one rewrite") << "" << "Update successful.";
        QTest::newRow("torrents.db cannot be written") << "db" << "Failed to update torrent db: ";
        QTest::newRow("a standard exception") << "std"
            << "Error in the download step: no space left. Continuing the check.";
        QTest::newRow("anything else") << "other"
            << "Error in the download step: unknown error. Continuing the check.";
        // clang-format on
    }
    void aFailingStepDoesNotStopTheCheck()
    {
        QFETCH(QString, failure);
        QFETCH(QString, logLine);
        env->store->WriteSettingText("search_newest", "100");
        if (failure.isEmpty())
            QVERIFY(ReplaceTextFileAtomically(env->file("torrents.db"), "100\t1\tTV\t1\tS\ts\r\n"));
        else
            QVERIFY(QDir().mkdir(env->file("torrents.db")));
        const QString settingsPath = env->services.config.settingsPath();
        FileRewriteCounter rewrites(settingsPath);
        QVERIFY(rewrites.isValid());
        ProgramState state;
        state.settings.TorrentFolder = env->folder();
        state.feed = {{"100", "1", "TV", "Start", "s.torrent"},
                      {"101", "1", "TV", "Linux One", "a.torrent"},
                      {"102", "1", "TV", "Other", "b.torrent"},
                      {"103", "1", "TV", "Linux Two", "c.torrent"}};
        state.Filters.append(FilterRecord{true, "Contains", "Download", {"linux"}, {"*"}});
        int started = 0;
        QStringList storedAtStart; // lastparsed as the file holds it when a download starts
        CheckCycle cycle(env->services, state, [&](const DownloadRequest &) {
            storedAtStart << SettingsStore(settingsPath, QString()).ReadSettingText("lastparsed");
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
        // One download that cannot start does not keep the next one from starting.
        QCOMPARE(cycle.failedStages(), threw ? QStringList(2, "download") : QStringList());
        QVERIFY(env->log->lines().join('\n').contains(logLine));
        QList<int> ids;
        QList<float> downloaded;
        for (const MatchRecord &r : std::as_const(state.results)) {
            ids << r.Id;
            downloaded << r.Downloaded;
        }
        QCOMPARE(ids, (QList<int>{101, 103}));
        // A download that did not start leaves its result marked as not downloaded.
        QCOMPARE(started, threw ? 0 : 2);
        QCOMPARE(downloaded, threw ? (QList<float>{0, 0}) : (QList<float>{1, 1}));
        QCOMPARE(storedAtStart, QStringList(2, "103"));
        // The alert stage ran after a failed one and stored where the next check starts, with
        // the torrents.db values when the append succeeded, all in one rewrite.
        QVERIFY(outcome.popup.has_value());
        QVERIFY(outcome.stored);
        QCOMPARE(rewrites.count(), 1);
        QCOMPARE(env->store->ReadSettingText("lastparsed"), QStringLiteral("103"));
        QCOMPARE(env->store->ReadSettingText("lastalerted"), QStringLiteral("103"));
        QCOMPARE(env->store->ReadSettingText("search_newest"),
                 QString(failure.isEmpty() ? "103" : "100"));
        QCOMPARE(env->store->ReadSettingText("search_updated").isEmpty(), !failure.isEmpty());
    }

    // When the alert stage fails, the tray still stops spinning and says what is waiting.
    void aFailedAlertStageStillShowsWhatWaits_data()
    {
        QTest::addColumn<int>("matches");
        QTest::addColumn<QString>("animation");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("none") << 0 << "stop"
                              << "No new torrents";
        QTest::newRow("one") << 1 << "stopnew"
                             << "Linux 1 has just been uploaded";
        QTest::newRow("two") << 2 << "stopnew"
                             << "2 new torrents";
    }
    void aFailedAlertStageStillShowsWhatWaits()
    {
        QFETCH(int, matches);
        QFETCH(QString, animation);
        QFETCH(QString, tooltip);
        ThrowingLog log(env->services.clock);
        env->services.log = &log;
        ProgramState state;
        state.AlertAddress = "http://site/alert";
        state.feed = {{"100", "1", "TV", "Start", "s.torrent"}};
        for (int i = 1; i <= 2; ++i) {
            const QString name = (i <= matches ? "Linux " : "Other ") + QString::number(i);
            state.feed.append({QString::number(100 + i), "1", "TV", name, "t.torrent"});
        }
        state.Filters.append(FilterRecord{true, "Contains", "Notify", {"linux"}, {"*"}});
        CheckCycle cycle(env->services, state, {});
        FeedCheckContext context;
        context.lastparsed = context.lastalerted = 100;
        context.count = 3;
        const AlertStage::Outcome outcome = cycle.run(context, true, false);
        QCOMPARE(cycle.failedStages(), QStringList{"alerts"});
        QVERIFY(log.lines().join('\n').contains(
            "Error in the alerts step: alert stage broken. Continuing the check."));
        QCOMPARE(state.results.size(), matches);
        QCOMPARE(outcome.animation, animation);
        QCOMPARE(outcome.tooltip, tooltip);
        QCOMPARE(state.TrayTipText, tooltip);
        QCOMPARE(outcome.lastalerted, 100);
        QCOMPARE(outcome.alertAddress, QStringLiteral("http://site/alert"));
        QVERIFY(!outcome.popup.has_value());
    }
};

QTEST_MAIN(TestCheckCycle)
#include "tst_checkcycle.moc"

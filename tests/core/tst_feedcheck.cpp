#include "core/ProgramState.h"
#include "feed/Categories.h"
#include "feed/FeedCheck.h"
#include "feed/FeedCheckHost.h"
#include "platform/TextUtils.h"
#include "TestEnv.h"
#include "TestSite.h"

#include <QFile>
#include <QTest>
#include <QTimer>

Q_DECLARE_METATYPE(SiteMisbehaviour::Kind)

namespace {

class RecordingHost : public FeedCheckHost
{
public:
    void checkanimation(const QString &word) override { words << word; }
    void setTrayTip(const QString &text) override { tips << text; }
    void setStatusText(const QString &text) override { statuses << text; }
    void showNextCheckStatus() override { statuses << QStringLiteral("Next check in 10m 00s"); }

    QStringList words;
    QStringList tips;
    QStringList statuses;
};

} // namespace

class TestFeedCheck : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        env = std::make_unique<TestEnv>();
        site = std::make_unique<TestSite>();
        QVERIFY(site->isListening());
        env->useSite(site->baseUrl());
        state = std::make_unique<ProgramState>();
        state->settings.SiteUserName = site->userName();
        state->settings.SitePassword = site->password();
        state->categories = Categories::builtIn();
        host = std::make_unique<RecordingHost>();
        check = std::make_unique<FeedCheck>(env->services, *state, *host);
    }
    void cleanup()
    {
        check.reset();
        site.reset();
        QCOMPARE(env->problems(), QString());
        env.reset();
    }

    void requestAddresses_data()
    {
        QTest::addColumn<QString>("lastparsed");
        QTest::addColumn<bool>("developer");
        QTest::addColumn<QString>("target");
        QTest::newRow("first run") << "" << false << "/bots.php?limit=20&u=demo&p=demo&v=11&c=1";
        QTest::newRow("normal") << "700010" << false
                                << "/bots.php?startid=700010&limit=150&u=demo&p=demo&v=11&c=1";
        QTest::newRow("developer mode")
            << "700035" << true << "/bots.php?startid=700005&limit=150&u=demo&p=demo&v=11&c=1";
        QTest::newRow("not a number reads as a first run")
            << "abc" << false << "/bots.php?limit=20&u=demo&p=demo&v=11&c=1";
    }
    void requestAddresses()
    {
        QFETCH(QString, lastparsed);
        QFETCH(bool, developer);
        if (!lastparsed.isEmpty())
            env->store->WriteSettingText("lastparsed", lastparsed);
        state->DeveloperMode = developer;
        check->checkfeed();
        QCOMPARE(site->requests().size(), 1);
        QTEST(QString::fromLatin1(site->lastRequest().target), "target");
    }

    void categoriesAskedOnAttempts1And21()
    {
        env->store->WriteSettingText("lastparsed", "700039");
        QStringList flags;
        for (int i = 0; i < 21; ++i)
            check->checkfeed();
        for (const SiteRequest &r : site->requests())
            flags << QString::fromLatin1(r.target.right(3));
        QCOMPARE(flags.size(), 21);
        QCOMPARE(flags.first(), QStringLiteral("c=1"));
        QCOMPARE(flags.mid(1, 19), QStringList(19, QStringLiteral("c=0")));
        QCOMPARE(flags.last(), QStringLiteral("c=1"));
    }

    void successfulCheck()
    {
        env->store->WriteSettingText("lastparsed", "700030");
        state->exclusion << "stale";
        check->checkfeed();
        QCOMPARE(check->attempts(), 1);
        QCOMPARE(check->lastFailure(), FeedFailure::None);
        QCOMPARE(messages(),
                 QStringList({"Atempting to retrieve torrent details...", "Checking categories...",
                              "Cats up-to-date.", "Number of torrents in the feed: 11",
                              "Parsing feed...", "Feed successfully parsed."}));
        QCOMPARE(host->words, QStringList({"start", "stop"}));
        QCOMPARE(host->tips, QStringList({"Checking for new torrents...", "No new torrents"}));
        QCOMPARE(host->statuses.first(), QStringLiteral("Checking for new torrents..."));
        QCOMPARE(state->feed.size(), 11);
        QCOMPARE(state->feed.first().Id, QStringLiteral("700030"));
        QCOMPARE(state->feed.last().Id, QStringLiteral("700040"));
        QVERIFY(!state->feed.first().Name.contains('.'));
        QVERIFY(state->exclusion.isEmpty());
        QCOMPARE(state->AlertAddress, site->baseUrl() + "/browse.php");
        // Until the later stages exist nothing is stored.
        QCOMPARE(env->store->ReadSettingText("lastparsed"), QStringLiteral("700030"));
        QCOMPARE(env->store->ReadSettingText("lastalerted"), QString());
    }

    void categoryLineRewritesTheFile()
    {
        state->categories.clear();
        check->checkfeed();
        const QStringList lines = messages();
        QCOMPARE(lines.mid(1, 4), QStringList({"Checking categories...", "Full cat update needed",
                                               "New cats added", "25 cats loaded from file"}));
        QCOMPARE(ReadTextFile(env->file("categories.db")),
                 site->catalogue().categories().join('\t'));
        QCOMPARE(state->categories, site->catalogue().categories());
    }

    void completionReceivesTheAttempt()
    {
        env->store->WriteSettingText("lastparsed", "700038");
        env->store->WriteSettingText("lastalerted", "700020");
        state->DeveloperMode = true;
        FeedCheckContext seen;
        int calls = 0;
        check->setCompletion([&](const FeedCheckContext &c) {
            seen = c;
            ++calls;
        });
        check->checkfeed();
        QCOMPARE(calls, 1);
        QCOMPARE(seen.lastparsed, 700008);
        QCOMPARE(seen.lastalerted, 700020);
        QCOMPARE(seen.attempt, 1);
        QCOMPARE(seen.count, 33);
        QCOMPARE(host->words, QStringList({"start"}));
    }

    void failures_data()
    {
        QTest::addColumn<SiteMisbehaviour::Kind>("kind");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QString>("logLine");
        const QString invalid =
            "Failed: Unable to parse torrent details. Site returned invalid data.";
        const auto raw = SiteMisbehaviour::Raw;
        QTest::newRow("empty reply") << SiteMisbehaviour::Empty << QByteArray() << "demo"
                                     << "Unable to fetch torrent feed. Check connection."
                                     << "Failed: Unable to retrieve torrent details.";
        QTest::newRow("404") << SiteMisbehaviour::NotFound << QByteArray() << "demo"
                             << "Unable to fetch torrent feed. File not found on server."
                             << "Failed: Unable to retrieve torrent details. File not found.";
        QTest::newRow("busy")
            << SiteMisbehaviour::Busy << QByteArray() << "demo"
            << "Unable to fetch torrent feed. Server too busy."
            << "Failed: Unable to retrieve torrent details. The server is too busy.";
        QTest::newRow("Error(1) html")
            << SiteMisbehaviour::Html << QByteArray() << "demo"
            << "Error(1) parsing torrent feed. Malformed feed."
            << "Failed: Unable to parse torrent details. Site returned unexpected data.";
        QTest::newRow("Error(2) no rows")
            << raw << QByteArray("#PWKF12#\r\n\r\n") << "demo"
            << "Error(2) parsing torrent feed. Malformed feed." << invalid;
        QTest::newRow("Error(3) empty row")
            << raw << QByteArray("#PWKF12#\r\n\r\n1\t2\t3\t4\t5\t6\r\n\r\n") << "demo"
            << "Error(3) parsing torrent feed. Malformed feed." << invalid;
        QTest::newRow("Error(4) database")
            << SiteMisbehaviour::MySqlError << QByteArray() << "demo"
            << "Error(4) parsing torrent feed. Malformed feed." << invalid;
        QTest::newRow("Error(5) version")
            << raw << QByteArray("#PWKF13#\r\n\r\n") << "demo"
            << "Error(5) parsing torrent feed. Feed wrong version."
            << "Failed: Torrent feed wrong version. You may need to update the program.";
        QTest::newRow("Error(6) wrong password")
            << SiteMisbehaviour::None << QByteArray() << "wrong"
            << "Error(6) parsing torrent feed. Unauthorised."
            << "Failed: Unable to get torrent feed. Unauthorised.";
        QTest::newRow("Error(7) other")
            << raw << QByteArray("#pwkf12#\r\n") << "demo"
            << "Error(7) parsing torrent feed. Malformed feed." << invalid;
        QTest::newRow("Error(8) one category")
            << raw << QByteArray("#PWKF12#\r\nMusic\r\n1\t2\t3\t4\t5\t6\r\n") << "demo"
            << "Error(8) parsing torrent feed. Malformed feed." << invalid;
    }
    void failures()
    {
        QFETCH(SiteMisbehaviour::Kind, kind);
        QFETCH(QByteArray, body);
        QFETCH(QString, password);
        QFETCH(QString, tip);
        QFETCH(QString, logLine);
        if (kind == SiteMisbehaviour::Raw)
            site->scriptReply("/bots.php", body, 200, {}, 2);
        else if (kind != SiteMisbehaviour::None)
            site->misbehave("/bots.php", kind, 2);
        state->settings.SitePassword = password;
        env->store->WriteSettingText("lastparsed", "700030");

        check->checkfeed();
        QCOMPARE(site->requestsTo("/bots.php").size(), 2);
        QCOMPARE(check->attempts(), 2);
        const QStringList lines = messages();
        QCOMPARE(lines.count("Retrying..."), 1);
        QCOMPARE(lines.count(logLine), 2);
        QCOMPARE(lines.last(), logLine);
        QCOMPARE(host->words, QStringList({"start", "stopwitherror", "start", "stopwitherror"}));
        QCOMPARE(host->tips.last(), tip);
        // A failed check stores nothing.
        QCOMPARE(env->store->ReadSettingText("lastparsed"), QStringLiteral("700030"));
        QCOMPARE(QFile::exists(env->file("udata.temp")), lines.last().contains("unexpected"));
    }

    void unexpectedPageIsKeptAfterTheSecondAttempt()
    {
        site->misbehave("/bots.php", SiteMisbehaviour::Html, 2);
        check->checkfeed();
        const QString page = ReadTextFile(env->file("udata.temp"));
        QVERIFY(page.startsWith("<html>", Qt::CaseInsensitive));
        QCOMPARE(site->requests().size(), 2);
    }

    void refusedConnection()
    {
        env->useSite(TestSite::unusedPortUrl());
        check->checkfeed();
        QCOMPARE(check->attempts(), 2);
        QCOMPARE(check->lastFailure(), FeedFailure::Connection);
        QCOMPARE(messages(), QStringList({"Atempting to retrieve torrent details...",
                                          "Failed: Unable to retrieve torrent details.",
                                          "Retrying...", "Atempting to retrieve torrent details...",
                                          "Failed: Unable to retrieve torrent details."}));
        QCOMPARE(host->tips.last(),
                 QStringLiteral("Unable to fetch torrent feed. Check connection."));
    }

    void failureThenSuccess()
    {
        site->misbehave("/bots.php", SiteMisbehaviour::Busy, 1);
        env->store->WriteSettingText("lastparsed", "700039");
        check->checkfeed();
        QCOMPARE(check->attempts(), 2);
        QCOMPARE(check->lastFailure(), FeedFailure::None);
        QCOMPARE(host->words, QStringList({"start", "stopwitherror", "start", "stop"}));
        QCOMPARE(host->tips.last(), QStringLiteral("No new torrents"));
        // Both attempts count for the category request: the second asks with c=0.
        QVERIFY(site->requests()[0].target.endsWith("c=1"));
        QVERIFY(site->requests()[1].target.endsWith("c=0"));
    }

    void aCheckStartedDuringARequestEndsAtOnce()
    {
        SiteMisbehaviour slow;
        slow.prefix = "/bots.php";
        slow.kind = SiteMisbehaviour::SlowDrip;
        slow.remaining = 1;
        slow.dripChunk = 256;
        slow.dripIntervalMs = 20;
        site->addMisbehaviour(slow);
        env->store->WriteSettingText("lastparsed", "700001");
        bool innerReturned = false;
        bool outerRunning = true;
        QTimer::singleShot(30, [&] {
            QVERIFY(check->transfer().StillExecuting());
            check->checkfeed();
            innerReturned = outerRunning;
        });
        check->checkfeed();
        outerRunning = false;
        QVERIFY(innerReturned);
        QCOMPARE(site->requests().size(), 1);
        QCOMPARE(check->attempts(), 1);
        QCOMPARE(check->lastFailure(), FeedFailure::None);
        QCOMPARE(state->feed.size(), 40);
    }

private:
    // The log lines without their time.
    QStringList messages() const
    {
        QStringList out;
        for (const QString &line : env->log->lines())
            out << line.mid(line.indexOf(") ") + 2);
        return out;
    }

    std::unique_ptr<TestEnv> env;
    std::unique_ptr<TestSite> site;
    std::unique_ptr<ProgramState> state;
    std::unique_ptr<RecordingHost> host;
    std::unique_ptr<FeedCheck> check;
};

QTEST_GUILESS_MAIN(TestFeedCheck)
#include "tst_feedcheck.moc"

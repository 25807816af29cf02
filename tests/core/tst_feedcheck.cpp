#include "EnvTest.h"
#include "feed/Categories.h"
#include "feed/FeedCheck.h"
#include "feed/FeedCheckHost.h"
#include "model/ProgramState.h"
#include "platform/WholeFiles.h"
#include "TestSite.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

Q_DECLARE_METATYPE(SiteMisbehaviour::Kind)
using K = SiteMisbehaviour;

// Checks against the test site; the host records the animation words and tooltips, and the
// later stages' hand-over records what each accepted reply's request was built from.
struct Checked : RecordingFeedHost
{
    explicit Checked(TestEnv &testEnv) : env(testEnv)
    {
        env.useSite(site.baseUrl());
        state.settings.SiteUserName = site.userName();
        state.settings.SitePassword = site.password();
        state.categories = Categories::builtIn();
        check.setCompletion([this](const FeedCheckContext &context) { handedOver << context; });
    }
    QStringList messages() const { return env.messages(); }

    TestEnv &env;
    TestSite site;
    ProgramState state;
    FeedCheck check{env.services, state, *this};
    QList<FeedCheckContext> handedOver;
};

class TestFeedCheck : public EnvTest
{
    Q_OBJECT
    std::unique_ptr<Checked> c;

private slots:
    void initTestCase() { ::umask(022); }
    void init()
    {
        EnvTest::init();
        c = std::make_unique<Checked>(*env);
        QVERIFY(c->site.isListening());
        c->env.store->WriteSettingText("lastparsed", "700030");
    }
    void cleanup()
    {
        c.reset();
        EnvTest::cleanup();
    }

    // A failed attempt is tried again once; attempts 1 and 21 ask for the categories, the
    // retry counting as an attempt.
    void retryAndCategoryRequests()
    {
        c->site.misbehave("/bots.php", K::Busy, 1);
        c->env.store->WriteSettingText("lastparsed", "700039");
        c->check.checkfeed();
        QCOMPARE(c->words, QStringList({"start", "stopwitherror", "start"}));
        QCOMPARE(c->handedOver.size(), 1);
        QCOMPARE(c->handedOver[0].attempt, 2);
        for (int i = 0; i < 19; ++i)
            c->check.checkfeed();
        QStringList flags;
        for (const SiteRequest &r : c->site.requests())
            flags << QString::fromLatin1(r.target.right(3));
        QCOMPARE(flags, QStringList{"c=1"} + QStringList(19, "c=0") + QStringList{"c=1"});
    }

    // An accepted reply brings the categories up to date, is parsed, and goes to the later
    // stages with the ids its request was built from (developer mode goes 30 back).
    void successfulCheck()
    {
        c->env.store->WriteSettingText("lastparsed", "700038");
        c->env.store->WriteSettingText("lastalerted", "700020");
        c->state.DeveloperMode = true;
        c->state.exclusion << "stale";
        c->state.categories.clear();
        c->check.checkfeed();
        QCOMPARE(c->messages(),
                 QStringList({"Atempting to retrieve torrent details...", "Checking categories...",
                              "Full cat update needed", "New cats added",
                              "25 cats loaded from file", "Number of torrents in the feed: 33",
                              "Parsing feed...", "Feed successfully parsed."}));
        QCOMPARE(c->state.categories, c->site.catalogue().categories());
        QCOMPARE(c->words, QStringList({"start"}));
        QCOMPARE(c->tips, QStringList({"Checking for new torrents..."}));
        QCOMPARE(c->state.feed.size(), 33);
        QCOMPARE(c->state.feed.first().Id, QStringLiteral("700008"));
        QVERIFY(c->state.exclusion.isEmpty());
        QCOMPARE(c->handedOver.size(), 1);
        QCOMPARE(c->handedOver[0].lastparsed, 700008);
        QCOMPARE(c->handedOver[0].lastalerted, 700020);
    }

    // Each failure is tried twice, with its tooltip and log line each time.
    void failures_data()
    {
        QTest::addColumn<K::Kind>("kind");
        QTest::addColumn<QByteArray>("body"); // for Raw
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QString>("logLine");
        const auto row = [](const char *name, K::Kind kind, const QString &tip, const QString &log,
                            const QByteArray &body = {}) {
            QTest::newRow(name) << kind << body << tip << log;
        };
        const auto malformed = [](int n) {
            return QString("Error(%1) parsing torrent feed. Malformed feed.").arg(n);
        };
        const QString fetch = "Unable to fetch torrent feed. ";
        const QString retrieve = "Failed: Unable to retrieve torrent details.";
        const QString invalid =
            "Failed: Unable to parse torrent details. Site returned invalid data.";
        row("empty reply", K::Empty, fetch + "Check connection.", retrieve);
        row("404", K::NotFound, fetch + "File not found on server.", retrieve + " File not found.");
        row("busy", K::Busy, fetch + "Server too busy.", retrieve + " The server is too busy.");
        row("Error(1) html", K::Html, malformed(1),
            "Failed: Unable to parse torrent details. Site returned unexpected data.");
        row("Error(3) empty row", K::Raw, malformed(3), invalid, "#PWKF12#\r\n\r\n1\t2\r\n\r\n");
        row("Error(4) database", K::MySqlError, malformed(4), invalid);
        row("Error(5) version", K::Raw, "Error(5) parsing torrent feed. Feed wrong version.",
            "Failed: Torrent feed wrong version. You may need to update the program.",
            "#PWKF13#\r\n\r\n");
        row("Error(6) wrong password", K::None, "Error(6) parsing torrent feed. Unauthorised.",
            "Failed: Unable to get torrent feed. Unauthorised.");
        row("Error(7) other", K::Raw, malformed(7), invalid, "#pwkf12#\r\n");
        row("Error(8) one category", K::Raw, malformed(8), invalid,
            "#PWKF12#\r\nMusic\r\n1\t2\r\n");
        // 16 MiB is the most a reply may bring: one byte more ends the transfer.
        const QByteArray mebibytes16 = "#PWKF12#" + QByteArray((16 << 20) - 8, 'x');
        row("16 MiB: read", K::Raw, malformed(2), invalid, mebibytes16);
        row("16 MiB and a byte: too large", K::Raw, fetch + "Reply too large.",
            retrieve + " The reply is too large.", mebibytes16 + 'x');
    }
    void failures()
    {
        QFETCH(K::Kind, kind);
        QFETCH(QByteArray, body);
        QFETCH(QString, logLine);
        if (kind == K::Raw)
            c->site.scriptReply("/bots.php", body, 200, {}, 2);
        else if (kind == K::None)
            c->state.settings.SitePassword = "wrong";
        else
            c->site.misbehave("/bots.php", kind, 2);

        c->check.checkfeed();
        QCOMPARE(c->site.requestsTo("/bots.php").size(), 2);
        const QStringList lines = c->messages();
        QCOMPARE(lines.count("Retrying..."), 1);
        QCOMPARE(lines.count(logLine), 2);
        QCOMPARE(c->words, QStringList({"start", "stopwitherror", "start", "stopwitherror"}));
        QTEST(c->tips.last(), "tip");
        QVERIFY(c->handedOver.isEmpty());
        // The unexpected page is kept for support.
        const QString kept = ReadTextFile(c->env.file("udata.temp"));
        QCOMPARE(kept.startsWith("<html>", Qt::CaseInsensitive), kind == K::Html);
    }

    // A reply that fails on a row without a TAB, or whose category line holds a control
    // character, leaves categories.db and the list in use as they were; names with blanks,
    // tildes and Latin-1 letters are taken.
    void rejectedReplyKeepsCategories_data()
    {
        QTest::addColumn<QByteArray>("line2");
        QTest::addColumn<QByteArray>("rows");
        QTest::addColumn<int>("error"); // 0: accepted
        const QByteArray good = "700031\t1\tTV\t1\tA\ta.torrent\r\n";
        // clang-format off
        QTest::newRow("a row without a TAB") << QByteArray("A\tB") << good + "broken\r\n" << 3;
        QTest::newRow("code 31") << QByteArray("A\x1f\tB") << good << 8;
        QTest::newRow("a line feed") << QByteArray("A\n\tB") << good << 8;
        QTest::newRow("code 127") << QByteArray("A\tB\x7f") << good << 8;
        QTest::newRow("codes 32 and 126") << QByteArray("A ~\tB") << good << 0;
        QTest::newRow("code 128 and above") << QByteArray("\x80\tB\xff") << good << 0;
        // clang-format on
    }
    void rejectedReplyKeepsCategories()
    {
        QFETCH(QByteArray, line2);
        QFETCH(QByteArray, rows);
        QFETCH(int, error);
        const QString file = c->env.file("categories.db");
        QVERIFY(ReplaceFileAtomically(file, "X\tY"));
        c->state.categories = {"X", "Y"};
        c->site.scriptReply("/bots.php", "#PWKF12#\r\n" + line2 + "\r\n" + rows, 200, {}, 2);
        c->check.checkfeed();
        QFile stored(file);
        QVERIFY(stored.open(QIODevice::ReadOnly));
        if (error == 0) {
            QCOMPARE(c->handedOver.size(), 1);
            QCOMPARE(stored.readAll(), line2);
            QCOMPARE(c->state.categories, QString::fromLatin1(line2).split('\t'));
            return;
        }
        QCOMPARE(c->tips.last(),
                 QString("Error(%1) parsing torrent feed. Malformed feed.").arg(error));
        QCOMPARE(stored.readAll(), QByteArray("X\tY"));
        QCOMPARE(c->state.categories, QStringList({"X", "Y"}));
        QVERIFY(c->messages()
                    .filter(QRegularExpression("cat update|cats added|Cats up|Cat num"))
                    .isEmpty());
    }

    // The unexpected page kept in udata.temp never holds the password, as stored, as a form
    // encodes it or as HTML escapes it, whatever the page echoes; the file is the user's alone.
    void udataTempHidesThePassword_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("kept");
        // clang-format off
        QTest::newRow("letters and digits") << "Pw0rd9" << "<html>p=Pw0rd9&v=11 Pw0rd9</html>"
            << "<html>p=********&v=11 ********</html>";
        QTest::newRow("needs encoding") << "a/b c"
            << "<html>p=a/b c&v=11, form a%2Fb+c, echoed a%2fb+c</html>"
            << "<html>p=********&v=11, form ********, echoed ********</html>";
        QTest::newRow("inside its own encoding") << "%" << "<html>100% p=% %25</html>"
            << "<html>100******** p=******** ********</html>";
        QTest::newRow("a blank as %20, upper hex") << "a b/c" << "<html>a%20b%2Fc</html>"
            << "<html>********</html>";
        QTest::newRow("named entities") << "a&b<c>\"d'e" << "<html>a&amp;b&lt;c&gt;&quot;d&#39;e</html>"
            << "<html>********</html>";
        QTest::newRow("numeric entities") << QString::fromLatin1("Ab1\xe9") << "<html>&#65;&#x62;&#X31;&#0233;</html>"
            << "<html>********</html>";
        QTest::newRow("one character short") << "Ab1" << "<html>&#65;&#x62;</html>"
            << "<html>&#65;&#x62;</html>";
        QTest::newRow("no password") << "" << "<html>p=&v=11</html>" << "<html>p=&v=11</html>";
        // clang-format on
    }
    void udataTempHidesThePassword()
    {
        QFETCH(QString, password);
        QFETCH(QString, page);
        c->state.settings.SitePassword = password;
        c->site.scriptReply("/bots.php", page.toLatin1(), 200, {}, 2);
        c->check.checkfeed();
        QCOMPARE(c->check.lastFailure(), FeedFailure::Error1);
        QTEST(ReadTextFile(c->env.file("udata.temp")), "kept");
        const QFileDevice::Permissions all =
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
            QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
            QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
        QCOMPARE(QFileInfo(c->env.file("udata.temp")).permissions() & all,
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    // 429 and 503 are the busy failure whatever page comes with them. With a Retry-After that
    // names a time ahead, the check is not tried again, says until when, and so does a check
    // during the wait instead of asking; the first check after it asks as usual. (How the
    // header's value is read: tst_httptransfer's siteWaitFromRetryAfter.)
    void siteAskedToWait_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("retryAfter"); // empty: none
        QTest::addColumn<QString>("until");         // empty: no wait
        QTest::newRow("429 without Retry-After") << 429 << QByteArray() << "";
        QTest::newRow("503 with garbage") << 503 << QByteArray("later") << "";
        QTest::newRow("429, seconds") << 429 << QByteArray("3600") << "15:30";
    }
    void siteAskedToWait()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, retryAfter);
        QFETCH(QString, until);
        c->env.clock.set(QDateTime(QDate(2026, 12, 6), QTime(14, 30), Qt::UTC));
        SiteHeaderList headers;
        if (!retryAfter.isEmpty())
            headers.append({"Retry-After", retryAfter});
        c->site.scriptReply("/bots.php", "<html>Busy</html>", status, headers,
                            until.isEmpty() ? 2 : 1);
        c->check.checkfeed();
        QCOMPARE(c->check.lastFailure(), FeedFailure::Busy);
        QVERIFY(!QFile::exists(c->env.file("udata.temp")));
        QCOMPARE(c->site.requestsTo("/bots.php").size(), until.isEmpty() ? 2 : 1);
        if (until.isEmpty()) {
            QCOMPARE(c->tips.last(),
                     QStringLiteral("Unable to fetch torrent feed. Server too busy."));
            return;
        }
        const QString text = "The site asked Pollwick to wait until " + until + ".";
        QCOMPARE(c->tips.last(), text);
        QCOMPARE(c->statuses.last(), text);
        QCOMPARE(c->messages().mid(c->messages().size() - 2),
                 QStringList({"Failed: Unable to retrieve torrent details. The server is too "
                              "busy.",
                              text}));
        // A check in the wait asks nothing and says the same, to its last second.
        c->env.clock.set(
            QDateTime(QDate(2026, 12, 6), QTime::fromString(until, "hh:mm"), Qt::UTC).addSecs(-1));
        c->tips.clear();
        c->check.checkfeed();
        QCOMPARE(c->site.requestsTo("/bots.php").size(), 1);
        QCOMPARE(c->tips, QStringList{text});
        QCOMPARE(c->statuses.last(), text);
        QCOMPARE(c->messages().last(), text);
        c->env.clock.advanceSeconds(1);
        c->check.checkfeed();
        QCOMPARE(c->site.requestsTo("/bots.php").size(), 2);
        QCOMPARE(c->handedOver.size(), 1);
    }

    void aCheckStartedDuringARequestEndsAtOnce()
    {
        c->site.setDripPace(256, 20);
        c->site.misbehave("/bots.php", K::SlowDrip, 1);
        c->env.store->WriteSettingText("lastparsed", "700001");
        bool innerReturnedFirst = false;
        bool outerRunning = true;
        QTimer::singleShot(30, [&] {
            QVERIFY(c->check.transfer().StillExecuting());
            c->check.checkfeed();
            innerReturnedFirst = outerRunning;
        });
        c->check.checkfeed();
        outerRunning = false;
        QVERIFY(innerReturnedFirst);
        QCOMPARE(c->site.requests().size(), 1);
        QCOMPARE(c->check.attempts(), 1);
        QCOMPARE(c->state.feed.size(), 40);
    }
};

QTEST_GUILESS_MAIN(TestFeedCheck)
#include "tst_feedcheck.moc"

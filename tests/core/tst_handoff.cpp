#include "core/HandoffOptions.h"
#include "download/TorrentHandoff.h"
#include "download/TorrentInfoHash.h"
#include "EnvTest.h"
#include "RealClient.h"
#include "TestSite.h"

#include <QDir>
#include <QJsonArray>
#include <QNetworkCookieJar>
#include <QSslKey>
#include <QSslServer>
#include <QTest>

#include <optional>

using Result = TorrentHandoff::Result;
Q_DECLARE_METATYPE(RealClient::Kind)

namespace {

constexpr RealClient::Kind Qbt = RealClient::Qbittorrent;
constexpr RealClient::Kind Tr = RealClient::Transmission;

std::unique_ptr<TorrentHandoff> handoffFor(RealClient::Kind kind, const TorrentClientSettings &c,
                                           QNetworkAccessManager &network)
{
    HandoffSettings s;
    s.choice = kind == Qbt ? HandoffSettings::Qbittorrent : HandoffSettings::Transmission;
    (kind == Qbt ? s.qbt : s.tr) = c;
    return TorrentHandoff::create(s, network);
}

// Runs one add (a test when there is no torrent) and waits for its report.
Result run(TorrentHandoff &handoff, const QByteArray &torrent = QByteArray())
{
    std::optional<Result> got;
    const auto done = [&got](const Result &r) { got = r; };
    if (torrent.isNull())
        handoff.test(nullptr, done);
    else
        handoff.add("Some \"Show\" S01E01.torrent", torrent, nullptr, done);
    if (!QTest::qWaitFor([&got] { return got.has_value(); }, 45000))
        return Result{false, "no report", QString()};
    return *got;
}

} // namespace

class TestHandoff : public EnvTest
{
    Q_OBJECT
    // The torrents come from one site, to which the clients announce them; the other answers
    // as each test scripts it.
    TestSite tracker;
    TestSite site;
    QNetworkAccessManager network;
    // One client of each kind serves the rows that need no fresh one.
    std::unique_ptr<RealClient> shared[2];

private slots:
    void init()
    {
        EnvTest::init();
        site.clearMisbehaviour();
        site.clearRequests();
    }

    // A torrent from the site shows in the client's own list with the category or labels, save
    // path and paused state asked for.
    void addsToClient_data()
    {
        QTest::addColumn<RealClient::Kind>("kind");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("sorting");
        QTest::addColumn<QStringList>("listedAs");
        QTest::addColumn<bool>("paused"); // and a save path
        QTest::newRow("qBittorrent, all asked")
            << Qbt << 700001 << "Pollwick TV" << QStringList{"Pollwick TV"} << true;
        QTest::newRow("qBittorrent, nothing asked")
            << Qbt << 700002 << "" << QStringList{""} << false;
        QTest::newRow("Transmission, all asked")
            << Tr << 700003 << " tv, new ,, " << QStringList{"tv", "new"} << true;
        QTest::newRow("Transmission, nothing asked")
            << Tr << 700004 << "" << QStringList{} << false;
    }
    void addsToClient()
    {
        QFETCH(RealClient::Kind, kind);
        QFETCH(int, id);
        QFETCH(QString, sorting);
        QFETCH(QStringList, listedAs);
        QFETCH(bool, paused);
        REQUIRE_CLIENT(kind);
        if (!shared[kind]) {
            shared[kind] = std::make_unique<RealClient>(kind);
            QVERIFY2(shared[kind]->start(), qPrintable(shared[kind]->error()));
        }
        RealClient &client = *shared[kind];
        QTemporaryDir saveIn;
        TorrentClientSettings c = client.settings();
        c.sorting = sorting;
        c.folder = paused ? saveIn.path() : QString();
        c.paused = paused;
        const auto handoff = handoffFor(kind, c, network);
        const QByteArray file = tracker.torrentFile(id);
        QCOMPARE(run(*handoff, file).reason, QString());

        const QByteArray hash = TorrentInfoHash::of(file);
        const QJsonObject listed = client.listed(hash);
        QVERIFY(!listed.isEmpty());
        const bool qbt = kind == Qbt;
        const QString savedIn = listed.value(qbt ? "save_path" : "downloadDir").toString();
        QCOMPARE(QDir::cleanPath(savedIn) == QDir::cleanPath(saveIn.path()), paused);
        QCOMPARE(qbt ? QStringList{listed.value("category").toString()}
                     : listed.value("labels").toVariant().toStringList(),
                 listedAs);
        // Either may check the torrent first, and then stop it.
        QTRY_COMPARE_WITH_TIMEOUT(qbt ? client.listed(hash).value("state") == "pausedDL"
                                      : client.listed(hash).value("status") == 0,
                                  paused, 10000);
        // Restarted, the client has forgotten the session: qBittorrent answers 403 and is
        // logged in to again, Transmission answers 409 with a new session id. The torrent it
        // has already counts as taken.
        client.stop();
        QVERIFY2(client.start(), qPrintable(client.error()));
        QTRY_VERIFY_WITH_TIMEOUT(!client.listed(hash).isEmpty(), 10000);
        const Result again = run(*handoff, file);
        QVERIFY2(again.ok, qPrintable(again.reason));
    }

    // Refusals with their reasons, and nothing added on the way.
    void refused_data()
    {
        QTest::addColumn<RealClient::Kind>("kind");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("reason");
        const QByteArray good = tracker.torrentFile(700005), bad("d4:infod4:name1:xee");
        const QString wrong = TorrentHandoff::WrongPassword,
                      notTorrent = TorrentHandoff::NotATorrent;
        const QString refused = "not reachable at %1 (Connection refused)";
        for (const RealClient::Kind kind : {Qbt, Tr}) {
            const QByteArray name = kind == Qbt ? "qBittorrent, " : "Transmission, ";
            QTest::newRow(name + "wrong password") << kind << "password" << good << wrong;
            QTest::newRow(name + "wrong user") << kind << "user" << good << wrong;
            QTest::newRow(name + "not running") << kind << "stopped" << good << refused;
            QTest::newRow(name + "bad file") << kind << "" << bad << notTorrent;
            // Refused before the client is asked: it is not even running.
            QTest::newRow(name + "page") << kind << "stopped" << QByteArray("<html>") << notTorrent;
        }
        QTest::newRow("Transmission, other computers only")
            << Tr << "whitelist" << good << TorrentHandoff::NotAllowed;
    }
    void refused()
    {
        QFETCH(RealClient::Kind, kind);
        QFETCH(QString, change);
        QFETCH(QByteArray, file);
        QFETCH(QString, reason);
        REQUIRE_CLIENT(kind);
        // Five failed logins ban the address from qBittorrent: a fresh client for each row.
        RealClient client(kind,
                          change == "whitelist" ? QStringList{"-a", "192.0.2.1"} : QStringList());
        if (change != "stopped")
            QVERIFY2(client.start(), qPrintable(client.error()));
        TorrentClientSettings c = client.settings();
        c.password += change == "password" ? "x" : "";
        c.user = change == "user" ? "someone" : c.user;
        const Result r = run(*handoffFor(kind, c, network), file);
        QVERIFY(!r.ok);
        QCOMPARE(r.reason, reason.contains("%1") ? reason.arg(client.url()) : reason);
        if (change != "stopped")
            QVERIFY(client.listed(TorrentInfoHash::of(file)).isEmpty());
    }

    // What goes to qBittorrent: the login form, then the file as a multipart part with the
    // session cookie, the category and save path only when set, both paused fields when
    // asked, and no Referer or Origin. The program's cookie jar (the site's cookies, on the
    // same host here) neither gives nor takes a cookie.
    void qbittorrentRequests_data()
    {
        QTest::addColumn<QString>("sorting");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("paused");
        QTest::newRow("all") << QString("TV") << QString("/srv/tv") << true;
        QTest::newRow("none") << QString() << QString() << false;
    }
    void qbittorrentRequests()
    {
        QFETCH(QString, sorting);
        QFETCH(QString, folder);
        QFETCH(bool, paused);
        site.scriptReply("/api/v2/auth/login", "Ok.", 200,
                         {{"Set-Cookie", "SID=abc+/=; HttpOnly; path=/; SameSite=Strict"}});
        site.scriptReply("/api/v2/torrents/add", "Ok.");
        network.cookieJar()->setCookiesFromUrl({QNetworkCookie("uid", "7")}, site.url("/"));
        const TorrentClientSettings c{
            site.baseUrl() + "/", "me & you", "p@ss word+", folder, sorting, paused};
        QVERIFY(run(*handoffFor(Qbt, c, network), tracker.torrentFile(700008)).ok);
        const QList<SiteRequest> sent = site.requests();
        QCOMPARE(sent.size(), 2);
        QCOMPARE(sent[0].target + sent[0].body,
                 "/api/v2/auth/login"
                 "username=me%20%26%20you&password=p%40ss%20word%2B");
        const SiteRequest &add = sent[1];
        QCOMPARE(add.target + " " + add.cookie, "/api/v2/torrents/add SID=abc+/=");
        for (const SiteRequest &r : sent)
            QVERIFY(!r.hasHeader("Referer") && !r.hasHeader("Origin"));
        QCOMPARE(sent[0].cookie, "");
        QCOMPARE(network.cookieJar()->cookiesForUrl(site.url("/")).size(), 1);
        QVERIFY(add.body.contains("Content-Disposition: form-data; name=\"torrents\"; "
                                  "filename=\"Some %22Show%22 S01E01.torrent\"\r\n"
                                  "Content-Type: application/x-bittorrent\r\n\r\n" +
                                  tracker.torrentFile(700008) + "\r\n"));
        const auto field = [&add](const QByteArray &name, const QString &value) {
            return add.body.contains("name=\"" + name + "\"\r\n\r\n" + value.toUtf8() + "\r\n");
        };
        QCOMPARE(field("category", sorting), !sorting.isEmpty());
        QCOMPARE(field("savepath", folder), !folder.isEmpty());
        QCOMPARE(field("paused", "true") && field("stopped", "true"), paused);
        QCOMPARE(add.body.count("form-data; name="), paused ? 5 : 1);
    }

    // Answers the real clients seldom give, and what is made of each: one scripted answer per
    // request, in order ("stall": none; "cut": a body cut off); none is asked for after a
    // refusal or a redirect.
    void answers_data()
    {
        QTest::addColumn<RealClient::Kind>("kind");
        QTest::addColumn<QStringList>("script"); // prefix, status, body, header line or ""
        QTest::addColumn<QString>("reason");     // empty: taken
        const QString in = "/api/v2/auth/login", add = "/api/v2/torrents/add";
        const QString rpc = "/transmission/rpc";
        const QString text200(200, 'w'), added = R"({"result":"success","arguments":{)"
                                                 R"("torrent-added":{"hashString":"ab"}}})";
        const auto row = [](const char *name, RealClient::Kind kind, const QStringList &script,
                            const QString &reason) {
            QTest::newRow(name) << kind << script << reason;
        };
        row("login 204", Qbt, {in, "204", "", "", add, "200", "Ok.", ""}, "");
        row("redirect", Qbt, {in, "302", "", "Location: /api/v2/auth/login?x"},
            "sent elsewhere (HTTP 302 to /api/v2/auth/login?x)");
        row("add Fails., not listed", Qbt,
            {in, "200", "Ok.", "", add, "200", "Fails.", "", "/api/v2/torrents/info", "200", "[]",
             ""},
            "Fails.");
        row("add 403 after a fresh login", Qbt, {in, "200", "Ok.", "", add, "403", "", ""},
            TorrentHandoff::NotAllowed);
        row("client's words", Qbt, {in, "500", "Disk full\nmore", ""}, "Disk full");
        row("200 characters", Qbt, {in, "500", text200, ""}, text200);
        row("201 characters", Qbt, {in, "500", text200 + "w", ""}, text200 + "...");
        row("a page", Qbt, {in, "404", "<html>x</html>", ""}, "unexpected answer (HTTP 404)");
        row("Transmission's words", Tr, {rpc, "200", R"({"result":"no method name"})", ""},
            "no method name");
        row("no RPC answer", Tr, {rpc, "200", "<html>", ""},
            "no answer of Transmission's (HTTP 200)");
        row("nothing added", Tr, {rpc, "200", R"({"result":"success"})", ""},
            "no torrent in Transmission's answer");
        row("labels refused", Tr,
            {rpc, "200", added, "", rpc, "200", R"({"result":"labels too long"})", ""},
            "labels not set: labels too long");
        row("stall", Tr, {rpc, "stall", "", ""},
            "not reachable at %1 (no answer within 0.3 seconds)");
        row("cut off", Tr, {rpc, "cut", "", ""}, "not reachable at %1 (Connection closed)");
        row("409 twice", Tr,
            {rpc, "409", "", "X-Transmission-Session-Id: a", rpc, "409", "",
             "X-Transmission-Session-Id: b"},
            "unexpected answer (HTTP 409)");
    }
    void answers()
    {
        QFETCH(RealClient::Kind, kind);
        QFETCH(QStringList, script);
        QFETCH(QString, reason);
        for (int i = 0; i < script.size(); i += 4) {
            const auto fault =
                script[i + 1] == "stall" ? SiteMisbehaviour::Stall : SiteMisbehaviour::Truncated;
            if (script[i + 1] == "stall" || script[i + 1] == "cut") {
                site.misbehave(script[i], fault, 1);
                continue;
            }
            const QStringList header = script[i + 3].split(": ");
            site.scriptReply(script[i], script[i + 2].toUtf8(), script[i + 1].toInt(),
                             header.size() == 2
                                 ? SiteHeaderList{{header[0].toLatin1(), header[1].toLatin1()}}
                                 : SiteHeaderList{});
        }
        const TorrentClientSettings c{site.baseUrl(), "u", "p", "", "tv", false};
        const auto handoff = handoffFor(kind, c, network);
        handoff->setTimeLimit(300);
        const Result r = run(*handoff, tracker.torrentFile(700009));
        QCOMPARE(r.reason, reason.contains("%1") ? reason.arg(site.baseUrl()) : reason);
        QCOMPARE(r.ok, reason.isEmpty() || reason.startsWith("labels not set"));
        QCOMPARE(site.requests().size(), script.size() / 4);
    }

    // A certificate that is not trusted ends the request like an unreachable client.
    void untrustedCertificate()
    {
        QFile cert(QFINDTESTDATA("support/tls/selfsigned.crt"));
        QFile key(QFINDTESTDATA("support/tls/selfsigned.key"));
        QVERIFY(cert.open(QIODevice::ReadOnly) && key.open(QIODevice::ReadOnly));
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificate(QSslCertificate(&cert));
        tls.setPrivateKey(QSslKey(&key, QSsl::Rsa));
        QSslServer server;
        server.setSslConfiguration(tls);
        QVERIFY(server.listen(QHostAddress::LocalHost));
        const QString url = QString("https://127.0.0.1:%1").arg(server.serverPort());
        const QString reason =
            run(*handoffFor(Qbt, {url, "u", "p", "", "", false}, network)).reason;
        QVERIFY2(reason.startsWith("not reachable at " + url + " (") &&
                     reason.contains("self-signed"),
                 qPrintable(reason));
    }

    // Transmission's RPC path is added to an address without one; no user, no Authorization.
    void transmissionAddress_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("target");
        QTest::newRow("none") << "" << QByteArray("/transmission/rpc");
        QTest::newRow("slash") << "/" << QByteArray("/transmission/rpc");
        QTest::newRow("own") << "/tr/rpc" << QByteArray("/tr/rpc");
    }
    void transmissionAddress()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, target);
        site.scriptReply("/", R"x({"result":"success","arguments":{"version":"4.0.5 (a6f)"}})x");
        const auto handoff =
            handoffFor(Tr, {site.baseUrl() + path, "", "", "", "", false}, network);
        QCOMPARE(handoff->testLine(run(*handoff)), "Transmission 4.0.5: connected.");
        QCOMPARE(site.lastRequest().target, target);
        QVERIFY(!site.lastRequest().hasHeader("Authorization"));
    }

    // One request at a time: one asked for while another waits for its answer goes out after
    // it. A report goes only to a caller that is still there.
    void oneAtATime()
    {
        site.misbehave("/", SiteMisbehaviour::Stall, 1);
        site.setRawReply("/", 200, R"({"result":"success","arguments":{"version":"3.00"}})");
        const auto handoff = handoffFor(Tr, {site.baseUrl(), "", "", "", "", false}, network);
        handoff->setTimeLimit(500);
        auto *gone = new QObject;
        int reports = 0;
        handoff->test(gone, [&reports](const Result &) { ++reports; });
        QVERIFY(site.waitForRequests(1));
        delete gone;
        QCOMPARE(run(*handoff).version, "3.00");
        QCOMPARE(reports, 0);
        QCOMPARE(site.requests().size(), 2);
    }

    // A stored choice outside the four is the default program's; nothing stored is too.
    void storedChoice_data()
    {
        QTest::addColumn<int>("stored"); // 99: nothing stored
        QTest::addColumn<int>("choice");
        for (const auto &[stored, choice] : {std::pair{-1, 0}, {3, 3}, {4, 0}, {99, 0}})
            QTest::addRow("%d", stored) << stored << choice;
    }
    void storedChoice()
    {
        QFETCH(int, stored);
        if (stored != 99)
            env->store->WriteSettingNumber("handoff", qint16(stored));
        QTEST(HandoffOptions::load(*env->store).choice, "choice");
    }

    // Which addresses may be stored, and the message for the first that may not.
    void addressCheck_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QStringList>("urls"); // qBittorrent's, Transmission's
        QTest::addColumn<int>("client");       // whose address is wrong, 0: none
        QTest::addColumn<QString>("message");
        const QString web = "The address of %1 must begin with http:// or https:// ";
        const QString none = "Please enter the address of %1 ";
        const auto row = [](const char *name, int choice, const QStringList &urls, int client,
                            const QString &message) {
            QTest::newRow(name) << choice << urls << client << message;
        };
        row("default, none", 0, {"", ""}, 0, "");
        row("qBittorrent, none", 2, {" ", ""}, 2, none.arg("qBittorrent"));
        row("Transmission, none", 3, {"http://x", ""}, 3, none.arg("Transmission"));
        row("https", 2, {"HTTPS://nas:8080/qbt/", ""}, 0, "");
        row("no scheme", 2, {"nas:8080", ""}, 2, web.arg("qBittorrent"));
        row("ftp", 0, {"", "ftp://nas"}, 3, web.arg("Transmission"));
        row("no host", 3, {"", "http://"}, 3, web.arg("Transmission"));
        row("blank inside", 3, {"", "http://n as"}, 3, web.arg("Transmission"));
    }
    void addressCheck()
    {
        QFETCH(int, choice);
        QFETCH(QStringList, urls);
        HandoffSettings s;
        s.choice = choice;
        s.qbt.url = urls[0];
        s.tr.url = urls[1];
        int client = 0;
        QTEST(HandoffOptions::problem(s, &client), "message");
        QTEST(client, "client");
    }

    void cleanupTestCase()
    {
        shared[Qbt].reset();
        shared[Tr].reset();
    }
};

QTEST_GUILESS_MAIN(TestHandoff)
#include "tst_handoff.moc"

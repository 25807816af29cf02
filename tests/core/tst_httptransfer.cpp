#include "platform/HttpTransfer.h"
#include "platform/SiteAddresses.h"
#include "platform/SiteWait.h"
#include "TestEnv.h"
#include "TestSite.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <memory>

class TestHttpTransfer : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestSite> m_site;
    std::unique_ptr<QNetworkAccessManager> m_network;

    // Waits for the next StateChanged and returns its state (0 on time-out).
    static int nextState(QSignalSpy &spy)
    {
        if (spy.isEmpty() && !spy.wait(5000))
            return 0;
        return spy.takeFirst().at(0).toInt();
    }
    // The rest of the body in 1024-byte chunks; a bigger chunk spoils the result.
    static QByteArray readBody(HttpTransfer &transfer)
    {
        QByteArray body;
        for (QByteArray piece; !(piece = transfer.GetChunk(1024)).isEmpty();)
            body += piece.size() <= 1024 ? piece : "<chunk over 1024 bytes>";
        return body;
    }

private slots:
    void init()
    {
        m_site = std::make_unique<TestSite>();
        QVERIFY(m_site->isListening());
        m_network = std::make_unique<QNetworkAccessManager>();
    }

    // Which redirects a request carrying the member's details follows: the site's own scheme,
    // host and port (a port left out is the scheme's own), or http to https on the same host.
    void sameSite_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("same");
        const QString site = "http://site.example:8080/bots.php";
        // clang-format off
        QTest::newRow("same address") << site << "http://site.example:8080/x" << true;
        QTest::newRow("host in capitals") << site << "http://SITE.example:8080/x" << true;
        QTest::newRow("another port") << site << "http://site.example:8081/x" << false;
        QTest::newRow("the port left out") << site << "http://site.example/x" << false;
        QTest::newRow("another host") << site << "http://other.example:8080/x" << false;
        QTest::newRow("a longer host") << site << "http://site.example.evil:8080/x" << false;
        QTest::newRow("to https, any port") << site << "https://site.example/x" << true;
        QTest::newRow("https to http") << "https://site.example/x" << "http://site.example/x" << false;
        QTest::newRow("80 given and left out") << "http://site.example/x" << "http://site.example:80/y" << true;
        QTest::newRow("443 given and left out") << "https://site.example/x" << "https://site.example:443/y" << true;
        QTest::newRow("another scheme") << site << "ftp://site.example:8080/x" << false;
        QTest::newRow("no host") << site << "file:///etc/passwd" << false;
        // clang-format on
    }
    void sameSite()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QTEST(HttpTransfer::isSameSite(QUrl(from), QUrl(to)), "same");
    }

    void loginRedirectCarriesCookieToFileThen404()
    {
        const QString path = DownloadUrlPath(700007);
        HttpTransfer transfer(m_network.get());
        QSignalSpy spy(&transfer, &HttpTransfer::StateChanged);
        transfer.Execute(m_site->baseUrl() + "/takelogin.php", "POST",
                         "username=demo&password=demo&returnto=" + path,
                         "Content-Type: application/x-www-form-urlencoded\r\n");
        QVERIFY(transfer.StillExecuting());
        QCOMPARE(nextState(spy), HttpTransfer::icResponseCompleted);
        QVERIFY(transfer.GetHeader().startsWith("HTTP/1.1 200 OK\r\n"));
        const QByteArray expected = m_site->torrentFile(700007);
        QVERIFY(expected.size() > 1024);
        QCOMPARE(transfer.GetHeader("content-length").toLongLong(), expected.size());
        QCOMPARE(readBody(transfer), expected);
        QVERIFY(!transfer.failed() && !transfer.StillExecuting());
        QCOMPARE(spy.count(), 0); // one report per request
        QCOMPARE(m_site->requests().value(0).status, 302);
        QVERIFY(m_site->requests().value(1).cookie.contains("pass="));

        // 404 is an answer, not a failure: its page is the body.
        QVERIFY(transfer.OpenURL(m_site->baseUrl() + "/nothing.php").contains("404 Not Found"));
        QVERIFY(!transfer.failed());
        QVERIFY(transfer.GetHeader().startsWith("HTTP/1.1 404 Not Found\r\n"));
    }

    void transportFailures_data()
    {
        QTest::addColumn<QString>("url"); // empty: the test site's feed
        QTest::addColumn<SiteMisbehaviour::Kind>("misbehaviour");
        QTest::addColumn<int>("code");
        using H = HttpTransfer;
        using M = SiteMisbehaviour;
        // clang-format off
        QTest::newRow("refused") << TestSite::unusedPortUrl() << M::None << H::ErrorCannotConnect;
        QTest::newRow("unresolvable") << "http://no-such-host.invalid/" << M::None
                                      << H::ErrorNameNotResolved;
        QTest::newRow("closed without answer") << "" << M::Refuse << H::ErrorConnectionReset;
        QTest::newRow("stalled site times out") << "" << M::Stall << H::ErrorTimeout;
        // clang-format on
    }
    void transportFailures()
    {
        QFETCH(QString, url);
        QFETCH(SiteMisbehaviour::Kind, misbehaviour);
        if (url.isEmpty())
            url = m_site->feedUrl(0, false);
        m_site->misbehave("/bots.php", misbehaviour);
        HttpTransfer transfer(m_network.get());
        transfer.setRequestTimeout(1);
        QCOMPARE(transfer.OpenURL(url), QString());
        QVERIFY(transfer.failed() && !transfer.StillExecuting());
        QTEST(transfer.ResponseCode(), "code");
        QVERIFY(!transfer.ResponseInfo().isEmpty());
        QSignalSpy spy(&transfer, &HttpTransfer::StateChanged);
        transfer.Execute(url, "GET");
        QCOMPARE(nextState(spy), HttpTransfer::icError);
    }

    // A body longer than the limit, or announced so, ends the request at once: nothing of it
    // is handed out and the failure says why.
    void bodySizeLimit_data()
    {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<bool>("announced"); // with Content-Length
        QTest::addColumn<bool>("tooLarge");
        QTest::newRow("the limit, announced") << 1000 << true << false;
        QTest::newRow("the limit, not announced") << 1000 << false << false;
        QTest::newRow("one byte more, announced") << 1001 << true << true;
        QTest::newRow("one byte more, not announced") << 1001 << false << true;
    }
    void bodySizeLimit()
    {
        QFETCH(int, bytes);
        QFETCH(bool, announced);
        QFETCH(bool, tooLarge);
        SiteMisbehaviour rule;
        rule.prefix = "/bots.php";
        rule.kind = SiteMisbehaviour::Raw;
        rule.raw.body = QByteArray(bytes, 'x');
        rule.rawWithoutLength = !announced;
        m_site->addMisbehaviour(rule);
        HttpTransfer transfer(m_network.get());
        QCOMPARE(transfer.bodyLimit(), qint64(16) << 20);
        const QString text = FetchUrlText(m_site->feedUrl(0, false), transfer, 1000);
        QCOMPARE(transfer.bodyLimit(), 1000);
        QCOMPARE(text.size(), tooLarge ? 0 : bytes);
        QCOMPARE(transfer.bodyTooLarge(), tooLarge);
        QCOMPARE(transfer.failed(), tooLarge);
        QVERIFY(!transfer.StillExecuting());

        QSignalSpy spy(&transfer, &HttpTransfer::StateChanged);
        transfer.Execute(m_site->feedUrl(0, false), "GET");
        if (!tooLarge) {
            QCOMPARE(nextState(spy), HttpTransfer::icResponseCompleted);
            QCOMPARE(readBody(transfer).size(), bytes);
            return;
        }
        // Reported as an error when found before the body is handed out; a reader that is
        // already waiting gets the end of the body instead.
        QCOMPARE(nextState(spy), HttpTransfer::icError);
        QCOMPARE(transfer.GetChunk(1024), QByteArray());
        QCOMPARE(transfer.ResponseInfo(), QStringLiteral("The reply is too large"));
    }

    void cancelDuringBodyEndsTheTransfer()
    {
        m_site->misbehave("/bots.php", SiteMisbehaviour::SlowDrip);
        m_site->setDripPace(64, 20);
        HttpTransfer transfer(m_network.get());
        QSignalSpy spy(&transfer, &HttpTransfer::StateChanged);
        transfer.Execute(m_site->feedUrl(0, true), "GET");
        QCOMPARE(nextState(spy), HttpTransfer::icResponseCompleted);
        QVERIFY(!transfer.GetChunk(16).isEmpty());
        // Events run while the receive loop waits: a second request is refused, a click cancels.
        bool executing = false;
        QString second = "not called";
        QTimer::singleShot(30, &transfer, [&] {
            executing = transfer.StillExecuting();
            second = transfer.OpenURL(m_site->feedUrl(0, false));
            transfer.Cancel();
        });
        QCOMPARE(transfer.GetChunk(100000), QByteArray());
        QVERIFY(executing && second.isEmpty());
        QCOMPARE(m_site->requestsTo("/bots.php").size(), 1);
        QVERIFY(!transfer.StillExecuting());
        QCOMPARE(transfer.ResponseCode(), HttpTransfer::ErrorCancelled);
    }

    void waitEndsWhenItsRequestIsReplaced()
    {
        // A handler running inside the wait cancels the request and starts the next one, as a
        // download's retry does: the old reader gets nothing, the new request all its bytes.
        m_site->misbehave("/bots.php", SiteMisbehaviour::Stall, 1);
        HttpTransfer transfer(m_network.get());
        transfer.Execute(m_site->feedUrl(0, true), "GET");
        QSignalSpy spy(&transfer, &HttpTransfer::StateChanged);
        QTimer::singleShot(20, &transfer, [&] {
            transfer.Cancel();
            transfer.Execute(m_site->feedUrl(0, true), "GET");
        });
        QCOMPARE(transfer.GetChunk(1024), QByteArray());
        QCOMPARE(nextState(spy), HttpTransfer::icResponseCompleted);
        const QByteArray body = readBody(transfer);
        QVERIFY(body.startsWith("#PWKF12#"));
        QCOMPARE(body.size(), transfer.GetHeader("Content-Length").toInt());
    }

    // Once a request has run its time-out (2 seconds here), it ends as timed out when it has
    // brought less than 1 KiB a second on average; a slow but steady body comes whole, and so
    // does a large one.
    void trickle_data()
    {
        QTest::addColumn<int>("chunk"); // bytes the site sends each interval
        QTest::addColumn<int>("intervalMs");
        QTest::addColumn<int>("bytes"); // the whole body
        QTest::addColumn<bool>("whole");
        QTest::newRow("a byte a second") << 1 << 1000 << 60 << false;
        QTest::newRow("512 bytes a second") << 128 << 250 << 4096 << false;
        QTest::newRow("2 KiB a second") << 512 << 250 << 5120 << true;
        QTest::newRow("4 KiB each second for 3 seconds") << 4096 << 1000 << 12288 << true;
        QTest::newRow("128 KiB at 32 KiB a second") << 8192 << 250 << 131072 << true;
    }
    void trickle()
    {
        QFETCH(int, chunk);
        QFETCH(int, intervalMs);
        QFETCH(int, bytes);
        QFETCH(bool, whole);
        SiteMisbehaviour rule;
        rule.prefix = "/bots.php";
        rule.kind = SiteMisbehaviour::SlowDrip;
        rule.raw.body = QByteArray(bytes, 'x');
        rule.dripChunk = chunk;
        rule.dripIntervalMs = intervalMs;
        m_site->addMisbehaviour(rule);
        HttpTransfer transfer(m_network.get());
        transfer.setRequestTimeout(2);
        QElapsedTimer clock;
        clock.start();
        QSignalSpy spy(&transfer, &HttpTransfer::StateChanged);
        transfer.Execute(m_site->feedUrl(0, false), "GET");
        QCOMPARE(nextState(spy), HttpTransfer::icResponseCompleted);
        const QByteArray body = readBody(transfer);
        QCOMPARE(body.size() == bytes, whole);
        QCOMPARE(transfer.ResponseCode(), whole ? 0 : HttpTransfer::ErrorTimeout);
        // Qt's coarse timers may fire up to 5 % early.
        if (!whole)
            QVERIFY2(clock.elapsed() >= 1850, "ended before its time-out");
    }

    // A busy status with a Retry-After naming a time ahead starts the site's wait, six hours
    // at most (also when read back), kept across a restart to its last second; anything else
    // starts none.
    void siteWaitFromRetryAfter_data()
    {
        QTest::addColumn<QTime>("now"); // on Sunday 6 December 2026, UTC
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("retryAfter");
        QTest::addColumn<QString>("until"); // as the texts show it; empty: no wait
        const auto row = [&](const char *name, int status, const QString &value,
                             const QString &until, QTime now = QTime(14, 30)) {
            QTest::newRow(name) << now << status << value << until;
        };
        row("429, seconds", 429, "3600", "15:30");
        row("503, seconds", 503, " 3600 ", "15:30");
        row("500 asks for nothing", 500, "3600", "");
        row("no value", 429, "", "");
        row("0 seconds", 429, "0", "");
        row("1 second", 429, "1", "14:30");
        row("six hours", 429, "21600", "20:30");
        row("six hours and a second: six hours", 429, "21601", "20:30");
        row("more digits than a number holds", 503, "99999999999999999999", "20:30");
        row("HTTP date", 503, "Sun, 06 Dec 2026 15:45:00 GMT", "15:45");
        row("RFC 850 date", 503, "Sunday, 06-Dec-26 15:45:00 GMT", "15:45");
        row("asctime date", 503, "Sun Dec  6 15:45:00 2026", "15:45");
        row("date a second ahead", 429, "Sun, 06 Dec 2026 14:30:01 GMT", "14:30");
        row("date now", 429, "Sun, 06 Dec 2026 14:30:00 GMT", "");
        row("past date", 429, "Sat, 05 Dec 2026 15:45:00 GMT", "");
        row("date without its zone", 429, "Sun, 06 Dec 2026 15:45:00", "");
        row("garbage", 429, "soon", "");
        row("negative", 429, "-5", "");
        row("fraction", 429, "1.5", "");
        row("past midnight", 429, "7200", "Mon 00:00", QTime(22, 0));
    }
    void siteWaitFromRetryAfter()
    {
        QFETCH(QTime, now);
        QFETCH(int, status);
        QFETCH(QString, retryAfter);
        QFETCH(QString, until);
        TestEnv env;
        env.clock.set(QDateTime(QDate(2026, 12, 6), now, Qt::UTC));
        SiteWait &wait = *env.siteWait;
        QCOMPARE(wait.obey(status, retryAfter), !until.isEmpty());
        QCOMPARE(wait.active(), !until.isEmpty());
        const qint32 stored = env.store->RegReadNumber(SettingsStore::HKEY_CURRENT_USER,
                                                       SettingsStore::ProgramKey(), "retryafter");
        if (until.isEmpty()) {
            QCOMPARE(stored, 0);
            return;
        }
        QCOMPARE(wait.text(), "The site asked Pollwick to wait until " + until + ".");
        env.clock.set(QDateTime::fromSecsSinceEpoch(stored - 1, Qt::UTC));
        const SiteWait restarted(*env.store, env.clock);
        QVERIFY(restarted.active());
        QCOMPARE(restarted.text(), wait.text());
        env.clock.advanceSeconds(1);
        QVERIFY(!restarted.active() && !wait.active());
        // A stored end further ahead than the longest wait (the clock was put back) is cut to it.
        const qint64 longest = env.clock.now().toSecsSinceEpoch() + SiteWait::MaxSeconds;
        const auto storedAs = [&](qint64 end) {
            env.store->RegWriteNumber(SettingsStore::HKEY_CURRENT_USER, SettingsStore::ProgramKey(),
                                      "retryafter", qint32(end));
            return SiteWait(*env.store, env.clock).text();
        };
        const QString cut = storedAs(longest + 3600);
        QCOMPARE(env.store->RegReadNumber(SettingsStore::HKEY_CURRENT_USER,
                                          SettingsStore::ProgramKey(), "retryafter"),
                 qint32(longest));
        QCOMPARE(cut, storedAs(longest));
    }

    // While the wait runs nothing goes to the site: a request fails at once, reported as an
    // error that says until when; another address is still asked. (The wait's end to the
    // second: siteWaitFromRetryAfter; the site asked again after it: tst_torrentdownload's
    // siteAskedToWait.)
    void requestsKeepToTheSiteWait()
    {
        TestEnv env;
        env.useSite(m_site->baseUrl());
        env.clock.set(QDateTime(QDate(2026, 12, 6), QTime(14, 30), Qt::UTC));
        m_site->scriptReply("/bots.php", "Slow down", 429, {{"Retry-After", "120"}});
        HttpTransfer transfer(env.services);
        QCOMPARE(transfer.OpenURL(m_site->feedUrl(0, false)), QStringLiteral("Slow down"));
        QSignalSpy spy(&transfer, &HttpTransfer::StateChanged);
        transfer.Execute(m_site->feedUrl(0, false), "GET");
        QCOMPARE(nextState(spy), HttpTransfer::icError);
        QVERIFY(transfer.siteWaiting() && !transfer.StillExecuting());
        QCOMPARE(transfer.ResponseInfo(),
                 QStringLiteral("The site asked Pollwick to wait until 14:32."));
        QCOMPARE(transfer.OpenURL(TestSite::unusedPortUrl() + "/bots.php"), QString());
        QCOMPARE(transfer.ResponseCode(), HttpTransfer::ErrorCannotConnect);
        QCOMPARE(m_site->requests().size(), 1);
    }

    void destroyedWhileWaitingReturnsEmpty()
    {
        m_site->misbehave("/bots.php", SiteMisbehaviour::Stall);
        auto *transfer = new HttpTransfer(m_network.get());
        QTimer::singleShot(20, [transfer] { delete transfer; });
        QCOMPARE(transfer->OpenURL(m_site->feedUrl(0, false)), QString());
    }
};

QTEST_GUILESS_MAIN(TestHttpTransfer)
#include "tst_httptransfer.moc"

#include "TestSite.h"
#include "platform/HttpTransfer.h"
#include "platform/TextUtils.h"

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

    static QString loginHeaders(const QString &base, const QString &path)
    {
        return QStringLiteral("Referer: ") + base + path + QStringLiteral("\r\n") +
               QStringLiteral("Content-Type: application/x-www-form-urlencoded\r\n") +
               QStringLiteral("User-Agent: Pollwick Autodownloader - 1.3.512\r\n");
    }

    // Waits for the next StateChanged and returns its state (0 on time-out).
    static int nextState(QSignalSpy &spy, int timeoutMs = 5000)
    {
        if (spy.isEmpty() && !spy.wait(timeoutMs))
            return 0;
        return spy.takeFirst().at(0).toInt();
    }

private slots:
    void init()
    {
        m_site = std::make_unique<TestSite>();
        QVERIFY(m_site->isListening());
        m_network = std::make_unique<QNetworkAccessManager>();
    }
    void cleanup()
    {
        m_network.reset();
        m_site.reset();
    }

    void loginRedirectCarriesCookieToFile()
    {
        const int id = 700007;
        const QString path = DownloadUrlPath(id);
        HttpTransfer transfer(m_network.get());
        QSignalSpy spy(&transfer, &HttpTransfer::StateChanged);
        transfer.Execute(m_site->baseUrl() + QStringLiteral("/takelogin.php"), QStringLiteral("POST"),
                         QStringLiteral("username=demo&password=demo&login=Log+in&returnto=") + path +
                             QStringLiteral("\r\n"),
                         loginHeaders(m_site->baseUrl(), path));
        QVERIFY(transfer.StillExecuting());
        QCOMPARE(nextState(spy), HttpTransfer::icResponseCompleted);
        QVERIFY(transfer.GetHeader().startsWith(QStringLiteral("HTTP/1.1 200 ")));
        QCOMPARE(transfer.GetHeader().mid(9, 3), QStringLiteral("200"));
        const QByteArray expected = m_site->torrentFile(id);
        QVERIFY(expected.size() > 1024);
        QCOMPARE(transfer.GetHeader(QStringLiteral("content-length")).toLongLong(), expected.size());

        QByteArray body;
        for (;;) {
            const QByteArray piece = transfer.GetChunk(1024);
            QVERIFY(piece.size() <= 1024);
            if (piece.isEmpty())
                break;
            body += piece;
        }
        QCOMPARE(body, expected);
        QVERIFY(!transfer.failed());
        QVERIFY(!transfer.StillExecuting());
        QCOMPARE(spy.count(), 0); // one report per request

        const QList<SiteRequest> seen = m_site->requests();
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[0].method, QByteArray("POST"));
        QCOMPARE(seen[0].target, QByteArray("/takelogin.php"));
        QCOMPARE(seen[0].body, QByteArray("username=demo&password=demo&login=Log+in&returnto=") +
                                   path.toLatin1() + "\r\n");
        QCOMPARE(seen[0].header("User-Agent"), QByteArray("Pollwick Autodownloader - 1.3.512"));
        QCOMPARE(seen[0].header("Referer"), (m_site->baseUrl() + path).toLatin1());
        QCOMPARE(seen[1].method, QByteArray("GET"));
        QCOMPARE(seen[1].target, path.toLatin1());
        QVERIFY(!seen[1].cookie.isEmpty());
    }

    void notFoundIsAnAnswerWithStatusLine()
    {
        HttpTransfer transfer(m_network.get());
        const QString body = transfer.OpenURL(m_site->baseUrl() + QStringLiteral("/nothing-here.php"));
        QVERIFY(!body.isEmpty());
        QVERIFY(!transfer.failed());
        QCOMPARE(transfer.statusCode(), 404);
        QVERIFY(transfer.GetHeader().startsWith(QStringLiteral("HTTP/1.1 404 ")));
        QCOMPARE(transfer.GetHeader().mid(9, 3), QStringLiteral("404"));

        QSignalSpy spy(&transfer, &HttpTransfer::StateChanged);
        transfer.Execute(m_site->baseUrl() + QStringLiteral("/missing.php?id=1"), QStringLiteral("GET"));
        QCOMPARE(nextState(spy), HttpTransfer::icResponseCompleted);
        QCOMPARE(transfer.GetHeader().mid(9, 3), QStringLiteral("404"));
    }

    void transportFailures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("code");
        QTest::newRow("refused") << "refused" << int(HttpTransfer::ErrorCannotConnect);
        QTest::newRow("unresolvable host") << "unresolvable" << int(HttpTransfer::ErrorNameNotResolved);
        QTest::newRow("closed without answer") << "reset" << int(HttpTransfer::ErrorConnectionReset);
    }
    void transportFailures()
    {
        QFETCH(QString, kind);
        QFETCH(int, code);
        QString url;
        if (kind == QLatin1String("refused")) {
            url = TestSite::unusedPortUrl() + QStringLiteral("/bots.php");
        } else if (kind == QLatin1String("unresolvable")) {
            url = QStringLiteral("http://no-such-host.invalid/bots.php");
        } else {
            m_site->misbehave(QStringLiteral("/bots.php"), SiteMisbehaviour::Refuse);
            url = m_site->baseUrl() + QStringLiteral("/bots.php");
        }
        HttpTransfer transfer(m_network.get());
        QCOMPARE(transfer.OpenURL(url), QString());
        QVERIFY(transfer.failed());
        QCOMPARE(transfer.ResponseCode(), code);
        QVERIFY(!transfer.ResponseInfo().isEmpty());
        QVERIFY(!transfer.StillExecuting());

        QSignalSpy spy(&transfer, &HttpTransfer::StateChanged);
        transfer.Execute(url, QStringLiteral("GET"));
        QCOMPARE(nextState(spy), HttpTransfer::icError);
        QCOMPARE(transfer.ResponseCode(), code);
        QCOMPARE(transfer.GetChunk(1024), QByteArray());
        QCOMPARE(FetchUrlText(url, transfer), QString());
    }

    void stalledSiteTimesOut()
    {
        m_site->misbehave(QStringLiteral("/bots.php"), SiteMisbehaviour::Stall);
        HttpTransfer transfer(m_network.get());
        transfer.setRequestTimeout(1);
        QCOMPARE(transfer.OpenURL(m_site->feedUrl(0, false)), QString());
        QVERIFY(transfer.failed());
        QCOMPARE(transfer.ResponseCode(), HttpTransfer::ErrorTimeout);
    }

    void cancelDuringBodyEndsTheTransfer()
    {
        m_site->misbehave(QStringLiteral("/bots.php"), SiteMisbehaviour::SlowDrip);
        m_site->setDripPace(64, 20);
        HttpTransfer transfer(m_network.get());
        QSignalSpy spy(&transfer, &HttpTransfer::StateChanged);
        transfer.Execute(m_site->feedUrl(0, true), QStringLiteral("GET"));
        QCOMPARE(nextState(spy), HttpTransfer::icResponseCompleted);
        QVERIFY(!transfer.GetChunk(16).isEmpty());
        // A click arriving while the receive loop waits for more data.
        QTimer::singleShot(30, &transfer, [&] { transfer.Cancel(); });
        QCOMPARE(transfer.GetChunk(100000), QByteArray());
        QVERIFY(!transfer.StillExecuting());
        QVERIFY(transfer.failed());
        QCOMPARE(transfer.ResponseCode(), HttpTransfer::ErrorCancelled);
        QTest::qWait(50); // a late report of the cancelled request must not arrive
        QCOMPARE(spy.count(), 0);
    }

    void truncatedBodyIsShortAndFailed()
    {
        m_site->misbehave(QStringLiteral("/bots.php"), SiteMisbehaviour::Truncated);
        HttpTransfer transfer(m_network.get());
        QSignalSpy spy(&transfer, &HttpTransfer::StateChanged);
        transfer.Execute(m_site->feedUrl(0, true), QStringLiteral("GET"));
        QCOMPARE(nextState(spy), HttpTransfer::icResponseCompleted);
        const qint64 announced = transfer.GetHeader(QStringLiteral("Content-Length")).toLongLong();
        qint64 received = 0;
        for (QByteArray piece = transfer.GetChunk(1024); !piece.isEmpty();
             piece = transfer.GetChunk(1024))
            received += piece.size();
        QVERIFY(received < announced);
        QVERIFY(transfer.failed());
    }

    void waitingLetsEventsRunAndReportsStillExecuting()
    {
        m_site->misbehave(QStringLiteral("/bots.php"), SiteMisbehaviour::SlowDrip);
        m_site->setDripPace(256, 5);
        HttpTransfer transfer(m_network.get());
        bool sawExecuting = false;
        QString secondCall = QStringLiteral("not called");
        QTimer::singleShot(10, &transfer, [&] {
            sawExecuting = transfer.StillExecuting();
            secondCall = transfer.OpenURL(m_site->feedUrl(0, false));
        });
        const QString feed = transfer.OpenURL(m_site->feedUrl(0, true));
        QVERIFY(sawExecuting);
        QCOMPARE(secondCall, QString());
        QVERIFY(feed.startsWith(QStringLiteral("#PWKF12#")));
        QCOMPARE(m_site->requestsTo(QStringLiteral("/bots.php")).size(), 1);
    }

    void waitEndsWhenItsRequestIsReplaced()
    {
        // A handler running inside the wait cancels the request and starts the next one, as a
        // download's retry does: the old reader gets nothing, the new request all its bytes.
        m_site->misbehave(QStringLiteral("/bots.php"), SiteMisbehaviour::Stall, 1);
        HttpTransfer transfer(m_network.get());
        transfer.Execute(m_site->feedUrl(0, true), QStringLiteral("GET"));
        QSignalSpy spy(&transfer, &HttpTransfer::StateChanged);
        QTimer::singleShot(20, &transfer, [&] {
            transfer.Cancel();
            transfer.Execute(m_site->feedUrl(0, true), QStringLiteral("GET"));
        });
        QCOMPARE(transfer.GetChunk(1024), QByteArray());
        QCOMPARE(nextState(spy), HttpTransfer::icResponseCompleted);
        QByteArray body;
        for (QByteArray piece = transfer.GetChunk(1024); !piece.isEmpty();
             piece = transfer.GetChunk(1024))
            body += piece;
        QVERIFY(body.startsWith("#PWKF12#"));
        QCOMPARE(body.size(), transfer.GetHeader(QStringLiteral("Content-Length")).toInt());
    }

    void fetchUrlTextReadsTheWholeFeedAsLatin1()
    {
        QList<SiteTorrent> rows;
        for (int i = 0; i < 200; ++i)
            rows.append(TestSite::torrent(800000 + i, QString::fromLatin1("Caf\xe9.Del.Mar.%1").arg(i)));
        const QByteArray raw = TestSite::feedBody(rows, {QStringLiteral("Music")});
        m_site->scriptReply(QStringLiteral("/bots.php"), raw);
        HttpTransfer transfer(m_network.get());
        const QString text = FetchUrlText(m_site->feedUrl(0, true), transfer);
        QVERIFY(raw.size() > 10 * 1024);
        QCOMPARE(text, QString::fromLatin1(raw));
    }

    void destroyedWhileWaitingReturnsEmpty()
    {
        m_site->misbehave(QStringLiteral("/bots.php"), SiteMisbehaviour::Stall);
        auto *transfer = new HttpTransfer(m_network.get());
        QTimer::singleShot(20, [transfer] { delete transfer; });
        QCOMPARE(transfer->OpenURL(m_site->feedUrl(0, false)), QString());
    }
};

QTEST_GUILESS_MAIN(TestHttpTransfer)
#include "tst_httptransfer.moc"

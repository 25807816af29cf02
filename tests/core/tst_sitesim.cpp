// The local tracker site (TestSite and the pollwick-sitesim program) as the program relies on
// it, seen from a real QNetworkAccessManager on 127.0.0.1.

#include "SitePages.h"
#include "TestSite.h"

#include <QHash>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <cctype>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

struct Fetched
{
    int status = 0;
    QByteArray body;
    bool failed = false;
    QHash<QByteArray, QByteArray> headers; // names in lower case
};

Fetched fetch(QNetworkAccessManager &nam, QNetworkRequest request, const QByteArray &method = "GET",
              const QByteArray &body = QByteArray())
{
    request.setTransferTimeout(500);
    QNetworkReply *reply = nam.sendCustomRequest(request, method, body);
    QSignalSpy finished(reply, &QNetworkReply::finished);
    if (!reply->isFinished())
        finished.wait(5000);
    Fetched result;
    result.body = reply->readAll();
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.failed = reply->error() != QNetworkReply::NoError;
    for (const auto &[name, value] : reply->rawHeaderPairs())
        result.headers.insert(name.toLower(), value);
    delete reply;
    return result;
}

// Index just past the strictly bencoded value at `at` (no leading zeros, string lengths within
// the data, dictionary keys strings in sorted order, each with a value), or -1.
qsizetype bencodeEnd(const QByteArray &d, qsizetype at)
{
    const char c = at < d.size() ? d.at(at) : 'x';
    if (c == 'l' || c == 'd') {
        QByteArray lastKey;
        int item = 0;
        for (++at; at >= 0 && at < d.size() && d.at(at) != 'e'; ++item) {
            const qsizetype end = bencodeEnd(d, at);
            if (c == 'd' && item % 2 == 0) {
                const qsizetype colon = d.indexOf(':', at);
                const QByteArray key = d.mid(colon + 1, end - colon - 1);
                if (end < 0 || !std::isdigit(uchar(d.at(at))) || (item > 0 && key <= lastKey))
                    return -1;
                lastKey = key;
            }
            at = end;
        }
        return at >= 0 && at < d.size() && (c == 'l' || item % 2 == 0) ? at + 1 : -1;
    }
    const int integer = c == 'i' ? 1 : 0;
    const qsizetype end = d.indexOf(integer ? 'e' : ':', at);
    const QByteArray digits = d.mid(at + integer, end - at - integer);
    if (end < 0 || digits != QByteArray::number(digits.toLongLong()))
        return -1;
    const qint64 length = integer ? 0 : digits.toLongLong();
    return length >= 0 && length <= d.size() - end - 1 ? end + 1 + length : -1;
}

const QString kDemo = QStringLiteral("&u=demo&p=demo&v=11");

} // namespace

class tst_SiteSim : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestSite> m_site;
    std::unique_ptr<QNetworkAccessManager> m_nam;

private slots:
    void init()
    {
        m_site = std::make_unique<TestSite>();
        QVERIFY(m_site->isListening());
        m_nam = std::make_unique<QNetworkAccessManager>(); // no cookies carried over
    }

    void feed_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("first"); // the rows expected after the head, by id
        QTest::addColumn<int>("last");
        QTest::addColumn<QByteArray>("head");
        const QByteArray noCategories = "#PWKF12#\r\n\r\n";
        QTest::newRow("c=1 lists categories, newest rows")
            << "limit=2&c=1" + kDemo << 700039 << 700040
            << "#PWKF12#\r\nAlpha\tBeta Two\tGamma/3\r\n"_ba;
        QTest::newRow("c=0 leaves line 2 empty")
            << "limit=20&c=0" + kDemo << 700021 << 700040 << noCategories;
        QTest::newRow("startid is inclusive, at most limit rows")
            << "startid=700010&limit=5" + kDemo << 700010 << 700014 << noCategories;
        QTest::newRow("startid past the newest gives no rows")
            << "startid=700041&limit=150" + kDemo << 1 << 0 << noCategories;
        // The client reads the reason digit as the 14th character.
        QTest::newRow("unknown user") << "u=nobody&p=demo" << 1 << 0 << "Unauthorised:1"_ba;
        QTest::newRow("wrong password") << "u=demo&p=wrong" << 1 << 0 << "Unauthorised:2"_ba;
        QTest::newRow("disabled account") << "u=gone&p=pw" << 1 << 0 << "Unauthorised:3"_ba;
        QTest::newRow("not a power user") << "u=newbie&p=pw" << 1 << 0 << "Unauthorised:4"_ba;
    }
    void feed()
    {
        QFETCH(QString, query);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(QByteArray, head);
        m_site->catalogue().setCategories({"Alpha", "Beta Two", "Gamma/3"});
        m_site->catalogue().addUser("gone", "pw", SiteUser::Status::Disabled);
        m_site->catalogue().addUser("newbie", "pw", SiteUser::Status::NotPowerUser);
        QByteArray rows; // id, size, category, field 3, name, file name
        for (int id = first; id <= last; ++id) {
            const SiteTorrent *t = m_site->catalogue().torrent(id);
            rows += QStringList({QString::number(id), QString::number(t->size), t->category,
                                 t->field3, t->name, t->fileName})
                        .join(QLatin1Char('\t'))
                        .toLatin1() +
                    "\r\n";
        }
        const Fetched reply = fetch(*m_nam, QNetworkRequest(m_site->url("/bots.php?" + query)));
        QCOMPARE(reply.status, 200);
        QCOMPARE(reply.body, head + rows);
    }

    void downloadNeedsTheLoginCookie()
    {
        const qint64 size = 4'700'000'000;
        const int id =
            m_site->catalogue().addTorrent("Some.Movie.2008.DVDR-GRP", "Movies/DVD-R", size).id;
        const QString path = QStringLiteral("/download.php?id=%1").arg(id);
        const Fetched page = fetch(*m_nam, QNetworkRequest(m_site->url(path)));
        QVERIFY(page.body.startsWith("<html>"));
        QVERIFY(page.body.contains("name=\"returnto\" value=\"" + path.toLatin1() + "\""));

        QNetworkRequest post(m_site->url("/takelogin.php"));
        post.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
        const Fetched file = fetch(*m_nam, post, "POST", TestSite::loginBody("demo", "demo", path));
        QCOMPARE(file.headers.value("content-type"), QByteArray("application/x-bittorrent"));
        QCOMPARE(file.body, m_site->torrentFile(id));
        QCOMPARE(bencodeEnd(file.body, 0), file.body.size());
        QVERIFY(file.body.contains("4:name24:Some.Movie.2008.DVDR-GRP"));
        QVERIFY(file.body.contains("6:lengthi4700000000e"));
        // The login answered 302 with the cookie, which went out with the request it led to.
        QCOMPARE(m_site->requestsTo("/takelogin.php").value(0).status, 302);
        const QByteArray cookie = m_site->requests().last().cookie;
        QVERIFY(cookie.contains("uid=1"));
        QVERIFY(cookie.contains("pass=" + SitePages::sessionToken(m_site->demoUser())));
    }

    void misbehaviour_data()
    {
        using M = SiteMisbehaviour;
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("fails");
        // "=": the normal feed; "<": a cut-off start of it; otherwise these bytes at the start
        // (the busy page: at character 128, where the client reads it), nothing when empty.
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("Refuse") << int(M::Refuse) << 0 << true << QByteArray();
        QTest::newRow("Stall") << int(M::Stall) << 0 << true << QByteArray();
        QTest::newRow("StallAfterHeaders") << int(M::StallAfterHeaders) << 200 << true << "<"_ba;
        QTest::newRow("NotFound") << int(M::NotFound) << 404 << true << "<html>"_ba;
        QTest::newRow("Html") << int(M::Html) << 200 << false << "<html>"_ba;
        QTest::newRow("Busy") << int(M::Busy) << 200 << false << "The server load"_ba;
        QTest::newRow("MySqlError") << int(M::MySqlError) << 200 << false << "MySQL Error"_ba;
        QTest::newRow("Truncated") << int(M::Truncated) << 200 << true << "<"_ba;
        QTest::newRow("NoContentLength") << int(M::NoContentLength) << 200 << false << "="_ba;
        QTest::newRow("SlowDrip") << int(M::SlowDrip) << 200 << false << "="_ba;
        QTest::newRow("Empty") << int(M::Empty) << 200 << false << QByteArray();
        QTest::newRow("Raw") << int(M::Raw) << 500 << true << "<html>oops</html>"_ba;
    }
    void misbehaviour()
    {
        QFETCH(int, kind);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        const QNetworkRequest request{QUrl(m_site->feedUrl(0, true))};
        if (kind == SiteMisbehaviour::Raw)
            m_site->scriptReply("/bots.php", body, status);
        else
            m_site->misbehave("/bots.php", SiteMisbehaviour::Kind(kind));
        const Fetched reply = fetch(*m_nam, request);
        QCOMPARE(int(m_site->lastRequest().answer), kind);
        m_site->clearMisbehaviour();
        const QByteArray normal = fetch(*m_nam, request).body;

        QCOMPARE(reply.status, status);
        QTEST(reply.failed, "fails");
        const qsizetype length = reply.headers.value("content-length", "-1").toLongLong();
        if (body == "=") {
            QCOMPARE(reply.body, normal);
        } else if (body == "<") {
            QVERIFY(reply.body.size() < normal.size() && normal.startsWith(reply.body));
            QCOMPARE(length, normal.size());
        } else {
            const int offset = kind == SiteMisbehaviour::Busy ? 127 : 0;
            QCOMPARE(reply.body.mid(offset, body.size()), body);
            QVERIFY(!body.isEmpty() || reply.body.isEmpty());
        }
        if (status != 0 && body != "<")
            QCOMPARE(length, kind == SiteMisbehaviour::NoContentLength ? -1 : reply.body.size());
    }

    void simulatorPrintsListeningLineAndServesFeed()
    {
        QProcess simulator;
        simulator.start(QStringLiteral(SITESIM_EXECUTABLE), {"--port", "0"});
        QTRY_VERIFY_WITH_TIMEOUT(simulator.canReadLine(), 5000);
        const QByteArray line = simulator.readLine();
        const QRegularExpressionMatch match =
            QRegularExpression(
                QStringLiteral("^listening on (http://127\\.0\\.0\\.1:[1-9]\\d*)\n$"))
                .match(QString::fromLatin1(line));
        QVERIFY2(match.hasMatch(), line.constData());
        const QUrl url(match.captured(1) + "/bots.php?limit=20" + kDemo + "&c=1");
        const Fetched feed = fetch(*m_nam, QNetworkRequest(url));
        const QByteArray categories = SiteCatalogue::defaultCategories().join('\t').toLatin1();
        QVERIFY(feed.body.startsWith("#PWKF12#\r\n" + categories + "\r\n"));
        QCOMPARE(feed.body.count('\n'), 2 + 20);
        simulator.terminate();
        QVERIFY(simulator.waitForFinished(5000));
    }
};

QTEST_GUILESS_MAIN(tst_SiteSim)
#include "tst_sitesim.moc"

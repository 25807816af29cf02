// The local tracker site (TestSite and the pollwick-sitesim program) as the program relies on
// it, seen from a real QNetworkAccessManager on 127.0.0.1.

#include "SitePages.h"
#include "TestSite.h"

#include <QHash>
#include <QNetworkAccessManager>
#include <QNetworkReply>
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
    }
    void feed()
    {
        QFETCH(QString, query);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(QByteArray, head);
        m_site->catalogue().setCategories({"Alpha", "Beta Two", "Gamma/3"});
        QString rows; // id, size, category, field 3, name, file name
        for (int id = first; id <= last; ++id) {
            const SiteTorrent *t = m_site->catalogue().torrent(id);
            rows += QString("%1\t%2\t%3\t%4\t%5\t%6\r\n")
                        .arg(id)
                        .arg(t->size)
                        .arg(t->category, t->field3, t->name, t->fileName);
        }
        const Fetched reply = fetch(*m_nam, QNetworkRequest(m_site->url("/bots.php?" + query)));
        QCOMPARE(reply.status, 200);
        QCOMPARE(reply.body, head + rows.toLatin1());
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
        QCOMPARE(bencodeEnd(file.body, 0), file.body.size());
        QVERIFY(file.body.contains("4:name24:Some.Movie.2008.DVDR-GRP"));
        QVERIFY(file.body.contains("6:lengthi4700000000e"));
        // The login's cookie going with the redirect: tst_httptransfer's
        // loginRedirectCarriesCookieToFileThen404.
    }

    // The download test's "no Content-Length" row passes with the header too: it must be gone.
    void noContentLengthSendsTheWholeBody()
    {
        const QNetworkRequest request{QUrl(m_site->feedUrl(0, true))};
        m_site->misbehave("/bots.php", SiteMisbehaviour::NoContentLength, 1);
        const Fetched reply = fetch(*m_nam, request);
        QVERIFY(!reply.failed && !reply.headers.contains("content-length"));
        QCOMPARE(reply.body, fetch(*m_nam, request).body);
    }
};

QTEST_GUILESS_MAIN(tst_SiteSim)
#include "tst_sitesim.moc"

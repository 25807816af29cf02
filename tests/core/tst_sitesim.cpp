// Tests of the local tracker site (library pollwick_site, the TestSite wrapper and the
// pollwick-sitesim program), seen from a real QNetworkAccessManager on 127.0.0.1.

#include "FeedWriter.h"
#include "PngEncoder.h"
#include "ProfilePages.h"
#include "SiteHtml.h"
#include "TestSite.h"
#include "TorrentFileBuilder.h"

#include <QElapsedTimer>
#include <QImage>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <memory>

namespace {

// What one exchange gave the client.
struct Fetched
{
    int status = 0;
    QByteArray body;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QList<QNetworkReply::RawHeaderPair> headers;
    int readyReads = 0;
    bool finished = false;
    QUrl finalUrl;

    QByteArray header(const QByteArray &name) const
    {
        for (const auto &h : headers) {
            if (h.first.compare(name, Qt::CaseInsensitive) == 0)
                return h.second;
        }
        return {};
    }
    bool hasHeader(const QByteArray &name) const
    {
        for (const auto &h : headers) {
            if (h.first.compare(name, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    }
    QList<QByteArray> lines() const { return body.split('\n'); }
};

Fetched fetch(QNetworkAccessManager &nam, QNetworkRequest request, const QByteArray &method = "GET",
              const QByteArray &body = QByteArray(), int timeoutMs = 5000)
{
    QNetworkReply *reply = nam.sendCustomRequest(request, method, body);
    Fetched result;
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [&result, reply] {
        ++result.readyReads;
        result.body += reply->readAll();
    });
    QSignalSpy finished(reply, &QNetworkReply::finished);
    if (!reply->isFinished())
        result.finished = finished.wait(timeoutMs);
    else
        result.finished = true;
    if (reply->isOpen())
        result.body += reply->readAll();
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.error = reply->error();
    result.headers = reply->rawHeaderPairs();
    result.finalUrl = reply->url();
    reply->abort();
    delete reply;
    return result;
}

Fetched get(QNetworkAccessManager &nam, const QUrl &url)
{
    return fetch(nam, QNetworkRequest(url));
}

QNetworkRequest formPost(const QUrl &url)
{
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/x-www-form-urlencoded"));
    return request;
}

// The client's way of reading the site's pages: the text between the first start marker and
// the next end marker after it.
QByteArray getElement(const QByteArray &source, const QByteArray &start, const QByteArray &end)
{
    const qsizetype from = source.indexOf(start);
    if (from < 0)
        return {};
    const qsizetype begin = from + start.size();
    const qsizetype to = source.indexOf(end, begin);
    if (to < 0)
        return {};
    return source.mid(begin, to - begin);
}

// A strict bencode reader: integers without leading zeros, string lengths within the data,
// dictionary keys sorted and unique, nothing after the top value.
class Bencode
{
public:
    static bool parse(const QByteArray &data, QVariant *value, QString *error)
    {
        Bencode reader(data);
        if (!reader.value(value, 0)) {
            *error = reader.m_error;
            return false;
        }
        if (reader.m_pos != data.size()) {
            *error = QStringLiteral("bytes after the top value at %1").arg(reader.m_pos);
            return false;
        }
        return true;
    }

private:
    explicit Bencode(const QByteArray &data) : m_data(data) {}

    bool fail(const QString &why)
    {
        m_error = why + QStringLiteral(" at %1").arg(m_pos);
        return false;
    }

    bool digits(qint64 *out, char terminator)
    {
        bool negative = false;
        if (terminator == 'e' && m_pos < m_data.size() && m_data.at(m_pos) == '-') {
            negative = true;
            ++m_pos;
        }
        const qsizetype first = m_pos;
        while (m_pos < m_data.size() && std::isdigit(static_cast<unsigned char>(m_data.at(m_pos))))
            ++m_pos;
        if (m_pos == first || m_pos >= m_data.size() || m_data.at(m_pos) != terminator)
            return fail(QStringLiteral("bad number"));
        const QByteArray text = m_data.mid(first, m_pos - first);
        if (text.size() > 1 && text.startsWith('0'))
            return fail(QStringLiteral("leading zero"));
        if (negative && text == "0")
            return fail(QStringLiteral("negative zero"));
        *out = text.toLongLong() * (negative ? -1 : 1);
        ++m_pos;
        return true;
    }

    bool string(QByteArray *out)
    {
        qint64 length = 0;
        if (!digits(&length, ':'))
            return false;
        if (length > m_data.size() - m_pos)
            return fail(QStringLiteral("string runs past the end"));
        *out = m_data.mid(m_pos, length);
        m_pos += length;
        return true;
    }

    bool value(QVariant *out, int depth)
    {
        if (depth > 32)
            return fail(QStringLiteral("too deep"));
        if (m_pos >= m_data.size())
            return fail(QStringLiteral("unexpected end"));
        const char c = m_data.at(m_pos);
        if (c == 'i') {
            ++m_pos;
            qint64 n = 0;
            if (!digits(&n, 'e'))
                return false;
            *out = n;
            return true;
        }
        if (c == 'l') {
            ++m_pos;
            QVariantList list;
            while (m_pos < m_data.size() && m_data.at(m_pos) != 'e') {
                QVariant item;
                if (!value(&item, depth + 1))
                    return false;
                list.append(item);
            }
            if (m_pos >= m_data.size())
                return fail(QStringLiteral("unterminated list"));
            ++m_pos;
            *out = list;
            return true;
        }
        if (c == 'd') {
            ++m_pos;
            QVariantMap map;
            QByteArray previous;
            bool first = true;
            while (m_pos < m_data.size() && m_data.at(m_pos) != 'e') {
                QByteArray key;
                if (!string(&key))
                    return false;
                if (!first && !(previous < key))
                    return fail(QStringLiteral("keys not sorted"));
                first = false;
                previous = key;
                QVariant item;
                if (!value(&item, depth + 1))
                    return false;
                map.insert(QString::fromLatin1(key), item);
            }
            if (m_pos >= m_data.size())
                return fail(QStringLiteral("unterminated dictionary"));
            ++m_pos;
            *out = map;
            return true;
        }
        if (c >= '0' && c <= '9') {
            QByteArray s;
            if (!string(&s))
                return false;
            *out = s;
            return true;
        }
        return fail(QStringLiteral("unknown type"));
    }

    const QByteArray &m_data;
    qsizetype m_pos = 0;
    QString m_error;
};

QList<int> feedIds(const QByteArray &body)
{
    QList<int> ids;
    const QList<QByteArray> lines = body.split('\n');
    for (qsizetype i = 2; i < lines.size(); ++i) {
        if (!lines.at(i).isEmpty())
            ids.append(lines.at(i).split('\t').first().toInt());
    }
    return ids;
}

QList<int> idRange(int first, int last)
{
    QList<int> ids;
    for (int id = first; id <= last; ++id)
        ids.append(id);
    return ids;
}

const QByteArray kDemo = "&u=demo&p=demo&v=11";

} // namespace

class tst_SiteSim : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void catalogue_isDeterministicPerSeed();
    void catalogue_addTorrentKeepsIdsAscending();
    void feed_headerLines_data();
    void feed_headerLines();
    void feed_rows_data();
    void feed_rows();
    void feed_defaultLimitAndCap();
    void feed_textIsLatin1AndParametersAreDecoded();
    void feed_unauthorised_data();
    void feed_unauthorised();
    void login_redirectsWithCookies();
    void login_thenDownload_data();
    void login_thenDownload();
    void login_failures_data();
    void login_failures();
    void download_withoutCookieGivesLoginPage_data();
    void download_withoutCookieGivesLoginPage();
    void download_unknownIdIsNotFound();
    void profile_pagesCarryTheMarkers();
    void profile_withoutMessagesHasNoNotice();
    void profile_shortRatioColourIsServedAsSet();
    void browsePages_listNewestWithDetailLinks();
    void unknownPath_isNotFound();
    void png_checksumsAndImage();
    void busyPage_textAtClientOffset();
    void misbehave_completeAnswers_data();
    void misbehave_completeAnswers();
    void misbehave_countAndPrefix();
    void rawReply_scriptedBytes_data();
    void rawReply_scriptedBytes();
    void rawReply_lastsUntilCleared();
    void refuse_closesWithoutAnswer();
    void refuse_failsNetworkAccessManager();
    void refuse_onceIsHiddenByTheManagersResend();
    void stall_neverAnswers();
    void stallAfterHeaders_sendsHeadThenSilence();
    void truncated_closesBeforeContentLength();
    void noContentLength_endsWithClose();
    void slowDrip_deliversWholeBodyInPieces();
    void requests_areRecorded();
    void unusedPortUrl_refusesConnections();
    void simulator_printsListeningLineAndServesFeed_data();
    void simulator_printsListeningLineAndServesFeed();

private:
    Fetched loginAndFetch(const QString &returnTo, const QString &user = QStringLiteral("demo"),
                          const QString &password = QStringLiteral("demo"));

    std::unique_ptr<TestSite> m_site;
    std::unique_ptr<QNetworkAccessManager> m_nam;
};

void tst_SiteSim::init()
{
    m_site = std::make_unique<TestSite>();
    QVERIFY(m_site->isListening());
    // A fresh manager per test: no cookies carried over.
    m_nam = std::make_unique<QNetworkAccessManager>();
}

void tst_SiteSim::cleanup()
{
    m_nam.reset();
    m_site.reset();
}

Fetched tst_SiteSim::loginAndFetch(const QString &returnTo, const QString &user,
                                   const QString &password)
{
    return fetch(*m_nam, formPost(m_site->url(QStringLiteral("/takelogin.php"))), "POST",
                 TestSite::loginBody(user, password, returnTo));
}

void tst_SiteSim::catalogue_isDeterministicPerSeed()
{
    SiteCatalogue a;
    SiteCatalogue b;
    SiteCatalogue c;
    a.generate(60, 7);
    b.generate(60, 7);
    c.generate(60, 8);
    QCOMPARE(FeedWriter::feed(a.torrents(), {}), FeedWriter::feed(b.torrents(), {}));
    QVERIFY(FeedWriter::feed(a.torrents(), {}) != FeedWriter::feed(c.torrents(), {}));
    // Growth continues the same sequence too.
    QCOMPARE(a.addRandomUpload().name, b.addRandomUpload().name);

    const QStringList categories = SiteCatalogue::defaultCategories();
    QCOMPARE(categories.size(), 25);
    int expectedId = SiteCatalogue::FirstGeneratedId;
    for (const SiteTorrent &t : a.torrents()) {
        QCOMPARE(t.id, expectedId++);
        QVERIFY2(categories.contains(t.category), qPrintable(t.category));
        QVERIFY2(!t.name.contains(QLatin1Char(' ')) && t.name.contains(QLatin1Char('.')),
                 qPrintable(t.name));
        QCOMPARE(t.fileName, t.name + QStringLiteral(".torrent"));
        QVERIFY(t.size > 0);
    }
}

void tst_SiteSim::catalogue_addTorrentKeepsIdsAscending()
{
    SiteCatalogue catalogue;
    catalogue.generate(3, 1, 100);
    QCOMPARE(catalogue.addTorrent(QStringLiteral("Next.One"), QStringLiteral("Music"), 5).id, 103);
    catalogue.addTorrent(QStringLiteral("Old.One"), QStringLiteral("Music"), 5, 50);
    catalogue.addTorrent(QStringLiteral("Replaced"), QStringLiteral("DOX"), 9, 101);
    QList<int> ids;
    for (const SiteTorrent &t : catalogue.torrents())
        ids.append(t.id);
    QCOMPARE(ids, QList<int>({50, 100, 101, 102, 103}));
    QCOMPARE(catalogue.torrent(101)->name, QStringLiteral("Replaced"));
    QCOMPARE(catalogue.torrent(50)->fileName, QStringLiteral("Old.One.torrent"));
    QCOMPARE(catalogue.addRandomUpload().id, 104);
    QCOMPARE(catalogue.lastId(), 104);
}

void tst_SiteSim::feed_headerLines_data()
{
    QTest::addColumn<QString>("flag");
    QTest::addColumn<bool>("listed");
    QTest::newRow("c=1 lists categories") << QStringLiteral("&c=1") << true;
    QTest::newRow("c=0 leaves line 2 empty") << QStringLiteral("&c=0") << false;
    QTest::newRow("no c leaves line 2 empty") << QString() << false;
    QTest::newRow("c=2 leaves line 2 empty") << QStringLiteral("&c=2") << false;
}

void tst_SiteSim::feed_headerLines()
{
    QFETCH(QString, flag);
    QFETCH(bool, listed);
    m_site->catalogue().setCategories(
        {QStringLiteral("Alpha"), QStringLiteral("Beta Two"), QStringLiteral("Gamma/3")});
    const Fetched reply = get(*m_nam, m_site->url(QStringLiteral("/bots.php?limit=2") +
                                                  QString::fromLatin1(kDemo) + flag));
    QCOMPARE(reply.error, QNetworkReply::NoError);
    QCOMPARE(reply.status, 200);
    QVERIFY(reply.header("Content-Type").startsWith("text/plain"));
    const QByteArray expectedLine2 = listed ? "Alpha\tBeta Two\tGamma/3" : "";
    QVERIFY(reply.body.startsWith("#PWKF12#\r\n" + expectedLine2 + "\r\n700039\t"));
}

void tst_SiteSim::feed_rows_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QList<int>>("ids");
    const QString demo = QString::fromLatin1(kDemo);
    QTest::newRow("newest 20 without startid")
        << QStringLiteral("limit=20") + demo << idRange(700021, 700040);
    QTest::newRow("startid is inclusive")
        << QStringLiteral("startid=700010&limit=5") + demo << idRange(700010, 700014);
    QTest::newRow("startid of the newest gives it again")
        << QStringLiteral("startid=700040&limit=150") + demo << QList<int>{700040};
    QTest::newRow("startid past the newest gives no rows")
        << QStringLiteral("startid=700041&limit=150") + demo << QList<int>();
    QTest::newRow("startid of a missing torrent starts after it")
        << QStringLiteral("startid=5&limit=3") + demo << idRange(700001, 700003);
    QTest::newRow("limit missing") << demo.mid(1) << idRange(700001, 700040);
    QTest::newRow("limit not a number")
        << QStringLiteral("limit=abc") + demo << idRange(700001, 700040);
    QTest::newRow("limit zero") << QStringLiteral("limit=0") + demo << idRange(700001, 700040);
    QTest::newRow("parameters in another order")
        << QStringLiteral("v=11&c=0&p=demo&limit=2&u=demo&startid=700001")
        << idRange(700001, 700002);
    QTest::newRow("empty parameter between ampersands")
        << QStringLiteral("limit=1&&u=demo&p=demo&v=11") << QList<int>{700040};
    QTest::newRow("startid not a number acts as missing")
        << QStringLiteral("startid=x&limit=2") + demo << idRange(700039, 700040);
}

void tst_SiteSim::feed_rows()
{
    QFETCH(QString, query);
    QFETCH(QList<int>, ids);
    const Fetched reply = get(*m_nam, m_site->url(QStringLiteral("/bots.php?") + query));
    QCOMPARE(reply.status, 200);
    QVERIFY(reply.body.startsWith("#PWKF12#\r\n"));
    QVERIFY(reply.body.endsWith("\r\n"));
    QCOMPARE(feedIds(reply.body), ids);

    // Every row carries the six columns of its catalogue torrent, in order, ended by CR LF.
    const QList<QByteArray> lines = reply.body.split('\n');
    for (qsizetype i = 2; i + 1 < lines.size(); ++i) {
        QVERIFY(lines.at(i).endsWith('\r'));
        const QList<QByteArray> fields = lines.at(i).chopped(1).split('\t');
        QCOMPARE(fields.size(), 6);
        const SiteTorrent *t = m_site->catalogue().torrent(fields.at(0).toInt());
        QVERIFY(t);
        QCOMPARE(fields.at(1), QByteArray::number(t->size));
        QCOMPARE(fields.at(2), t->category.toLatin1());
        QCOMPARE(fields.at(3), t->field3.toLatin1());
        QCOMPARE(fields.at(4), t->name.toLatin1());
        QCOMPARE(fields.at(5), t->fileName.toLatin1());
    }
    QVERIFY(lines.last().isEmpty());
}

void tst_SiteSim::feed_defaultLimitAndCap()
{
    m_site->catalogue().generate(30010, 99);
    const int first = SiteCatalogue::FirstGeneratedId;
    const int last = first + 30009;

    const Fetched plain =
        get(*m_nam, m_site->url(QStringLiteral("/bots.php?") + QString::fromLatin1(kDemo).mid(1)));
    QCOMPARE(feedIds(plain.body), idRange(last - 149, last));

    const Fetched capped = get(
        *m_nam, m_site->url(QStringLiteral("/bots.php?limit=30010") + QString::fromLatin1(kDemo)));
    const QList<int> newest = feedIds(capped.body);
    QCOMPARE(newest.size(), 30000);
    QCOMPARE(newest.first(), last - 29999);
    QCOMPARE(newest.last(), last);

    const Fetched fromStart =
        get(*m_nam, m_site->url(QStringLiteral("/bots.php?limit=99999&startid=%1").arg(first) +
                                QString::fromLatin1(kDemo)));
    const QList<int> oldest = feedIds(fromStart.body);
    QCOMPARE(oldest.size(), 30000);
    QCOMPARE(oldest.first(), first);
    QCOMPARE(oldest.last(), first + 29999);
}

void tst_SiteSim::feed_textIsLatin1AndParametersAreDecoded()
{
    m_site->catalogue().addTorrent(QStringLiteral("Caf\u00e9.Cr\u00e8me.2008"),
                                   QStringLiteral("Movies/XviD"), 123);
    m_site->catalogue().addUser(QStringLiteral("demo user"), QStringLiteral("a b+c\u00e9"));
    const Fetched reply = get(
        *m_nam, m_site->url(QStringLiteral("/bots.php?limit=1&u=demo+user&p=a%20b%2Bc%E9&v=11")));
    QCOMPARE(reply.status, 200);
    QVERIFY2(reply.body.startsWith("#PWKF12#"), reply.body.constData());
    QVERIFY(reply.body.contains("\tCaf\xe9.Cr\xe8me.2008\tCaf\xe9.Cr\xe8me.2008.torrent\r\n"));
}

void tst_SiteSim::feed_unauthorised_data()
{
    QTest::addColumn<QString>("credentials");
    QTest::addColumn<char>("digit");
    QTest::newRow("unknown user") << QStringLiteral("u=nobody&p=demo") << '1';
    QTest::newRow("no user") << QStringLiteral("p=demo") << '1';
    QTest::newRow("wrong password") << QStringLiteral("u=demo&p=wrong") << '2';
    QTest::newRow("password in another case") << QStringLiteral("u=demo&p=DEMO") << '2';
    QTest::newRow("disabled account") << QStringLiteral("u=gone&p=pw") << '3';
    QTest::newRow("not a power user") << QStringLiteral("u=newbie&p=pw") << '4';
}

void tst_SiteSim::feed_unauthorised()
{
    QFETCH(QString, credentials);
    QFETCH(char, digit);
    m_site->catalogue().addUser(QStringLiteral("gone"), QStringLiteral("pw"),
                                SiteUser::Status::Disabled);
    m_site->catalogue().addUser(QStringLiteral("newbie"), QStringLiteral("pw"),
                                SiteUser::Status::NotPowerUser);
    const Fetched reply = get(*m_nam, m_site->url(QStringLiteral("/bots.php?limit=1&&") +
                                                  credentials + QStringLiteral("&v=11")));
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.body, QByteArray("Unauthorised:") + digit);
    // The client reads the reason as the 14th character.
    QCOMPARE(reply.body.at(13), digit);
}

void tst_SiteSim::login_redirectsWithCookies()
{
    QNetworkRequest request = formPost(m_site->url(QStringLiteral("/takelogin.php")));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    const Fetched reply = fetch(*m_nam, request, "POST",
                                TestSite::loginBody(QStringLiteral("demo"), QStringLiteral("demo"),
                                                    QStringLiteral("/download.php?id=700007")));
    QCOMPARE(reply.status, 302);
    QCOMPARE(reply.header("Location"), (m_site->baseUrl() + "/download.php?id=700007").toLatin1());

    QMap<QByteArray, QByteArray> cookies;
    for (const QByteArray &line : reply.header("Set-Cookie").split('\n')) {
        for (const QNetworkCookie &cookie : QNetworkCookie::parseCookies(line)) {
            QCOMPARE(cookie.path(), QStringLiteral("/"));
            cookies.insert(cookie.name(), cookie.value());
        }
    }
    QCOMPARE(cookies.value("uid"), QByteArray("1"));
    QCOMPARE(cookies.value("pass"), SitePages::sessionToken(m_site->demoUser()));
}

void tst_SiteSim::login_thenDownload_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("large");
    QTest::newRow("small torrent, one piece") << qint64(200'000) << false;
    QTest::newRow("DVD image, file over 3 KB") << qint64(4'700'000'000) << true;
}

void tst_SiteSim::login_thenDownload()
{
    QFETCH(qint64, size);
    QFETCH(bool, large);
    const SiteTorrent added = m_site->catalogue().addTorrent(
        QStringLiteral("Some.Movie.2008.DVDR-GRP"), QStringLiteral("Movies/DVD-R"), size);
    const QString path = QStringLiteral("/download.php?id=%1").arg(added.id);

    const Fetched reply = loginAndFetch(path);
    QCOMPARE(reply.error, QNetworkReply::NoError);
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.finalUrl, m_site->url(path));
    QCOMPARE(reply.header("Content-Type"), QByteArray("application/x-bittorrent"));
    QCOMPARE(reply.header("Content-Disposition"),
             QByteArray("attachment; filename=\"Some.Movie.2008.DVDR-GRP.torrent\""));
    QCOMPARE(reply.header("Content-Length").toLongLong(), reply.body.size());
    QCOMPARE(reply.body, m_site->torrentFile(added.id));
    QCOMPARE(reply.body.size() > 3072, large);

    QVariant parsed;
    QString error;
    QVERIFY2(Bencode::parse(reply.body, &parsed, &error), qPrintable(error));
    const QVariantMap top = parsed.toMap();
    QVERIFY(top.value(QStringLiteral("announce"))
                .toByteArray()
                .startsWith((m_site->baseUrl() + "/announce.php?passkey=").toLatin1()));
    QVERIFY(!top.value(QStringLiteral("created by")).toByteArray().isEmpty());
    QVERIFY(top.value(QStringLiteral("creation date")).toLongLong() > 1'000'000'000);
    const QVariantMap info = top.value(QStringLiteral("info")).toMap();
    QCOMPARE(info.value(QStringLiteral("name")).toByteArray(),
             QByteArray("Some.Movie.2008.DVDR-GRP"));
    QCOMPARE(info.value(QStringLiteral("length")).toLongLong(), size);
    const qint64 pieceLength = info.value(QStringLiteral("piece length")).toLongLong();
    const qint64 pieces = info.value(QStringLiteral("pieces")).toByteArray().size();
    QVERIFY(pieceLength > 0);
    QCOMPARE(pieces % 20, 0);
    QCOMPARE(pieces / 20, (size + pieceLength - 1) / pieceLength);

    // The login cookie went out with the request the redirect led to.
    const QList<SiteRequest> downloads = m_site->requestsTo(QStringLiteral("/download.php"));
    QCOMPARE(downloads.size(), 1);
    QCOMPARE(downloads.first().method, QByteArray("GET"));
    QVERIFY(downloads.first().cookie.contains("uid=1"));
    QVERIFY(
        downloads.first().cookie.contains("pass=" + SitePages::sessionToken(m_site->demoUser())));
}

void tst_SiteSim::login_failures_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::newRow("wrong password") << QStringLiteral("demo") << QStringLiteral("nope");
    QTest::newRow("unknown user") << QStringLiteral("nobody") << QStringLiteral("demo");
    QTest::newRow("disabled account") << QStringLiteral("gone") << QStringLiteral("pw");
}

void tst_SiteSim::login_failures()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    m_site->catalogue().addUser(QStringLiteral("gone"), QStringLiteral("pw"),
                                SiteUser::Status::Disabled);
    const Fetched reply = loginAndFetch(QStringLiteral("/download.php?id=700001"), user, password);
    QCOMPARE(reply.status, 200);
    QVERIFY(reply.body.startsWith("<html>"));
    QVERIFY(reply.body.contains("Login failed!"));
    QVERIFY(!reply.hasHeader("Set-Cookie"));
    QCOMPARE(m_site->requestsTo(QStringLiteral("/download.php")).size(), 0);
}

void tst_SiteSim::download_withoutCookieGivesLoginPage_data()
{
    QTest::addColumn<QByteArray>("cookie");
    QTest::newRow("no cookie") << QByteArray();
    QTest::newRow("forged pass") << QByteArray("uid=1; pass=0123456789abcdef");
    QTest::newRow("unknown uid") << QByteArray("uid=77; pass=0123456789abcdef");
}

void tst_SiteSim::download_withoutCookieGivesLoginPage()
{
    QFETCH(QByteArray, cookie);
    QNetworkRequest request(m_site->url(QStringLiteral("/download.php?id=700001")));
    if (!cookie.isEmpty())
        request.setRawHeader("Cookie", cookie);
    const Fetched reply = fetch(*m_nam, request);
    QCOMPARE(reply.status, 200);
    QVERIFY(reply.body.startsWith("<html>"));
    QVERIFY(reply.body.contains("name=\"returnto\" value=\"/download.php?id=700001\""));
    QVERIFY(!reply.header("Content-Type").contains("bittorrent"));
}

void tst_SiteSim::download_unknownIdIsNotFound()
{
    const Fetched reply = loginAndFetch(QStringLiteral("/download.php?id=12"));
    QCOMPARE(reply.status, 404);
    QCOMPARE(reply.error, QNetworkReply::ContentNotFoundError);
    QVERIFY(reply.body.startsWith("<html>"));
}

void tst_SiteSim::profile_pagesCarryTheMarkers()
{
    SiteUser &demo = m_site->demoUser();
    demo.joinDate = QStringLiteral("2006-11-02 10:00:00 (2 years ago)");
    demo.comments = 17;
    demo.posts = 230;
    demo.newMessages = 1;

    // Own page first, as the profile viewer does without a cached id.
    const Fetched own = loginAndFetch(QStringLiteral("/my.php"));
    QCOMPARE(own.status, 200);
    QCOMPARE(getElement(own.body, "Vellumstacks :: ", "'s private page"), QByteArray("demo"));
    QCOMPARE(getElement(own.body, "Welcome, <a href=userdetails.php?id=", ">"), QByteArray("1"));

    const Fetched details = loginAndFetch(QStringLiteral("/userdetails.php?id=1"));
    QCOMPARE(details.status, 200);
    const QByteArray &page = details.body;
    QVERIFY(page.contains("Vellumstacks :: Details for demo"));
    QCOMPARE(getElement(page, "Join&nbsp;date</td><td align=left width=99%>", "</td>"),
             demo.joinDate.toLatin1());
    QCOMPARE(getElement(page, "Last&nbsp;seen</td><td align=left>", "</td>"),
             demo.lastSeen.toLatin1());
    QCOMPARE(getElement(page, "Uploaded</td><td align=left>", "</td>"),
             SiteHtml::sizeText(demo.uploaded).toLatin1());
    QCOMPARE(getElement(page, "Downloaded</td><td align=left>", "</td>"),
             SiteHtml::sizeText(demo.downloaded).toLatin1());
    const QByteArray ratioCell = getElement(
        page,
        "Share ratio</td><td align=left valign=center style='padding-top: 1px; padding-bottom:\n"
        "0px'><table border=0 cellspacing=0 cellpadding=0><tr><td class=embedded><font color=",
        "\n</font>");
    QCOMPARE(ratioCell.mid(8), ProfilePages::ratioText(demo.uploaded, demo.downloaded).toLatin1());
    QVERIFY(QRegularExpression(QStringLiteral("^#[0-9a-f]{6}>$"))
                .match(QString::fromLatin1(ratioCell.left(8)))
                .hasMatch());
    QCOMPARE(getElement(page, "Class</td><td align=left>", "</td>"), QByteArray("Power User"));
    QCOMPARE(getElement(page, "Torrent&nbsp;comments</td><td align=left>", "</td>")
                 .replace("<a href=userhistory.php?action=viewcomments&id=1>", "")
                 .replace("</a>", ""),
             QByteArray("17"));
    QCOMPARE(getElement(page, "Forum&nbsp;posts</td><td align=left>", "</td>")
                 .replace("<a href=userhistory.php?action=viewposts&id=1>", "")
                 .replace("</a>", ""),
             QByteArray("230"));
    QCOMPARE(getElement(page, "<font color=white>", "</font>"), QByteArray("1 new message"));

    // Torrent tables: split at "<tr>", rows from index 2, cells found one after the other.
    const QList<SiteTorrent> seeding = m_site->catalogue().seedingOf(demo);
    const QList<SiteTorrent> leeching = m_site->catalogue().leechingOf(demo);
    QVERIFY(!seeding.isEmpty());
    QVERIFY(!leeching.isEmpty());
    const QList<SiteTorrent> expected = seeding + leeching;
    QList<QByteArray> rows;
    for (const char *marker : {"Currently&nbsp;seeding</td><td align=left>",
                               "Currently&nbsp;leeching</td><td align=left>"}) {
        const QByteArray table = getElement(page, marker, "</table>");
        QList<QByteArray> split;
        qsizetype from = 0;
        for (qsizetype at = table.indexOf("<tr>"); at >= 0; at = table.indexOf("<tr>", from)) {
            split.append(table.mid(from, at - from));
            from = at + 4;
        }
        split.append(table.mid(from));
        rows += split.mid(2);
    }
    QCOMPARE(rows.size(), expected.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        QByteArray row = rows.at(i);
        QCOMPARE(getElement(row, "dllist=1><strong>", "</strong>"), expected.at(i).name.toLatin1());
        QCOMPARE(getElement(row, "<a href=details.php?id=", "&amp;hit=1"),
                 QByteArray::number(expected.at(i).id));
        QStringList cells;
        const QList<QPair<QByteArray, QByteArray>> markers = {
            {"<td align=center>", "</td>"}, {"<td align=center>", "<br>"},
            {"<td align=right>", "</td>"},  {"<td align=right>", "</td>"},
            {"<td align=center>", "<br>"},  {"<td align=center>", "<br>"},
            {"<td align=center>", "</td>"}};
        for (const auto &m : markers) {
            cells.append(QString::fromLatin1(getElement(row, m.first, m.second)));
            row = row.mid(row.indexOf(m.first) + 1);
        }
        QVERIFY2(cells.at(0) == QLatin1String("yes") || cells.at(0) == QLatin1String("no"),
                 qPrintable(cells.join(QLatin1Char('|'))));
        const QString size = SiteHtml::sizeText(expected.at(i).size);
        QCOMPARE(cells.at(1), size.left(size.indexOf(QLatin1Char(' '))));
        bool numeric = false;
        cells.at(2).toInt(&numeric);
        QVERIFY(numeric);
        cells.at(3).toInt(&numeric);
        QVERIFY(numeric);
        cells.at(4).toDouble(&numeric);
        QVERIFY(numeric);
        cells.at(5).toDouble(&numeric);
        QVERIFY(numeric);
        const QString ratio =
            cells.at(6).section(QLatin1Char('>'), 1).section(QStringLiteral("</font"), 0, 0);
        ratio.toDouble(&numeric);
        QVERIFY2(numeric, qPrintable(cells.at(6)));
    }

    // The avatar address points at a PNG served without a login.
    const QByteArray avatar = getElement(page, "Avatar</td><td align=left><img src=\"", "\"></td>");
    QCOMPARE(avatar, (m_site->baseUrl() + "/pic/avatar1.png").toLatin1());
    QNetworkAccessManager fresh;
    const Fetched image = get(fresh, QUrl(QString::fromLatin1(avatar)));
    QCOMPARE(image.status, 200);
    QCOMPARE(image.header("Content-Type"), QByteArray("image/png"));
    QImage decoded;
    QVERIFY(decoded.loadFromData(image.body, "PNG"));
    QCOMPARE(decoded.size(), QSize(48, 48));
}

void tst_SiteSim::profile_withoutMessagesHasNoNotice()
{
    m_site->demoUser().newMessages = 0;
    const Fetched details = loginAndFetch(QStringLiteral("/userdetails.php?id=1"));
    QVERIFY(details.body.contains("Vellumstacks :: Details for demo"));
    QVERIFY(!getElement(details.body, "<font color=white>", "</font>").contains("message"));

    m_site->demoUser().newMessages = 3;
    const Fetched again = loginAndFetch(QStringLiteral("/userdetails.php?id=1"));
    QCOMPARE(getElement(again.body, "<font color=white>", "</font>"), QByteArray("3 new messages"));
}

void tst_SiteSim::profile_shortRatioColourIsServedAsSet()
{
    SiteUser &demo = m_site->demoUser();
    demo.ratioColour = QStringLiteral("red");
    demo.customTransfers = true;
    const Fetched details = loginAndFetch(QStringLiteral("/userdetails.php?id=1"));
    const QByteArray cell =
        getElement(details.body, "<td class=embedded><font color=", "\n</font>");
    QCOMPARE(cell, "red>" + ProfilePages::ratioText(demo.uploaded, demo.downloaded).toLatin1());
    // No transfers listed: neither table is on the page.
    QVERIFY(!details.body.contains("Currently&nbsp;seeding"));
    QVERIFY(!details.body.contains("Currently&nbsp;leeching"));
}

void tst_SiteSim::browsePages_listNewestWithDetailLinks()
{
    const Fetched browse = get(*m_nam, m_site->url(QStringLiteral("/browse.php")));
    QCOMPARE(browse.status, 200);
    QVERIFY(browse.body.startsWith("<html>"));
    const qsizetype newest = browse.body.indexOf("/details.php?id=700040");
    const qsizetype older = browse.body.indexOf("/details.php?id=700039");
    QVERIFY(newest > 0);
    QVERIFY(older > newest);

    const SiteTorrent *t = m_site->catalogue().torrent(700040);
    const Fetched details =
        get(*m_nam, m_site->url(QStringLiteral("/details.php?id=700040&hit=1")));
    QCOMPARE(details.status, 200);
    QVERIFY(details.body.contains(t->name.toLatin1()));
    QVERIFY(details.body.contains("/download.php?id=700040"));

    const Fetched inbox = get(*m_nam, m_site->url(QStringLiteral("/inbox.php")));
    QVERIFY(inbox.body.contains("name=\"returnto\" value=\"/inbox.php\""));
    const Fetched loggedIn = loginAndFetch(QStringLiteral("/inbox.php"));
    QVERIFY(loggedIn.body.contains("Inbox of demo"));

    const Fetched home = get(*m_nam, m_site->url(QStringLiteral("/")));
    QCOMPARE(home.status, 200);
    QVERIFY(home.body.contains("/details.php?id=700040"));
}

void tst_SiteSim::unknownPath_isNotFound()
{
    const Fetched reply = get(*m_nam, m_site->url(QStringLiteral("/nothing.php?x=1")));
    QCOMPARE(reply.status, 404);
    QVERIFY(reply.body.startsWith("<html>"));
    QVERIFY(reply.body.contains("404 Not Found"));
    const Fetched details = get(*m_nam, m_site->url(QStringLiteral("/details.php?id=3")));
    QCOMPARE(details.status, 404);
}

void tst_SiteSim::png_checksumsAndImage()
{
    // The published check values of both checksums.
    QCOMPARE(PngEncoder::crc32("123456789"), 0xCBF43926u);
    QCOMPARE(PngEncoder::adler32("Wikipedia"), 0x11E60398u);

    // A picture past one 64 KiB stored block still decodes, pixel for pixel.
    const int width = 160;
    const int height = 150;
    QByteArray rgb;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            rgb += char(x) + QByteArray(1, char(y)) + QByteArray(1, char(x ^ y));
    }
    QImage image;
    QVERIFY(image.loadFromData(PngEncoder::encodeRgb(width, height, rgb), "PNG"));
    QCOMPARE(image.size(), QSize(width, height));
    QCOMPARE(image.pixel(7, 9), qRgb(7, 9, 7 ^ 9));
    QCOMPARE(image.pixel(159, 149), qRgb(159, 149, 159 ^ 149));
}

void tst_SiteSim::busyPage_textAtClientOffset()
{
    const QByteArray page = SiteHtml::busyPage();
    QVERIFY(page.startsWith("<html>"));
    // Characters 128 to 142, counted from 1.
    QCOMPARE(page.mid(127, 15), QByteArray("The server load"));
}

void tst_SiteSim::misbehave_completeAnswers_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("NotFound") << int(SiteMisbehaviour::NotFound) << 404 << QByteArray("<html>")
                              << -1 << QByteArray("404 Not Found");
    QTest::newRow("Html") << int(SiteMisbehaviour::Html) << 200 << QByteArray("<html>") << -1
                          << QByteArray("</html>");
    QTest::newRow("Busy") << int(SiteMisbehaviour::Busy) << 200 << QByteArray("<html>") << 127
                          << QByteArray("The server load");
    QTest::newRow("MySqlError") << int(SiteMisbehaviour::MySqlError) << 200
                                << QByteArray("MySQL Error") << -1 << QByteArray();
    QTest::newRow("Empty") << int(SiteMisbehaviour::Empty) << 200 << QByteArray() << -1
                           << QByteArray();
}

void tst_SiteSim::misbehave_completeAnswers()
{
    QFETCH(int, kind);
    QFETCH(int, status);
    QFETCH(QByteArray, start);
    QFETCH(int, offset);
    QFETCH(QByteArray, text);
    m_site->misbehave(QStringLiteral("/bots.php"), SiteMisbehaviour::Kind(kind));
    const Fetched reply = get(*m_nam, QUrl(m_site->feedUrl(0, true)));
    QVERIFY(reply.finished);
    QCOMPARE(reply.status, status);
    QVERIFY(!reply.body.startsWith("#PWKF"));
    QVERIFY(reply.body.startsWith(start));
    if (start.isEmpty() && text.isEmpty())
        QCOMPARE(reply.body, QByteArray());
    if (offset >= 0)
        QCOMPARE(reply.body.mid(offset, text.size()), text);
    else
        QVERIFY(reply.body.contains(text));
    QCOMPARE(reply.header("Content-Length").toLongLong(), reply.body.size());
    QCOMPARE(int(m_site->lastRequest().answer), kind);
    QCOMPARE(m_site->lastRequest().status, status);
}

void tst_SiteSim::misbehave_countAndPrefix()
{
    m_site->misbehave(QStringLiteral("/bots.php"), SiteMisbehaviour::NotFound, 2);
    const QUrl feed(m_site->feedUrl(700030, false));
    QCOMPARE(get(*m_nam, feed).status, 404);
    // Another path is not touched by the rule.
    QCOMPARE(get(*m_nam, m_site->url(QStringLiteral("/browse.php"))).status, 200);
    QCOMPARE(get(*m_nam, feed).status, 404);
    const Fetched third = get(*m_nam, feed);
    QCOMPARE(third.status, 200);
    QVERIFY(third.body.startsWith("#PWKF12#"));

    // A count-limited rule goes before a lasting one for the same path.
    m_site->misbehave(QStringLiteral("/bots.php"), SiteMisbehaviour::Html);
    m_site->misbehave(QStringLiteral("/bots.php"), SiteMisbehaviour::Busy, 1);
    QCOMPARE(get(*m_nam, feed).body.mid(127, 15), QByteArray("The server load"));
    QVERIFY(get(*m_nam, feed).body.contains("Welcome to Vellumstacks"));
    m_site->clearMisbehaviour();
    QVERIFY(get(*m_nam, feed).body.startsWith("#PWKF12#"));

    QList<int> answers;
    for (const SiteRequest &r : m_site->requestsTo(QStringLiteral("/bots.php")))
        answers.append(r.answer);
    QCOMPARE(answers, QList<int>({SiteMisbehaviour::NotFound, SiteMisbehaviour::NotFound,
                                  SiteMisbehaviour::None, SiteMisbehaviour::Busy,
                                  SiteMisbehaviour::Html, SiteMisbehaviour::None}));
}

void tst_SiteSim::rawReply_scriptedBytes_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("feed of another version") << 200 << QByteArray("#PWKF11#\r\n\r\n1\t2\r\n");
    QTest::newRow("disabled account") << 200 << QByteArray("Unauthorised:3");
    QTest::newRow("magic in lower case") << 200 << QByteArray("#pwkf12#\r\n\r\n");
    QTest::newRow("row without TAB") << 200 << QByteArray("#PWKF12#\r\n\r\nno tabs here\r\n");
    QTest::newRow("bytes past 127") << 200 << QByteArray("#PWKF12#\r\n\r\n1\t2\t\xe9\t\xff\r\n");
    QTest::newRow("server error") << 500 << QByteArray("<html>oops</html>");
}

void tst_SiteSim::rawReply_scriptedBytes()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    m_site->scriptReply(QStringLiteral("/bots.php"), body, status, {{"X-Script", "yes"}});
    const QUrl feed(m_site->feedUrl(0, false));
    const Fetched scripted = get(*m_nam, feed);
    QCOMPARE(scripted.status, status);
    QCOMPARE(scripted.body, body);
    QCOMPARE(scripted.header("X-Script"), QByteArray("yes"));
    // Only the next request was scripted.
    QVERIFY(get(*m_nam, feed).body.startsWith("#PWKF12#\r\n\r\n"));
}

void tst_SiteSim::rawReply_lastsUntilCleared()
{
    m_site->setRawReply(QStringLiteral("/bots.php"), 200, "Unauthorised:4");
    m_site->setRawReply(QStringLiteral("/bots.php"), 200, "#PWKF12#\r\nA\r\n");
    const QUrl feed(m_site->feedUrl(0, false));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(get(*m_nam, feed).body, QByteArray("#PWKF12#\r\nA\r\n"));
    m_site->clearMisbehaviour();
    QCOMPARE(feedIds(get(*m_nam, feed).body), idRange(700021, 700040));
}

void tst_SiteSim::refuse_closesWithoutAnswer()
{
    m_site->misbehave(QStringLiteral("/bots.php"), SiteMisbehaviour::Refuse, 1);
    const QUrl url(m_site->feedUrl(0, false));
    const QByteArray request = "GET " + url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority) +
                               " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";

    QList<QByteArray> received;
    for (int attempt = 0; attempt < 2; ++attempt) {
        QTcpSocket socket;
        QSignalSpy closed(&socket, &QTcpSocket::disconnected);
        QByteArray got;
        connect(&socket, &QTcpSocket::readyRead, &socket, [&] { got += socket.readAll(); });
        socket.connectToHost(QHostAddress::LocalHost, quint16(url.port()));
        QVERIFY(socket.waitForConnected(3000));
        socket.write(request);
        QVERIFY(closed.wait(3000));
        received.append(got + socket.readAll());
    }
    QCOMPARE(received.at(0), QByteArray());
    QVERIFY(received.at(1).startsWith("HTTP/1.1 200 OK\r\n"));
    QVERIFY(received.at(1).contains("\r\n\r\n#PWKF12#\r\n"));
    QCOMPARE(m_site->requests().size(), 2);
    QCOMPARE(m_site->requests().at(0).answer, SiteMisbehaviour::Refuse);
    QCOMPARE(m_site->requests().at(0).status, 0);
}

void tst_SiteSim::refuse_failsNetworkAccessManager()
{
    m_site->misbehave(QStringLiteral("/bots.php"), SiteMisbehaviour::Refuse);
    const Fetched refused = get(*m_nam, QUrl(m_site->feedUrl(0, false)));
    QVERIFY(refused.finished);
    QCOMPARE(refused.error, QNetworkReply::RemoteHostClosedError);
    QCOMPARE(refused.body, QByteArray());
    QCOMPARE(refused.status, 0);
    // The manager quietly sends a refused request again before it gives up.
    QVERIFY(m_site->requestsTo(QStringLiteral("/bots.php")).size() >= 1);

    m_site->clearMisbehaviour();
    QCOMPARE(get(*m_nam, QUrl(m_site->feedUrl(0, false))).status, 200);
}

void tst_SiteSim::refuse_onceIsHiddenByTheManagersResend()
{
    // QNetworkAccessManager sends a request again, once, when the connection closes before any
    // answer: tests that want a failed fetch must refuse at least twice.
    m_site->misbehave(QStringLiteral("/bots.php"), SiteMisbehaviour::Refuse, 1);
    const Fetched once = get(*m_nam, QUrl(m_site->feedUrl(0, false)));
    QCOMPARE(once.error, QNetworkReply::NoError);
    QVERIFY(once.body.startsWith("#PWKF12#"));
    QCOMPARE(m_site->requests().size(), 2);
    QCOMPARE(m_site->requests().at(0).answer, SiteMisbehaviour::Refuse);
    QCOMPARE(m_site->requests().at(1).answer, SiteMisbehaviour::None);

    m_site->clearRequests();
    m_site->misbehave(QStringLiteral("/bots.php"), SiteMisbehaviour::Refuse, 2);
    const Fetched twice = get(*m_nam, QUrl(m_site->feedUrl(0, false)));
    QCOMPARE(twice.error, QNetworkReply::RemoteHostClosedError);
    QCOMPARE(m_site->requests().size(), 2);
    QCOMPARE(get(*m_nam, QUrl(m_site->feedUrl(0, false))).status, 200);
}

void tst_SiteSim::stall_neverAnswers()
{
    m_site->misbehave(QStringLiteral("/bots.php"), SiteMisbehaviour::Stall, 1);
    QNetworkRequest request{QUrl(m_site->feedUrl(0, false))};
    request.setTransferTimeout(300);
    QElapsedTimer clock;
    clock.start();
    const Fetched stalled = fetch(*m_nam, request);
    QVERIFY(stalled.finished);
    QVERIFY(clock.elapsed() >= 250);
    QVERIFY(stalled.error != QNetworkReply::NoError);
    QCOMPARE(stalled.status, 0);
    QCOMPARE(stalled.body, QByteArray());
    QCOMPARE(m_site->lastRequest().answer, SiteMisbehaviour::Stall);
    // The site keeps serving other connections meanwhile.
    QCOMPARE(get(*m_nam, QUrl(m_site->feedUrl(0, false))).status, 200);
}

void tst_SiteSim::stallAfterHeaders_sendsHeadThenSilence()
{
    SiteMisbehaviour rule;
    rule.prefix = QStringLiteral("/bots.php");
    rule.kind = SiteMisbehaviour::StallAfterHeaders;
    rule.remaining = 1;
    rule.bodyBytes = 10;
    m_site->addMisbehaviour(rule);
    QNetworkRequest request{QUrl(m_site->feedUrl(0, true))};
    request.setTransferTimeout(300);
    const Fetched stalled = fetch(*m_nam, request);
    QVERIFY(stalled.finished);
    QCOMPARE(stalled.status, 200);
    QVERIFY(stalled.error != QNetworkReply::NoError);
    QCOMPARE(stalled.body, QByteArray("#PWKF12#\r\n"));
    QVERIFY(stalled.header("Content-Length").toLongLong() > 1000);
}

void tst_SiteSim::truncated_closesBeforeContentLength()
{
    m_site->misbehave(QStringLiteral("/download.php"), SiteMisbehaviour::Truncated);
    const Fetched reply = loginAndFetch(QStringLiteral("/download.php?id=700003"));
    QVERIFY(reply.finished);
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.error, QNetworkReply::RemoteHostClosedError);
    const qint64 announced = reply.header("Content-Length").toLongLong();
    QCOMPARE(announced, m_site->torrentFile(700003).size());
    QVERIFY(reply.body.size() < announced);
    QVERIFY(m_site->torrentFile(700003).startsWith(reply.body));
}

void tst_SiteSim::noContentLength_endsWithClose()
{
    m_site->misbehave(QStringLiteral("/bots.php"), SiteMisbehaviour::NoContentLength, 1);
    const Fetched reply = get(*m_nam, QUrl(m_site->feedUrl(0, true)));
    QCOMPARE(reply.error, QNetworkReply::NoError);
    QVERIFY(!reply.hasHeader("Content-Length"));
    const Fetched normal = get(*m_nam, QUrl(m_site->feedUrl(0, true)));
    QVERIFY(normal.hasHeader("Content-Length"));
    QCOMPARE(reply.body, normal.body);
}

void tst_SiteSim::slowDrip_deliversWholeBodyInPieces()
{
    m_site->setDripPace(64, 2);
    m_site->misbehave(QStringLiteral("/bots.php"), SiteMisbehaviour::SlowDrip, 1);
    const Fetched dripped = get(*m_nam, QUrl(m_site->feedUrl(0, true)));
    QCOMPARE(dripped.error, QNetworkReply::NoError);
    const Fetched normal = get(*m_nam, QUrl(m_site->feedUrl(0, true)));
    QCOMPARE(dripped.body, normal.body);
    // At least a quarter of the 64-byte pieces arrived as separate reads.
    QVERIFY2(dripped.readyReads >= normal.body.size() / 64 / 4,
             qPrintable(QString::number(dripped.readyReads)));
    QVERIFY(dripped.readyReads > 3);
}

void tst_SiteSim::requests_areRecorded()
{
    QSignalSpy received(&m_site->server(), &SiteServer::requestReceived);
    QNetworkRequest request(m_site->url(QStringLiteral("/takelogin.php?x=1&&y")));
    request.setRawHeader("X-First", "one");
    request.setRawHeader("X-Second", "two");
    request.setRawHeader("Cookie", "uid=5; pass=abc");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    const QByteArray body = TestSite::loginBody(QStringLiteral("demo"), QStringLiteral("demo"),
                                                QStringLiteral("/download.php?id=700002"));
    QCOMPARE(fetch(*m_nam, request, "POST", body).status, 302);
    get(*m_nam, m_site->url(QStringLiteral("/bots.php?limit=1&&u=demo&p=demo&v=11")));

    QCOMPARE(received.size(), 2);
    QCOMPARE(m_site->requests().size(), 2);
    const SiteRequest post = m_site->requests().first();
    QCOMPARE(post.method, QByteArray("POST"));
    QCOMPARE(post.target, QByteArray("/takelogin.php?x=1&&y"));
    QCOMPARE(post.path(), QByteArray("/takelogin.php"));
    QCOMPARE(post.body, body);
    QCOMPARE(post.cookie, QByteArray("uid=5; pass=abc"));
    QCOMPARE(post.header("x-first"), QByteArray("one"));
    QCOMPARE(post.header("CONTENT-LENGTH"), QByteArray::number(body.size()));
    QCOMPARE(post.status, 302);
    qsizetype first = -1;
    qsizetype second = -1;
    for (qsizetype i = 0; i < post.headers.size(); ++i) {
        if (post.headers.at(i).first == "X-First")
            first = i;
        if (post.headers.at(i).first == "X-Second")
            second = i;
    }
    QVERIFY(first >= 0 && second > first);

    const SiteRequest feed = m_site->lastRequest();
    QCOMPARE(feed.target, QByteArray("/bots.php?limit=1&&u=demo&p=demo&v=11"));
    QCOMPARE(feed.loggableTarget(), QByteArray("/bots.php?limit=1&&u=demo&p=***&v=11"));
    QCOMPARE(received.at(1).at(0).value<SiteRequest>().target, feed.target);
    QCOMPARE(m_site->requestsTo(QStringLiteral("/bots.php")).size(), 1);

    m_site->clearRequests();
    QVERIFY(m_site->requests().isEmpty());
    QCOMPARE(m_site->lastRequest().method, QByteArray());
}

void tst_SiteSim::unusedPortUrl_refusesConnections()
{
    const QString url = TestSite::unusedPortUrl();
    QVERIFY(
        QRegularExpression(QStringLiteral("^http://127\\.0\\.0\\.1:\\d+$")).match(url).hasMatch());
    const Fetched reply = get(*m_nam, QUrl(url + QStringLiteral("/bots.php")));
    QVERIFY(reply.finished);
    QCOMPARE(reply.error, QNetworkReply::ConnectionRefusedError);
}

void tst_SiteSim::simulator_printsListeningLineAndServesFeed_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("grows");
    QTest::newRow("defaults") << QStringList{QStringLiteral("--rate"), QStringLiteral("0")}
                              << QStringLiteral("demo") << QStringLiteral("demo") << false;
    QTest::newRow("own member, fast uploads")
        << QStringList{QStringLiteral("--port"),     QStringLiteral("0"),
                       QStringLiteral("--user"),     QStringLiteral("alice"),
                       QStringLiteral("--password"), QStringLiteral("s3cret"),
                       QStringLiteral("--rate"),     QStringLiteral("0.1"),
                       QStringLiteral("--torrents"), QStringLiteral("50")}
        << QStringLiteral("alice") << QStringLiteral("s3cret") << true;
}

void tst_SiteSim::simulator_printsListeningLineAndServesFeed()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(bool, grows);

    QProcess simulator;
    simulator.start(QStringLiteral(SITESIM_EXECUTABLE), arguments);
    QVERIFY2(simulator.waitForStarted(5000), qPrintable(simulator.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(simulator.canReadLine(), 5000);
    const QByteArray line = simulator.readLine();
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^listening on (http://127\\.0\\.0\\.1:(\\d+))\\n$"))
            .match(QString::fromLatin1(line));
    QVERIFY2(match.hasMatch(), line.constData());
    QVERIFY(match.captured(2).toInt() > 0);
    const QString base = match.captured(1);

    const QUrl feedUrl(base +
                       QStringLiteral("/bots.php?limit=20&u=%1&p=%2&v=11&c=1").arg(user, password));
    const Fetched feed = get(*m_nam, feedUrl);
    QCOMPARE(feed.status, 200);
    const QList<QByteArray> lines = feed.body.split('\n');
    QCOMPARE(lines.at(0), QByteArray("#PWKF12#\r"));
    QCOMPARE(lines.at(1),
             SiteCatalogue::defaultCategories().join(QLatin1Char('\t')).toLatin1() + '\r');
    QCOMPARE(feedIds(feed.body).size(), 20);
    const int newest = feedIds(feed.body).last();

    if (grows) {
        QTRY_VERIFY_WITH_TIMEOUT(feedIds(get(*m_nam, feedUrl).body).last() > newest, 5000);
        const Fetched stranger = get(*m_nam, QUrl(base + "/bots.php?limit=1&u=demo&p=demo&v=11"));
        QCOMPARE(stranger.body, QByteArray("Unauthorised:1"));
    }

    simulator.terminate();
    QVERIFY(simulator.waitForFinished(5000));
    QCOMPARE(simulator.exitStatus(), QProcess::NormalExit);
    QCOMPARE(simulator.exitCode(), 0);
    const QByteArray log = simulator.readAllStandardError();
    QVERIFY2(log.contains("GET /bots.php?limit=20&u=" + user.toLatin1() + "&p=***&v=11&c=1 200"),
             log.constData());
    QVERIFY(!log.contains("p=" + password.toLatin1()));
}

QTEST_GUILESS_MAIN(tst_SiteSim)
#include "tst_sitesim.moc"

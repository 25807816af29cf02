#include "TestSite.h"

#include "FeedWriter.h"

#include <QTest>

TestSite::TestSite()
{
    m_server.catalogue().generate(TorrentCount, Seed);
    m_server.listen(0);
}

QUrl TestSite::url(const QString &pathAndQuery) const
{
    return QUrl(baseUrl() + pathAndQuery);
}

QString TestSite::feedUrl(int startId, bool withCategories) const
{
    const QString tail = QStringLiteral("&u=%1&p=%2&v=11&c=%3")
                             .arg(userName(), password(),
                                  withCategories ? QStringLiteral("1") : QStringLiteral("0"));
    if (startId == 0)
        return baseUrl() + QStringLiteral("/bots.php?limit=20") + tail;
    return baseUrl() + QStringLiteral("/bots.php?startid=%1&limit=150").arg(startId) + tail;
}

SiteUser &TestSite::demoUser()
{
    return *m_server.catalogue().user(userName());
}

SiteRequest TestSite::lastRequest() const
{
    const QList<SiteRequest> &all = m_server.requests();
    return all.isEmpty() ? SiteRequest() : all.last();
}

QList<SiteRequest> TestSite::requestsTo(const QString &prefix) const
{
    QList<SiteRequest> matching;
    for (const SiteRequest &request : m_server.requests()) {
        if (QString::fromLatin1(request.target).startsWith(prefix))
            matching.append(request);
    }
    return matching;
}

bool TestSite::waitForRequests(int count, const QString &prefix, int timeoutMs)
{
    return QTest::qWaitFor([&] { return requestsTo(prefix).size() >= count; }, timeoutMs);
}

void TestSite::misbehave(const QString &prefix, SiteMisbehaviour::Kind kind, int count)
{
    m_server.misbehave(prefix, kind, count);
}

void TestSite::scriptReply(const QString &prefix, const QByteArray &body, int status,
                           const SiteHeaderList &headers, int count)
{
    m_server.scriptReply(prefix, status, body, headers, count);
}

void TestSite::setRawReply(const QString &prefix, int status, const QByteArray &body,
                           const SiteHeaderList &headers)
{
    m_server.setRawReply(prefix, status, body, headers);
}

QByteArray TestSite::feedBody(const QList<SiteTorrent> &rows, const QStringList &categories)
{
    return FeedWriter::feed(rows, categories);
}

SiteTorrent TestSite::torrent(int id, const QString &name, const QString &category, qint64 size)
{
    SiteTorrent t;
    t.id = id;
    t.size = size;
    t.category = category;
    t.field3 = QStringLiteral("0");
    t.name = name;
    t.fileName = name + QStringLiteral(".torrent");
    return t;
}

QByteArray TestSite::torrentFile(int id) const
{
    const SiteTorrent *t = m_server.catalogue().torrent(id);
    const SiteUser *user = m_server.catalogue().user(userName());
    if (!t || !user)
        return {};
    return m_server.pages().torrentFile(*t, *user);
}

QByteArray TestSite::loginBody(const QString &user, const QString &password,
                               const QString &returnTo)
{
    const auto encode = [](const QString &text) {
        return text.toLatin1().toPercentEncoding().replace("%20", "+");
    };
    return "username=" + encode(user) + "&password=" + encode(password) +
           "&login=Log+in&returnto=" + returnTo.toLatin1() + "\r\n";
}

#pragma once

#include "SiteServer.h"

#include <QList>
#include <QString>
#include <QUrl>

// The tracker site for tests: a SiteServer on 127.0.0.1 with a free port, a fixed catalogue
// of TorrentCount torrents (ids 700001 to 700040, the same in every run) and the member
// demo/demo (user id 1). Each test builds its own; the port closes when it is destroyed.
//
//     TestSite site;
//     QVERIFY(site.isListening());
//     qputenv("POLLWICK_SITE_URL", site.baseUrl().toLatin1());
//     site.misbehave("/bots.php", SiteMisbehaviour::Busy, 1);
//     ... run the code under test ...
//     QCOMPARE(site.requestsTo("/bots.php").size(), 2);
class TestSite
{
public:
    static constexpr int TorrentCount = 40;
    static constexpr quint32 Seed = 4242;

    // Generates the catalogue and starts listening.
    TestSite();

    bool isListening() const { return m_server.isListening(); }
    // "http://127.0.0.1:PORT", no trailing slash: what the program takes as its site address.
    QString baseUrl() const { return m_server.baseUrl(); }
    // baseUrl() followed by a path such as "/bots.php?limit=1".
    QUrl url(const QString &pathAndQuery) const;
    // The feed address the way the program builds it for a check (startid 0 means a first
    // run), with the demo credentials.
    QString feedUrl(int startId, bool withCategories) const;

    SiteServer &server() { return m_server; }
    SiteCatalogue &catalogue() { return m_server.catalogue(); }
    const SiteCatalogue &catalogue() const { return m_server.catalogue(); }
    QString userName() const { return QStringLiteral("demo"); }
    QString password() const { return QStringLiteral("demo"); }
    // The demo member, for changing profile values or its status.
    SiteUser &demoUser();

    // Requests received so far, oldest first.
    QList<SiteRequest> requests() const { return m_server.requests(); }
    // The newest request; a default SiteRequest when there is none.
    SiteRequest lastRequest() const;
    // Requests whose target (path and query as sent) starts with prefix.
    QList<SiteRequest> requestsTo(const QString &prefix) const;
    void clearRequests() { m_server.clearRequests(); }
    // Lets events run until at least count requests to prefix ("" for any) have arrived or
    // timeoutMs has passed; true when they arrived.
    bool waitForRequests(int count, const QString &prefix = QString(), int timeoutMs = 5000);

    // See SiteServer: broken answers for a path prefix, next count requests or until cleared.
    void misbehave(const QString &prefix, SiteMisbehaviour::Kind kind,
                   int count = SiteMisbehaviour::UntilCleared);
    void addMisbehaviour(const SiteMisbehaviour &rule) { m_server.addMisbehaviour(rule); }
    // Exactly these bytes for the next count requests to prefix.
    void scriptReply(const QString &prefix, const QByteArray &body, int status = 200,
                     const SiteHeaderList &headers = {}, int count = 1);
    // Exactly these bytes for every request to prefix until clearMisbehaviour().
    void setRawReply(const QString &prefix, int status, const QByteArray &body,
                     const SiteHeaderList &headers = {});
    void clearMisbehaviour() { m_server.clearMisbehaviour(); }
    void setDripPace(int chunkBytes, int intervalMs)
    {
        m_server.setDripPace(chunkBytes, intervalMs);
    }

    // The bytes of a feed reply with these rows and, when given, this category line.
    static QByteArray feedBody(const QList<SiteTorrent> &rows,
                               const QStringList &categories = QStringList());
    // A feed row value; fileName is name + ".torrent".
    static SiteTorrent torrent(int id, const QString &name,
                               const QString &category = QStringLiteral("Movies/XviD"),
                               qint64 size = 734'003'200);
    // The .torrent file the site serves the demo member for that id; empty for unknown ids.
    QByteArray torrentFile(int id) const;
    // The login form body the program posts, ending in CR LF.
    static QByteArray loginBody(const QString &user, const QString &password,
                                const QString &returnTo);
    // An address on 127.0.0.1 where nothing listens.
    static QString unusedPortUrl() { return SiteServer::unusedPortUrl(); }

private:
    SiteServer m_server;
};

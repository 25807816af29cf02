#pragma once

#include "SiteCatalogue.h"
#include "SiteMisbehaviour.h"
#include "SitePages.h"
#include "SiteRequest.h"

#include <QList>
#include <QObject>
#include <QTcpServer>

class SiteConnection;

// The site over HTTP/1.1 on 127.0.0.1: every answer carries "Connection: close" and the
// connection is closed after it. Owns the catalogue, answers through SitePages, records
// every request and misbehaves on demand for chosen path prefixes.
class SiteServer : public QObject
{
    Q_OBJECT
public:
    explicit SiteServer(QObject *parent = nullptr);
    ~SiteServer() override;

    // Listens on 127.0.0.1; port 0 picks a free one.
    bool listen(quint16 port = 0);
    void close();
    bool isListening() const { return m_server.isListening(); }
    quint16 port() const { return m_server.serverPort(); }
    QString errorString() const { return m_server.errorString(); }
    // "http://127.0.0.1:PORT", no trailing slash.
    QString baseUrl() const;

    SiteCatalogue &catalogue() { return m_catalogue; }
    const SiteCatalogue &catalogue() const { return m_catalogue; }
    SitePages &pages() { return m_pages; }
    const SitePages &pages() const { return m_pages; }

    // Every complete request received so far, oldest first, with how it was answered.
    const QList<SiteRequest> &requests() const { return m_requests; }
    void clearRequests() { m_requests.clear(); }

    // Answers the next count requests whose target (path and query) starts with prefix in
    // the given broken way; UntilCleared keeps doing it. Refuse counts connections: note that
    // QNetworkAccessManager silently sends a refused request again up to twice.
    void misbehave(const QString &prefix, SiteMisbehaviour::Kind kind,
                   int count = SiteMisbehaviour::UntilCleared);
    // Adds a fully described rule (partial byte counts, drip pace, scripted reply).
    void addMisbehaviour(const SiteMisbehaviour &rule);
    // Answers the next count requests for prefix with exactly this status, headers and body.
    void scriptReply(const QString &prefix, int status, const QByteArray &body,
                     const SiteHeaderList &headers = {}, int count = 1);
    // Answers every request for prefix with these bytes until clearMisbehaviour().
    void setRawReply(const QString &prefix, int status, const QByteArray &body,
                     const SiteHeaderList &headers = {});
    void clearMisbehaviour() { m_rules.clear(); }
    // Pace of SlowDrip rules added by misbehave().
    void setDripPace(int chunkBytes, int intervalMs);

    // "http://127.0.0.1:PORT" where nothing listens: a port just bound and released.
    static QString unusedPortUrl();

signals:
    // A complete request was received and its answer decided (status 0: none goes out).
    void requestReceived(const SiteRequest &request);

private:
    void onNewConnection();
    void answer(SiteConnection *connection, SiteRequest request);
    SiteMisbehaviour takeRule(const QByteArray &target);

    QTcpServer m_server;
    SiteCatalogue m_catalogue;
    SitePages m_pages;
    QList<SiteRequest> m_requests;
    QList<SiteMisbehaviour> m_rules;
    int m_dripChunk = 64;
    int m_dripIntervalMs = 5;
};

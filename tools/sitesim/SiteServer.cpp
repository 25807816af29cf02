#include "SiteServer.h"

#include "SiteConnection.h"
#include "SiteHtml.h"

#include <QTcpSocket>

SiteServer::SiteServer(QObject *parent) : QObject(parent), m_pages(&m_catalogue)
{
    connect(&m_server, &QTcpServer::newConnection, this, &SiteServer::onNewConnection);
}

SiteServer::~SiteServer()
{
    // Connections are children of this object; closing the listener first stops new ones.
    m_server.close();
}

bool SiteServer::listen(quint16 port)
{
    if (!m_server.listen(QHostAddress::LocalHost, port))
        return false;
    m_pages.setBaseUrl(baseUrl());
    return true;
}

void SiteServer::close()
{
    m_server.close();
}

QString SiteServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
}

void SiteServer::misbehave(const QString &prefix, SiteMisbehaviour::Kind kind, int count)
{
    SiteMisbehaviour rule;
    rule.prefix = prefix;
    rule.kind = kind;
    rule.remaining = count;
    rule.dripChunk = m_dripChunk;
    rule.dripIntervalMs = m_dripIntervalMs;
    addMisbehaviour(rule);
}

void SiteServer::addMisbehaviour(const SiteMisbehaviour &rule)
{
    if (rule.kind == SiteMisbehaviour::None || rule.remaining == 0)
        return;
    m_rules.append(rule);
}

void SiteServer::scriptReply(const QString &prefix, int status, const QByteArray &body,
                             const SiteHeaderList &headers, int count)
{
    SiteMisbehaviour rule;
    rule.prefix = prefix;
    rule.kind = SiteMisbehaviour::Raw;
    rule.remaining = count;
    rule.raw.status = status;
    rule.raw.headers = headers;
    rule.raw.body = body;
    addMisbehaviour(rule);
}

void SiteServer::setRawReply(const QString &prefix, int status, const QByteArray &body,
                             const SiteHeaderList &headers)
{
    scriptReply(prefix, status, body, headers, SiteMisbehaviour::UntilCleared);
}

void SiteServer::setDripPace(int chunkBytes, int intervalMs)
{
    m_dripChunk = chunkBytes;
    m_dripIntervalMs = intervalMs;
}

QString SiteServer::unusedPortUrl()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return QStringLiteral("http://127.0.0.1:%1").arg(port);
}

void SiteServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        auto *connection = new SiteConnection(socket, this);
        connect(connection, &SiteConnection::requestReady, this, &SiteServer::answer);
    }
}

SiteMisbehaviour SiteServer::takeRule(const QByteArray &target)
{
    const QString text = QString::fromLatin1(target);
    // Rules with a count come first, oldest first; then lasting rules, newest first, so a
    // later setRawReply() for the same prefix replaces an earlier one.
    qsizetype found = -1;
    for (qsizetype i = 0; i < m_rules.size() && found < 0; ++i) {
        if (m_rules.at(i).remaining > 0 && text.startsWith(m_rules.at(i).prefix))
            found = i;
    }
    for (qsizetype i = m_rules.size() - 1; i >= 0 && found < 0; --i) {
        if (m_rules.at(i).remaining < 0 && text.startsWith(m_rules.at(i).prefix))
            found = i;
    }
    if (found < 0)
        return {};
    const SiteMisbehaviour rule = m_rules.at(found);
    if (rule.remaining > 0 && --m_rules[found].remaining == 0)
        m_rules.removeAt(found);
    return rule;
}

void SiteServer::answer(SiteConnection *connection, SiteRequest request)
{
    const SiteMisbehaviour rule = takeRule(request.target);
    const bool headOnly = request.method == "HEAD";
    const SiteResponse normal = m_pages.respond(request);
    const qint64 half = normal.body.size() / 2;
    const qint64 partBytes =
        rule.bodyBytes < 0 ? half : std::min<qint64>(rule.bodyBytes, normal.body.size());
    // Announce more than is sent even when the normal body is empty.
    const qint64 announced = std::max<qint64>(normal.body.size(), partBytes + 100);

    request.answer = rule.kind;
    request.status = normal.status;
    switch (rule.kind) {
    case SiteMisbehaviour::None:
        connection->send(normal, headOnly);
        break;
    case SiteMisbehaviour::Refuse:
        request.status = 0;
        connection->closeSilently();
        break;
    case SiteMisbehaviour::Stall:
        request.status = 0;
        break;
    case SiteMisbehaviour::StallAfterHeaders:
        connection->sendPart(normal, announced, partBytes, false);
        break;
    case SiteMisbehaviour::Truncated:
        connection->sendPart(normal, announced, partBytes, true);
        break;
    case SiteMisbehaviour::NotFound:
        request.status = 404;
        connection->send(SiteResponse::html(404, SiteHtml::notFoundPage(request.path())), headOnly);
        break;
    case SiteMisbehaviour::Html:
        request.status = 200;
        connection->send(SiteResponse::html(200, SiteHtml::genericPage()), headOnly);
        break;
    case SiteMisbehaviour::Busy:
        request.status = 200;
        connection->send(SiteResponse::html(200, SiteHtml::busyPage()), headOnly);
        break;
    case SiteMisbehaviour::MySqlError:
        request.status = 200;
        connection->send(SiteResponse::html(200, SiteHtml::mySqlErrorPage()), headOnly);
        break;
    case SiteMisbehaviour::NoContentLength:
        connection->sendWithoutLength(normal);
        break;
    case SiteMisbehaviour::SlowDrip:
        connection->drip(rule.raw.body.isEmpty() ? normal : rule.raw, rule.dripChunk,
                         rule.dripIntervalMs);
        break;
    case SiteMisbehaviour::Flood:
        request.status = 200;
        connection->flood(std::max<qint64>(rule.bodyBytes, 0));
        break;
    case SiteMisbehaviour::Empty:
        request.status = 200;
        connection->send(SiteResponse::plainText(QByteArray()), headOnly);
        break;
    case SiteMisbehaviour::Raw: {
        SiteResponse raw = rule.raw;
        if (!raw.hasHeader("Content-Type"))
            raw.addHeader("Content-Type", "text/plain; charset=ISO-8859-1");
        request.status = raw.status;
        if (rule.rawWithoutLength)
            connection->sendWithoutLength(raw);
        else
            connection->send(raw, headOnly);
        break;
    }
    }
    m_requests.append(request);
    emit requestReceived(request);
}

#include "download/ClientRequest.h"

#include <QHttpMultiPart>
#include <QNetworkAccessManager>
#include <QNetworkReply>

ClientRequest::ClientRequest(QNetworkAccessManager &network, QNetworkRequest request,
                             const QByteArray &verb, const QByteArray &body, Done done,
                             int timeLimitMs, QObject *parent)
    : QObject(parent), m_done(std::move(done))
{
    m_reply = network.sendCustomRequest(request, verb, body);
    watch(timeLimitMs);
}

ClientRequest::ClientRequest(QNetworkAccessManager &network, QNetworkRequest request,
                             QHttpMultiPart *multipart, Done done, int timeLimitMs, QObject *parent)
    : QObject(parent), m_done(std::move(done))
{
    m_reply = network.post(request, multipart);
    multipart->setParent(this);
    watch(timeLimitMs);
}

ClientRequest::~ClientRequest()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

QNetworkRequest ClientRequest::prepare(const QUrl &url)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    return request;
}

void ClientRequest::watch(int timeLimitMs)
{
    m_timeLimitMs = timeLimitMs;
    connect(m_reply, &QNetworkReply::readyRead, this, &ClientRequest::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &ClientRequest::onFinished);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        end(QStringLiteral("no answer within %1 seconds").arg(m_timeLimitMs / 1000.0));
    });
    m_timer.start(timeLimitMs);
}

void ClientRequest::onReadyRead()
{
    m_body += m_reply->readAll();
    if (m_body.size() > BodyLimit)
        end(QStringLiteral("the answer is too long"));
}

void ClientRequest::onFinished()
{
    if (!m_reply)
        return;
    m_body += m_reply->readAll();
    Reply reply;
    reply.status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // An HTTP error status still is an answer; a failure to get one, or to get all of it,
    // counts as an error (a refused connection, a name not found, a certificate not trusted,
    // a connection closed halfway through the body...).
    const QNetworkReply::NetworkError error = m_reply->error();
    if (reply.status == 0 ||
        (error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied)) {
        end(m_reply->errorString());
        return;
    }
    if (m_body.size() > BodyLimit) {
        end(QStringLiteral("the answer is too long"));
        return;
    }
    reply.body = m_body;
    reply.contentType = m_reply->rawHeader("Content-Type");
    reply.location = m_reply->rawHeader("Location");
    reply.sessionId = m_reply->rawHeader("X-Transmission-Session-Id");
    reply.cookies =
        m_reply->header(QNetworkRequest::SetCookieHeader).value<QList<QNetworkCookie>>();
    m_timer.stop();
    m_reply->disconnect(this);
    m_reply->deleteLater();
    m_reply = nullptr;
    if (Done done = std::exchange(m_done, nullptr))
        done(reply);
}

void ClientRequest::end(const QString &error)
{
    m_timer.stop();
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
    Reply reply;
    reply.error = error;
    if (Done done = std::exchange(m_done, nullptr))
        done(reply);
}

#include "SiteConnection.h"

#include "SiteHtml.h"

#include <QTcpSocket>

namespace {

// A request head larger than this is refused; no client of the site sends one.
constexpr qsizetype kMaxHeadBytes = 64 * 1024;
constexpr qint64 kMaxBodyBytes = 8 * 1024 * 1024;

} // namespace

SiteConnection::SiteConnection(QTcpSocket *socket, QObject *parent)
    : QObject(parent), m_socket(socket)
{
    m_socket->setParent(this);
    connect(m_socket, &QTcpSocket::readyRead, this, &SiteConnection::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    connect(&m_dripTimer, &QTimer::timeout, this, &SiteConnection::dripNext);
    // Data may already be waiting when the connection is taken over.
    QMetaObject::invokeMethod(this, &SiteConnection::onReadyRead, Qt::QueuedConnection);
}

void SiteConnection::onReadyRead()
{
    if (m_requestDone) {
        // One request per connection; anything after it is dropped.
        m_socket->readAll();
        return;
    }
    m_buffer += m_socket->readAll();
    if (!m_headDone) {
        qsizetype end = m_buffer.indexOf("\r\n\r\n");
        qsizetype separator = 4;
        if (end < 0) {
            end = m_buffer.indexOf("\n\n");
            separator = 2;
        }
        if (end < 0) {
            if (m_buffer.size() > kMaxHeadBytes) {
                m_requestDone = true;
                send(SiteResponse::html(400, SiteHtml::badRequestPage()), false);
            }
            return;
        }
        if (!parseHead(m_buffer.left(end), &m_request, &m_bodyLength) ||
            m_bodyLength > kMaxBodyBytes) {
            m_requestDone = true;
            send(SiteResponse::html(400, SiteHtml::badRequestPage()), false);
            return;
        }
        m_headDone = true;
        m_headLength = end + separator;
    }
    if (m_buffer.size() - m_headLength < m_bodyLength)
        return;
    m_request.body = m_buffer.mid(m_headLength, m_bodyLength);
    m_requestDone = true;
    m_buffer.clear();
    emit requestReady(this, m_request);
}

bool SiteConnection::parseHead(const QByteArray &head, SiteRequest *request,
                               qint64 *contentLength) const
{
    QList<QByteArray> lines = head.split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    // Blank lines before the request line are allowed.
    while (!lines.isEmpty() && lines.first().isEmpty())
        lines.removeFirst();
    if (lines.isEmpty())
        return false;
    const QList<QByteArray> parts = lines.takeFirst().simplified().split(' ');
    if (parts.size() < 2)
        return false;
    request->method = parts.at(0);
    QByteArray target = parts.at(1);
    // An absolute address (as proxies send) is reduced to its path and query.
    if (target.startsWith("http://")) {
        const qsizetype slash = target.indexOf('/', 7);
        target = slash < 0 ? QByteArray("/") : target.mid(slash);
    }
    request->target = target;

    *contentLength = 0;
    for (const QByteArray &line : lines) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed();
        const QByteArray value = line.mid(colon + 1).trimmed();
        request->headers.append({name, value});
        if (name.compare("Content-Length", Qt::CaseInsensitive) == 0) {
            bool ok = false;
            *contentLength = value.toLongLong(&ok);
            if (!ok || *contentLength < 0)
                return false;
        } else if (name.compare("Cookie", Qt::CaseInsensitive) == 0) {
            request->cookie = request->cookie.isEmpty() ? value : request->cookie + "; " + value;
        }
    }
    return true;
}

void SiteConnection::send(const SiteResponse &response, bool headOnly)
{
    m_socket->write(response.head(response.body.size()));
    if (!headOnly)
        m_socket->write(response.body);
    m_socket->disconnectFromHost();
}

void SiteConnection::sendWithoutLength(const SiteResponse &response)
{
    m_socket->write(response.head(std::nullopt));
    m_socket->write(response.body);
    m_socket->disconnectFromHost();
}

void SiteConnection::sendPart(const SiteResponse &response, qint64 announcedLength,
                              qint64 bodyBytes, bool closeAfter)
{
    SiteResponse announced = response;
    announced.headers.removeIf(
        [](const auto &h) { return h.first.compare("Content-Length", Qt::CaseInsensitive) == 0; });
    m_socket->write(announced.head(announcedLength));
    m_socket->write(response.body.left(bodyBytes));
    if (closeAfter)
        m_socket->disconnectFromHost();
    else
        m_socket->flush();
}

void SiteConnection::drip(const SiteResponse &response, int chunkBytes, int intervalMs)
{
    m_socket->write(response.head(response.body.size()));
    m_socket->flush();
    m_dripRest = response.body;
    m_dripChunk = std::max(1, chunkBytes);
    m_dripTimer.start(std::max(0, intervalMs));
}

void SiteConnection::dripNext()
{
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        m_dripTimer.stop();
        return;
    }
    m_socket->write(m_dripRest.left(m_dripChunk));
    m_socket->flush();
    m_dripRest.remove(0, m_dripChunk);
    if (m_dripRest.isEmpty()) {
        m_dripTimer.stop();
        m_socket->disconnectFromHost();
    }
}

void SiteConnection::flood(qint64 bytes)
{
    SiteResponse response;
    response.addHeader("Content-Type", "application/x-bittorrent");
    m_socket->write(response.head(std::nullopt));
    m_floodLeft = bytes;
    connect(m_socket, &QTcpSocket::bytesWritten, this, &SiteConnection::floodNext);
    floodNext();
}

void SiteConnection::floodNext()
{
    constexpr qint64 Piece = 64 * 1024;
    static const QByteArray piece(Piece, 'x');
    while (m_floodLeft > 0 && m_socket->bytesToWrite() < 4 * Piece) {
        const qint64 n = std::min(m_floodLeft, Piece);
        m_socket->write(piece.constData(), n);
        m_floodLeft -= n;
    }
    if (m_floodLeft == 0 && m_socket->state() == QAbstractSocket::ConnectedState) {
        disconnect(m_socket, &QTcpSocket::bytesWritten, this, &SiteConnection::floodNext);
        m_socket->disconnectFromHost();
    }
}

void SiteConnection::closeSilently()
{
    m_socket->disconnectFromHost();
}

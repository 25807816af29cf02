#include "core/InstanceChannel.h"

#include "platform/AppConfig.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

namespace {

const QByteArray ShowRequest = QByteArrayLiteral("show");
// A request is one short line; anything longer is not one of ours.
constexpr qint64 MaxRequest = 64;
constexpr int WaitMs = 2000;

} // namespace

QString InstanceChannel::socketPath(const AppConfig &config)
{
    return config.programFolder() + QStringLiteral("pollwick.socket");
}

InstanceChannel::InstanceChannel(QObject *parent) : QObject(parent) {}

InstanceChannel::~InstanceChannel()
{
    close();
}

bool InstanceChannel::listen(const QString &path, QString *error)
{
    close();
    QLocalServer::removeServer(path);
    m_server = new QLocalServer(this);
    // Only this user may ask.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceChannel::onNewConnection);
    if (m_server->listen(path))
        return true;
    if (error)
        *error = m_server->errorString();
    delete m_server;
    m_server = nullptr;
    return false;
}

bool InstanceChannel::isListening() const
{
    return m_server && m_server->isListening();
}

void InstanceChannel::close()
{
    if (!m_server)
        return;
    m_server->close();
    delete m_server;
    m_server = nullptr;
}

void InstanceChannel::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (m_connections >= MaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_connections;
        connect(socket, &QObject::destroyed, this, [this] { --m_connections; });
        auto *idle = new QTimer(socket);
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        idle->start(m_idleMs);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, idle] {
            idle->start(m_idleMs);
            readRequests(socket);
        });
        readRequests(socket);
    }
}

void InstanceChannel::readRequests(QLocalSocket *socket)
{
    while (socket->canReadLine()) {
        if (socket->readLine(MaxRequest).trimmed() == ShowRequest)
            emit showRequested();
    }
    if (socket->bytesAvailable() > MaxRequest)
        socket->abort();
}

bool InstanceChannel::askToShow(const QString &path, QString *error)
{
    QLocalSocket socket;
    socket.connectToServer(path, QIODevice::WriteOnly);
    bool sent = socket.waitForConnected(WaitMs);
    if (sent) {
        socket.write(ShowRequest + '\n');
        socket.flush();
        while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(WaitMs)) {
        }
        sent = socket.bytesToWrite() == 0;
    }
    if (!sent && error)
        *error = socket.errorString();
    socket.disconnectFromServer();
    return sent;
}

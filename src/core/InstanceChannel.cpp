#include "core/InstanceChannel.h"

#include "platform/AppConfig.h"

#include <QEventLoop>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

namespace {

const QByteArray ShowRequest = QByteArrayLiteral("show");
const QByteArray ShownReply = QByteArrayLiteral("shown");
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
        if (socket->readLine(MaxRequest).trimmed() != ShowRequest)
            continue;
        emit showRequested();
        socket->write(ShownReply + '\n');
    }
    if (socket->bytesAvailable() > MaxRequest)
        socket->abort();
}

bool InstanceChannel::askToShow(const QString &path, QString *error)
{
    // Waits in an event loop of its own, so that an instance in this same process (as in the
    // tests) can answer.
    QLocalSocket socket;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    bool shown = false;
    QObject::connect(&socket, &QLocalSocket::connected, &loop,
                     [&socket] { socket.write(ShowRequest + '\n'); });
    QObject::connect(&socket, &QLocalSocket::readyRead, &loop, [&] {
        while (socket.canReadLine() && !shown)
            shown = socket.readLine(MaxRequest).trimmed() == ShownReply;
        if (shown)
            loop.quit();
    });
    QObject::connect(&socket, &QLocalSocket::errorOccurred, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QLocalSocket::disconnected, &loop, &QEventLoop::quit);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    socket.connectToServer(path);
    if (socket.state() != QLocalSocket::UnconnectedState) {
        deadline.start(WaitMs);
        loop.exec();
    }
    if (!shown && error)
        *error = socket.error() != QLocalSocket::UnknownSocketError
                     ? socket.errorString()
                     : QStringLiteral("no answer within %1 seconds").arg(WaitMs / 1000);
    socket.abort();
    return shown;
}

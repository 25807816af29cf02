#pragma once

#include <QObject>
#include <QString>

class AppConfig;
class QLocalServer;
class QLocalSocket;

// The line from a second start of the program to the instance that runs: the instance holding
// the lock listens on a local socket in the program folder, beside the lock, and a second
// start asks it there to show its window before it ends: the line "show", answered with the
// line "shown" once the window is on its way. A connection that sends nothing for IdleMs is
// closed, and at most MaxConnections are served at once (one more is closed at once), so that
// idle connections cannot pile up.
class InstanceChannel : public QObject
{
    Q_OBJECT
public:
    static constexpr int IdleMs = 5000;
    static constexpr int MaxConnections = 8;

    static QString socketPath(const AppConfig &config);

    explicit InstanceChannel(QObject *parent = nullptr);
    ~InstanceChannel() override;

    // Listens at path. Only the holder of the lock calls this, so a socket found there is one
    // a crashed instance left behind and is removed first. False, with the reason, when the
    // socket cannot be made.
    bool listen(const QString &path, QString *error);
    bool isListening() const;
    // Connections being served.
    int connectionCount() const { return m_connections; }
    // The silence after which a connection is closed (IdleMs unless set).
    void setIdleMs(int ms) { m_idleMs = ms; }
    // Stops listening and removes the socket.
    void close();

    // A second start: asks the instance listening at path to show itself and waits up to 2
    // seconds for its answer. False, with the reason, when none answers "shown".
    static bool askToShow(const QString &path, QString *error);

signals:
    // A second start asked for the window.
    void showRequested();

private:
    void onNewConnection();
    void readRequests(QLocalSocket *socket);

    QLocalServer *m_server = nullptr;
    int m_connections = 0;
    int m_idleMs = IdleMs;
};

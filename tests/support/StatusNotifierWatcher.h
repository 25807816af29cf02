#pragma once

#include <QDBusConnection>
#include <QMutex>
#include <QObject>
#include <QStringList>

#include <memory>

class QThread;

// A StatusNotifier watcher with a registered host (as a panel's tray provides) on a test's
// private bus, a real D-Bus peer: it owns org.kde.StatusNotifierWatcher on a connection of its
// own and records the items that register. It answers from a thread of its own, since Qt's
// tray code calls it and waits for the answer on the test's thread.
class StatusNotifierWatcher : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
public:
    // Starts it and takes the name.
    explicit StatusNotifierWatcher(QDBusConnection connection);
    ~StatusNotifierWatcher() override;

    bool isRegistered() const { return m_registered; }
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const;

public slots:
    void RegisterStatusNotifierItem(const QString &service);

private:
    QDBusConnection m_connection;
    std::unique_ptr<QThread> m_thread;
    bool m_registered = false;
    mutable QMutex m_lock;
    QStringList m_items;
};

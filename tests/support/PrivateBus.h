#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A D-Bus session bus of the test's own: Debian's dbus-daemon started with a configuration that
// lists no service folders, so nothing installed is activated behind the test's back. It is
// stopped by its process id when the object goes.
//
//     PrivateBus bus;
//     QVERIFY2(bus.isRunning(), qPrintable(bus.error()));
//     QDBusConnection peer = bus.connect(QStringLiteral("server"));
//
// GIO (libsecret) and QtDBus keep their session bus per process: code that reaches the session
// bus through the environment needs exportAsSessionBus() before its first use, and one bus per
// test program.
class PrivateBus
{
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus &) = delete;
    PrivateBus &operator=(const PrivateBus &) = delete;

    bool isRunning() const { return !m_address.isEmpty(); }
    // Why the daemon did not start; empty when it runs.
    QString error() const { return m_error; }
    // The address clients connect to ("unix:path=...,guid=...").
    QString address() const { return m_address; }
    qint64 pid() const { return m_pid; }

    // A connection of its own (a unique name on the bus) under the given Qt connection name.
    QDBusConnection connect(const QString &name);
    // Sets DBUS_SESSION_BUS_ADDRESS to this bus for the rest of the process.
    void exportAsSessionBus() const;
    // Stops the daemon now (a test of a bus that goes away); the destructor does it otherwise.
    void stop();

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QString m_error;
    qint64 m_pid = 0;
    QStringList m_connectionNames;
};

#pragma once

#include "PrivateBus.h"

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// GNOME's keyring daemon serving the Secret Service on a PrivateBus (export it as the session
// bus first), with a temporary HOME, XDG_DATA_HOME and XDG_RUNTIME_DIR, so the user's own
// keyrings are never touched. Its login keyring is created and unlocked with password() on the
// daemon's standard input; stopped by its process id when the object goes.
class GnomeKeyring
{
public:
    // The login keyring's password.
    static QString password() { return QStringLiteral("pollwick-test-keyring"); }

    explicit GnomeKeyring(PrivateBus &bus);
    ~GnomeKeyring();
    GnomeKeyring(const GnomeKeyring &) = delete;
    GnomeKeyring &operator=(const GnomeKeyring &) = delete;

    bool isRunning() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

    // Locks the login keyring with secret-tool; true when it is locked afterwards.
    bool lock();
    // Unlocks it with password(), through the daemon's own interface for that (secret-tool has
    // no unlock); true when it is unlocked afterwards.
    bool unlock();
    bool isLocked();

    // What secret-tool finds for the attributes QtKeychain stores: server = service, user =
    // key. Empty when nothing is stored (or the keyring is locked).
    QString lookup(const QString &service, const QString &key);
    // Removes what is stored under them; true when secret-tool succeeded.
    bool clear(const QString &service, const QString &key);

    void stop();

private:
    // Runs secret-tool with these arguments in the daemon's environment; its standard output.
    QByteArray secretTool(const QStringList &arguments, int *exitCode = nullptr);
    QProcessEnvironment environment() const;

    PrivateBus &m_bus;
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_error;
    qint64 m_pid = 0;
    QString m_connectionName;
};

#include "GnomeKeyring.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <csignal>
#include <sys/types.h>

namespace {

const QString Secrets = QStringLiteral("org.freedesktop.secrets");
const QString ServicePath = QStringLiteral("/org/freedesktop/secrets");
const QString LoginPath = QStringLiteral("/org/freedesktop/secrets/collection/login");

} // namespace

GnomeKeyring::GnomeKeyring(PrivateBus &bus) : m_bus(bus)
{
    if (!m_dir.isValid() || !bus.isRunning()) {
        m_error = QStringLiteral("no temporary folder or no bus");
        return;
    }
    for (const char *folder : {"home", "data", "runtime", "control"}) {
        QDir(m_dir.path()).mkpath(QLatin1String(folder));
        QFile::setPermissions(m_dir.filePath(QLatin1String(folder)), QFileDevice::ReadOwner |
                                                                         QFileDevice::WriteOwner |
                                                                         QFileDevice::ExeOwner);
    }
    m_connectionName = QStringLiteral("gnome-keyring-watch-%1").arg(quintptr(this));
    QDBusConnection watch = bus.connect(m_connectionName);
    QDBusServiceWatcher watcher(Secrets, watch, QDBusServiceWatcher::WatchForRegistration);
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceRegistered, &loop, &QEventLoop::quit);

    m_daemon.setProcessEnvironment(environment());
    m_daemon.setStandardOutputFile(QProcess::nullDevice());
    m_daemon.setStandardErrorFile(QProcess::nullDevice());
    m_daemon.start(QStringLiteral("gnome-keyring-daemon"),
                   {QStringLiteral("--foreground"), QStringLiteral("--components=secrets"),
                    QStringLiteral("--unlock"),
                    QStringLiteral("--control-directory=") + m_dir.filePath("control")});
    if (!m_daemon.waitForStarted(5000)) {
        m_error = QStringLiteral("gnome-keyring-daemon did not start: ") + m_daemon.errorString();
        return;
    }
    m_pid = m_daemon.processId();
    // --unlock reads the password up to the end of its standard input.
    m_daemon.write(password().toUtf8());
    m_daemon.closeWriteChannel();
    if (!watch.interface()->isServiceRegistered(Secrets).value()) {
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!watch.interface()->isServiceRegistered(Secrets).value()) {
        m_error = QStringLiteral("gnome-keyring-daemon did not take org.freedesktop.secrets");
        stop();
    }
}

GnomeKeyring::~GnomeKeyring()
{
    stop();
}

QProcessEnvironment GnomeKeyring::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_dir.filePath("home"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath("data"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath("runtime"));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus.address());
    env.remove(QStringLiteral("GNOME_KEYRING_CONTROL"));
    return env;
}

QByteArray GnomeKeyring::secretTool(const QStringList &arguments, int *exitCode)
{
    QProcess tool;
    tool.setProcessEnvironment(environment());
    tool.setStandardErrorFile(QProcess::nullDevice());
    tool.start(QStringLiteral("secret-tool"), arguments);
    tool.closeWriteChannel();
    if (!tool.waitForFinished(10000)) {
        tool.kill();
        tool.waitForFinished(5000);
    }
    if (exitCode)
        *exitCode = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    return tool.readAllStandardOutput();
}

bool GnomeKeyring::isLocked()
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        Secrets, LoginPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << QStringLiteral("org.freedesktop.Secret.Collection") << QStringLiteral("Locked");
    const QDBusMessage reply = m_bus.connect(m_connectionName).call(get);
    return reply.type() == QDBusMessage::ReplyMessage &&
           reply.arguments().value(0).value<QDBusVariant>().variant().toBool();
}

bool GnomeKeyring::lock()
{
    // On Debian 12 secret-tool may end with a crash after locking: the collection says whether
    // it is locked.
    secretTool({QStringLiteral("lock"), QStringLiteral("--collection=login")});
    return isLocked();
}

bool GnomeKeyring::unlock()
{
    QDBusConnection bus = m_bus.connect(m_connectionName);
    QDBusMessage open = QDBusMessage::createMethodCall(
        Secrets, ServicePath, QStringLiteral("org.freedesktop.Secret.Service"),
        QStringLiteral("OpenSession"));
    open << QStringLiteral("plain") << QVariant::fromValue(QDBusVariant(QString()));
    const QDBusMessage session = bus.call(open);
    if (session.type() != QDBusMessage::ReplyMessage)
        return false;
    // The secret: (session, parameters, value, content type), in the clear for "plain".
    QDBusArgument secret;
    secret.beginStructure();
    secret << session.arguments().value(1).value<QDBusObjectPath>() << QByteArray()
           << password().toUtf8() << QStringLiteral("text/plain");
    secret.endStructure();
    QDBusMessage unlock = QDBusMessage::createMethodCall(
        Secrets, ServicePath,
        QStringLiteral("org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface"),
        QStringLiteral("UnlockWithMasterPassword"));
    unlock << QVariant::fromValue(QDBusObjectPath(LoginPath)) << QVariant::fromValue(secret);
    bus.call(unlock);
    return !isLocked();
}

QString GnomeKeyring::lookup(const QString &service, const QString &key)
{
    return QString::fromUtf8(secretTool({QStringLiteral("lookup"), QStringLiteral("server"),
                                         service, QStringLiteral("user"), key}));
}

bool GnomeKeyring::clear(const QString &service, const QString &key)
{
    int code = -1;
    secretTool(
        {QStringLiteral("clear"), QStringLiteral("server"), service, QStringLiteral("user"), key},
        &code);
    return code == 0;
}

void GnomeKeyring::stop()
{
    if (m_daemon.state() != QProcess::NotRunning) {
        ::kill(pid_t(m_pid), SIGTERM);
        if (!m_daemon.waitForFinished(5000)) {
            ::kill(pid_t(m_pid), SIGKILL);
            m_daemon.waitForFinished(5000);
        }
    }
}

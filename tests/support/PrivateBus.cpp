#include "PrivateBus.h"

#include <QDeadlineTimer>
#include <QFile>

#include <csignal>
#include <sys/types.h>

namespace {

// A session bus that anyone on it may own any name on and talk to anyone; no <servicedir> and
// no <standard_session_servicedirs/>, so ListActivatableNames holds only the bus itself.
QByteArray busConfiguration(const QString &socketFolder)
{
    return QByteArrayLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus "
                             "Configuration 1.0//EN\"\n"
                             " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                             "<busconfig>\n"
                             "  <type>session</type>\n"
                             "  <listen>unix:dir=") +
           socketFolder.toUtf8() +
           QByteArrayLiteral("</listen>\n"
                             "  <auth>EXTERNAL</auth>\n"
                             "  <policy context=\"default\">\n"
                             "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                             "    <allow eavesdrop=\"true\"/>\n"
                             "    <allow own=\"*\"/>\n"
                             "  </policy>\n"
                             "</busconfig>\n");
}

} // namespace

PrivateBus::PrivateBus()
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder: ") + m_dir.errorString();
        return;
    }
    const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) || file.write(busConfiguration(m_dir.path())) < 0) {
        m_error =
            QStringLiteral("cannot write ") + config + QStringLiteral(": ") + file.errorString();
        return;
    }
    file.close();
    // The daemon's complaint that it may not raise its descriptor limit is of no interest.
    m_daemon.setStandardErrorFile(QProcess::nullDevice());
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + config, QStringLiteral("--print-address=1"),
                    QStringLiteral("--nofork"), QStringLiteral("--nosyslog")});
    if (!m_daemon.waitForStarted(5000)) {
        m_error = QStringLiteral("dbus-daemon did not start: ") + m_daemon.errorString();
        return;
    }
    m_pid = m_daemon.processId();
    // The address is the first line the daemon prints once it listens.
    QByteArray out;
    QDeadlineTimer deadline(10000);
    while (!out.contains('\n') && !deadline.hasExpired() && m_daemon.state() == QProcess::Running) {
        m_daemon.waitForReadyRead(int(deadline.remainingTime()));
        out += m_daemon.readAllStandardOutput();
    }
    if (!out.contains('\n')) {
        m_error = QStringLiteral("dbus-daemon printed no address");
        stop();
        return;
    }
    m_address = QString::fromUtf8(out.left(out.indexOf('\n')).trimmed());
}

PrivateBus::~PrivateBus()
{
    stop();
}

QDBusConnection PrivateBus::connect(const QString &name)
{
    m_connectionNames.append(name);
    return QDBusConnection::connectToBus(m_address, name);
}

void PrivateBus::exportAsSessionBus() const
{
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
}

void PrivateBus::stop()
{
    for (const QString &name : std::as_const(m_connectionNames))
        QDBusConnection::disconnectFromBus(name);
    m_connectionNames.clear();
    if (m_daemon.state() != QProcess::NotRunning) {
        ::kill(pid_t(m_pid), SIGTERM);
        if (!m_daemon.waitForFinished(5000)) {
            ::kill(pid_t(m_pid), SIGKILL);
            m_daemon.waitForFinished(5000);
        }
    }
    m_address.clear();
}

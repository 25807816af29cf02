#include "TestDisplay.h"

#include <QDeadlineTimer>

#include <csignal>
#include <sys/types.h>

TestDisplay::TestDisplay()
{
    m_server.setStandardErrorFile(QProcess::nullDevice());
    // -displayfd 1: the server picks a free display and prints its number once it listens.
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp")});
    if (!m_server.waitForStarted(5000)) {
        m_error = QStringLiteral("Xvfb did not start: ") + m_server.errorString();
        return;
    }
    QByteArray out;
    QDeadlineTimer deadline(10000);
    while (!out.contains('\n') && !deadline.hasExpired() && m_server.state() == QProcess::Running) {
        m_server.waitForReadyRead(int(deadline.remainingTime()));
        out += m_server.readAllStandardOutput();
    }
    if (!out.contains('\n')) {
        m_error = QStringLiteral("Xvfb printed no display");
        return;
    }
    m_name = QLatin1Char(':') + QString::fromLatin1(out.trimmed());
}

TestDisplay::~TestDisplay()
{
    if (m_server.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(m_server.processId()), SIGTERM);
    if (!m_server.waitForFinished(5000)) {
        ::kill(pid_t(m_server.processId()), SIGKILL);
        m_server.waitForFinished(5000);
    }
}

void TestDisplay::use() const
{
    qputenv("DISPLAY", m_name.toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    qunsetenv("WAYLAND_DISPLAY");
}

#include "TestDisplay.h"

#include <QDeadlineTimer>

#include <csignal>
#include <sys/types.h>

TestDisplay::TestDisplay()
{
    m_server.setStandardErrorFile(QProcess::nullDevice());
    // -displayfd 1: the server picks a free display and prints its number once it listens.
    m_server.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
    QByteArray out;
    const QDeadlineTimer deadline(10000);
    while (!out.contains('\n') && m_server.waitForReadyRead(int(deadline.remainingTime())))
        out += m_server.readAllStandardOutput();
    if (out.contains('\n'))
        m_name = ':' + QString::fromLatin1(out.trimmed());
    else
        m_error = "Xvfb gave no display: " + m_server.errorString();
}

TestDisplay::~TestDisplay()
{
    // Stopped by its id; one that ignores the request is killed with its QProcess.
    if (m_server.state() != QProcess::NotRunning) {
        ::kill(pid_t(m_server.processId()), SIGTERM);
        m_server.waitForFinished(5000);
    }
}

void TestDisplay::use() const
{
    qputenv("DISPLAY", m_name.toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    qunsetenv("WAYLAND_DISPLAY");
}

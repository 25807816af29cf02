#include "platform/DesktopShell.h"

#include "platform/AppInfo.h"
#include "platform/DebugConsole.h"
#include "platform/Dialogs.h"

#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <QUrl>

DesktopShell::DesktopShell(Dialogs &dialogs, DebugConsole &log, QObject *parent)
    : QObject(parent), m_dialogs(dialogs), m_log(log)
{
}

void DesktopShell::openUrl(const QString &url)
{
    launch(url, url, QString(), Asked::ByUser);
}

void DesktopShell::openFile(const QString &path, Asked asked)
{
    // Nothing but a .torrent file is ever handed to another program.
    if (!path.endsWith(QStringLiteral(".torrent"), Qt::CaseInsensitive))
        return;
    launch(QUrl::fromLocalFile(path).toString(), QFileInfo(path).fileName(), path, asked);
}

void DesktopShell::launch(const QString &target, const QString &address, const QString &savedPath,
                          Asked asked)
{
    auto *process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    m_watched.append(process);
    auto *window = new QTimer(process);
    window->setSingleShot(true);
    connect(window, &QTimer::timeout, this, [this, process] { stopWatching(process); });
    connect(process, &QProcess::errorOccurred, this,
            [this, process, address, savedPath, asked](QProcess::ProcessError error) {
                if (error != QProcess::FailedToStart || !m_watched.removeOne(process))
                    return;
                const QString reason = process->errorString();
                process->deleteLater();
                refused(address, savedPath, asked, reason);
            });
    connect(process, &QProcess::finished, this,
            [this, process, address, savedPath, asked](int code, QProcess::ExitStatus status) {
                process->deleteLater();
                if (!m_watched.removeOne(process) || (status == QProcess::NormalExit && code == 0))
                    return;
                refused(address, savedPath, asked,
                        status == QProcess::NormalExit
                            ? QStringLiteral("xdg-open ended with status %1").arg(code)
                            : QStringLiteral("xdg-open crashed"));
            });
    window->start(RefusalWindowMs);
    process->start(QStringLiteral("xdg-open"), {target});
}

void DesktopShell::stopWatching(QProcess *process)
{
    // How it ends is no refusal now. It is deleted once it ends by itself, never killed (as
    // deleting a running QProcess would), not even when this shell goes before it.
    m_watched.removeOne(process);
}

void DesktopShell::refused(const QString &address, const QString &savedPath, Asked asked,
                           const QString &reason)
{
    m_log.debug_console(QStringLiteral("No program opened ") + address + QStringLiteral(": ") +
                        reason + QLatin1Char('.'));
    if (asked != Asked::ByUser)
        return;
    QString text =
        QStringLiteral("No program on this computer opens ") + address + QLatin1Char('.');
    if (!savedPath.isEmpty())
        text += QStringLiteral("\nThe torrent was saved to ") + savedPath + QLatin1Char('.');
    m_dialogs.message(nullptr, AppInfo::Title, text, Dialogs::Information);
}

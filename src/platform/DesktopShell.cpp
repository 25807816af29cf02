#include "platform/DesktopShell.h"

#include <QDesktopServices>
#include <QUrl>

void DesktopShell::openUrl(const QString &url)
{
    QDesktopServices::openUrl(QUrl(url));
}

void DesktopShell::openFile(const QString &path)
{
    // Nothing but a .torrent file is ever handed to another program.
    if (!path.endsWith(QStringLiteral(".torrent"), Qt::CaseInsensitive))
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

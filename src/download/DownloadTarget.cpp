#include "download/DownloadTarget.h"

#include <QStringList>

QString DownloadTarget::plainFileName(const QString &siteName)
{
    const qsizetype cut =
        std::max(siteName.lastIndexOf(QLatin1Char('/')), siteName.lastIndexOf(QLatin1Char('\\')));
    QString name;
    for (const QChar c : siteName.mid(cut + 1)) {
        // NUL and the other control characters have no place in a file name.
        if (c.unicode() >= 0x20 && c.unicode() != 0x7f)
            name += c;
    }
    qsizetype dots = 0;
    while (dots < name.size() && name.at(dots) == QLatin1Char('.'))
        ++dots;
    name.remove(0, dots);
    if (name.trimmed().isEmpty())
        return fallbackName();
    return name;
}

QString DownloadTarget::path(const QString &torrentFolder, const QString &siteName)
{
    return torrentFolder + plainFileName(siteName);
}

QString DownloadTarget::confine(const QString &target)
{
    const QString folder = folderOf(target);
    const QStringList parts = folder.split(QLatin1Char('/'));
    qsizetype kept = 0; // characters of the folder before the first "." or ".." component
    for (const QString &part : parts) {
        if (part == QLatin1String(".") || part == QLatin1String(".."))
            break;
        kept += part.size() + 1;
    }
    if (kept >= folder.size())
        return folder + plainFileName(fileNameOf(target));
    return folder.left(kept) + plainFileName(target.mid(kept));
}

QString DownloadTarget::folderOf(const QString &target)
{
    return target.left(target.lastIndexOf(QLatin1Char('/')) + 1);
}

QString DownloadTarget::fileNameOf(const QString &target)
{
    return target.mid(target.lastIndexOf(QLatin1Char('/')) + 1);
}

bool DownloadTarget::isTorrentFile(const QString &path)
{
    return fileNameOf(path).endsWith(QStringLiteral(".torrent"), Qt::CaseInsensitive);
}

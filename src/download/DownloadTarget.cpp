#include "download/DownloadTarget.h"

#include <QStringList>

namespace {

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7f;
}

// A name that plainFileName leaves as it is. Checked first so that a name, however long, is
// copied only when something has to go.
bool isPlain(QStringView name)
{
    if (name.isEmpty() || name.front() == QLatin1Char('.'))
        return false;
    bool blank = true;
    for (const QChar c : name) {
        if (isControl(c) || c == QLatin1Char('/') || c == QLatin1Char('\\'))
            return false;
        blank = blank && c.isSpace();
    }
    return !blank;
}

} // namespace

QString DownloadTarget::plainFileName(const QString &siteName)
{
    if (isPlain(siteName))
        return siteName;
    const qsizetype cut =
        std::max(siteName.lastIndexOf(QLatin1Char('/')), siteName.lastIndexOf(QLatin1Char('\\')));
    QString name;
    bool blank = true;
    for (const QChar c : QStringView(siteName).mid(cut + 1)) {
        // NUL and the other control characters have no place in a file name, nor leading dots.
        if (isControl(c) || (name.isEmpty() && c == QLatin1Char('.')))
            continue;
        name += c;
        blank = blank && c.isSpace();
    }
    if (blank)
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
    if (kept >= folder.size()) {
        if (isPlain(QStringView(target).mid(folder.size())))
            return target;
        return folder + plainFileName(fileNameOf(target));
    }
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

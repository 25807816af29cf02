#pragma once

#include <QString>

// Where a downloaded .torrent file goes. The site names the file; that name must never lead
// out of the torrent folder, so it is reduced to a plain file name first, and only files whose
// name ends in ".torrent" are ever handed to another program.
class DownloadTarget
{
public:
    // The name used when nothing usable is left of the site's name.
    static QString fallbackName() { return QStringLiteral("download.torrent"); }

    // The site's file name reduced to a plain name: the part after the last "/" or "\",
    // without control characters and without leading dots (so neither "." nor ".." nor a
    // hidden file); never empty.
    static QString plainFileName(const QString &siteName);

    // The target path of a download: the torrent folder (ending in "/") followed by the plain
    // form of the site's file name. Callers build the target with this.
    static QString path(const QString &torrentFolder, const QString &siteName);

    // A target as a caller passed it, kept inside its folder: the folder part is cut before the
    // first "." or ".." component (a name that climbs out), and what follows the folder is
    // reduced to a plain file name. A target built with path() comes back unchanged.
    static QString confine(const QString &target);

    // The folder part of a target, up to and including its last "/"; empty when it has none.
    static QString folderOf(const QString &target);
    // The part after the last "/".
    static QString fileNameOf(const QString &target);

    // True when the name ends in ".torrent" (any letter case): the only files opened.
    static bool isTorrentFile(const QString &path);
};

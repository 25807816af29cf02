#pragma once

#include <QString>

struct ProgramState;

// The five texts a download starts from: the site path of the .torrent file, the target file
// (torrent folder followed by the feed's file name), the site credentials and the torrent's
// name for the window; and the torrent's id, by which the result it was started for is found
// again (0 when it was started for no result).
struct DownloadRequest
{
    QString path;   // "/download.php?id=" + id
    QString target; // DownloadTarget::path(torrent folder, file name)
    QString userName;
    QString password;
    QString name;
    qint32 id = 0;

    // The download of a torrent from the feed or the local database: the site path of its
    // .torrent file, the target in the torrent folder (the part of the site's file name after
    // its last "/" or "\", "<id>.torrent" when nothing usable is left), the site credentials
    // and its name.
    static DownloadRequest forTorrent(const ProgramState &state, qint32 id, const QString &fileName,
                                      const QString &name);

    friend bool operator==(const DownloadRequest &, const DownloadRequest &) = default;
};

#pragma once

#include <QString>

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

    friend bool operator==(const DownloadRequest &, const DownloadRequest &) = default;
};

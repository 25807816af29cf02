#pragma once

#include <QString>

// The five texts a download starts from: the site path of the .torrent file, the target file
// (torrent folder followed by the feed's file name), the site credentials and the torrent's
// name for the window.
struct DownloadRequest
{
    QString path;   // "/download.php?id=" + id
    QString target; // DownloadTarget::path(torrent folder, file name)
    QString userName;
    QString password;
    QString name;

    friend bool operator==(const DownloadRequest &, const DownloadRequest &) = default;
};

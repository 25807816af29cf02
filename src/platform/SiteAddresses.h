#pragma once

#include <QString>

// Addresses of a torrent's pages and file on the site.

// Site path of a torrent's .torrent file: "/download.php?id=" + id.
QString DownloadUrlPath(qint32 id);

// Address of a torrent's details page on the site, as the summary, search and wizard windows
// open it: SiteBaseUrl + "/details.php?id=" + id + "&hit=1".
QString DetailsUrl(qint32 id);

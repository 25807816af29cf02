#pragma once

#include <QString>

// One torrent of the site's catalogue, with the six columns of a bot-feed row.
struct SiteTorrent
{
    int id = 0;
    qint64 size = 0;
    QString category;
    // Third feed column. The site puts the seeder count there; clients never read it.
    QString field3;
    // Scene-style release name with dots between the words.
    QString name;
    QString fileName;
};

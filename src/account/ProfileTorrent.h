#pragma once

#include <QString>
#include <QStringList>

// One row of the profile's list of torrents being seeded or leeched: the name, the site's id
// of the torrent (text as found on the page) and the seven cells "Conn." to "Ratio".
struct ProfileTorrent
{
    QString name;
    QString id;
    QString connectable;
    QString size;
    QString seeders;
    QString leechers;
    QString uploaded;
    QString downloaded;
    QString ratio;

    // The list's eight columns, "Name" to "Ratio".
    QStringList columns() const
    {
        return {name, connectable, size, seeders, leechers, uploaded, downloaded, ratio};
    }
    bool operator==(const ProfileTorrent &) const = default;
};

#pragma once

#include <QList>
#include <QString>

// A member account of the site: credentials, the state the bot feed checks, and the
// values its profile pages show.
struct SiteUser
{
    enum class Status
    {
        Ok,
        Disabled,
        NotPowerUser
    };

    int id = 0;
    QString name;
    QString password;
    Status status = Status::Ok;

    QString joinDate = QStringLiteral("2007-03-14 18:22:10 (1 year, 2 months ago)");
    QString lastSeen = QStringLiteral("2008-05-30 21:03:44 (2 mins ago)");
    qint64 uploaded = 184'536'482'611;
    qint64 downloaded = 97'311'224'832;
    QString userClass = QStringLiteral("Power User");
    int comments = 12;
    int posts = 34;
    int newMessages = 1;
    // Share-ratio font colour; empty picks the site's colour for the ratio.
    QString ratioColour;

    // Torrent ids listed as currently seeding and leeching. Unless customTransfers is set the
    // site picks a few torrents of its catalogue instead.
    bool customTransfers = false;
    QList<int> seeding;
    QList<int> leeching;
};

#pragma once

#include "SiteTorrent.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// The bytes of the site's bot feed: the magic line, the category line, then one TAB-separated
// row per torrent, every line ended by CR LF, all text Latin-1.
class FeedWriter
{
public:
    static QByteArray magic() { return QByteArrayLiteral("#PWKF12#"); }

    // Line 1 and line 2 with their CR LF; line 2 holds the categories joined by TAB, or
    // nothing when the list is empty.
    static QByteArray header(const QStringList &categories);
    // id, size, category, field3, name, fileName joined by TAB, then CR LF.
    static QByteArray row(const SiteTorrent &torrent);
    static QByteArray feed(const QList<SiteTorrent> &rows, const QStringList &categories);
    // "Unauthorised:" followed by the reason digit, which clients read as the 14th character.
    static QByteArray unauthorised(int reason);
};

#pragma once

#include "SiteCatalogue.h"

#include <QByteArray>

// Pages meant for a person's browser: the home page, the torrent list, one torrent's details
// and the inbox.
class BrowsePages
{
public:
    static constexpr int RowsPerPage = 50;

    static QByteArray home(const SiteCatalogue &catalogue);
    // The newest torrents first, RowsPerPage a page; page counts from 0.
    static QByteArray browse(const SiteCatalogue &catalogue, int page);
    static QByteArray details(const SiteTorrent &torrent);
    static QByteArray inbox(const SiteUser &user);
};

#pragma once

#include "SiteCatalogue.h"
#include "SiteRequest.h"
#include "SiteResponse.h"

#include <QString>

// Turns one request into the site's answer, without any socket: the bot feed, the login
// exchange, .torrent downloads, profile pages, the avatar and the browsing pages. The test
// site and the standalone simulator both answer through it.
class SitePages
{
public:
    static constexpr int DefaultFeedLimit = 150;
    static constexpr int MaxFeedLimit = 30000;

    // The catalogue is not owned and must outlive the pages.
    explicit SitePages(SiteCatalogue *catalogue);

    // "http://127.0.0.1:PORT", used in redirects, announce addresses and the avatar address.
    void setBaseUrl(const QString &baseUrl) { m_baseUrl = baseUrl; }
    QString baseUrl() const { return m_baseUrl; }

    SiteResponse respond(const SiteRequest &request) const;

    SiteResponse feed(const SiteRequest &request) const;
    SiteResponse login(const SiteRequest &request) const;
    SiteResponse download(const SiteRequest &request) const;
    SiteResponse myPage(const SiteRequest &request) const;
    SiteResponse userDetails(const SiteRequest &request) const;

    // The member whose uid/pass cookies the request carries, or nullptr.
    const SiteUser *loggedInUser(const SiteRequest &request) const;
    // Value of the "pass" cookie for that member.
    static QByteArray sessionToken(const SiteUser &user);
    // The member's personal key in announce addresses.
    static QByteArray passkey(const SiteUser &user);
    // The .torrent file the site serves that member for that torrent.
    QByteArray torrentFile(const SiteTorrent &torrent, const SiteUser &user) const;

private:
    SiteResponse loginRequired(const SiteRequest &request) const;

    SiteCatalogue *m_catalogue;
    QString m_baseUrl;
};

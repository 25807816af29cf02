#pragma once

#include <QString>

// Which avatar addresses the profile window requests. The address comes from a page, so only
// a picture on the site itself is fetched: an http or https address on the site's host and
// port, or a relative address, resolved against the site's address.
class AvatarAddress
{
public:
    // The address to request, or empty text when the address is not to be requested (another
    // host or port, a scheme other than http and https, no address at all).
    static QString resolve(const QString &address, const QString &siteBaseUrl);
};

#include "account/AvatarAddress.h"

#include <QUrl>

namespace {

int defaultPort(const QString &scheme)
{
    return scheme == QLatin1String("https") ? 443 : 80;
}

bool isWebScheme(const QString &scheme)
{
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

} // namespace

QString AvatarAddress::resolve(const QString &address, const QString &siteBaseUrl)
{
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty())
        return QString();
    const QUrl site(siteBaseUrl + QLatin1Char('/'));
    const QUrl given(trimmed, QUrl::StrictMode);
    if (!site.isValid() || !given.isValid())
        return QString();
    // A relative address (also "//host/..."), resolved against the site, is checked as well.
    const QUrl url = site.resolved(given);
    if (!isWebScheme(url.scheme()) || url.host().isEmpty())
        return QString();
    if (url.host().compare(site.host(), Qt::CaseInsensitive) != 0)
        return QString();
    // The same server: the site's port, or the standard ports of a site that names none (the
    // picture may come over https from a site reached over http).
    const bool samePort =
        url.port(defaultPort(url.scheme())) == site.port(defaultPort(site.scheme())) ||
        (url.port() == -1 && site.port() == -1);
    if (!samePort)
        return QString();
    return url.toString(QUrl::FullyEncoded);
}

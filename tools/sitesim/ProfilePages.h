#pragma once

#include "SiteCatalogue.h"

#include <QByteArray>
#include <QString>

// The member pages that clients read by cutting text out between fixed markers: the private
// page /my.php and the details page /userdetails.php?id=N.
class ProfilePages
{
public:
    // The logged-in member's own page: title "Vellumstacks :: NAME's private page" and the
    // "Welcome, <a href=userdetails.php?id=ID>NAME</a>" line.
    static QByteArray myPage(const SiteUser &user);
    // The details of member shown, as seen by viewer (whose new messages the page header
    // announces); the avatar address starts with baseUrl.
    static QByteArray userDetails(const SiteUser &shown, const SiteUser &viewer,
                                  const SiteCatalogue &catalogue, const QString &baseUrl);

    // Share ratio with three decimals, "Inf." when nothing was downloaded.
    static QString ratioText(qint64 uploaded, qint64 downloaded);
    // Font colour for a ratio, always "#" and six hex digits.
    static QString ratioColour(qint64 uploaded, qint64 downloaded);
    static QString avatarPath(int userId);

private:
    static QByteArray messageNotice(const SiteUser &viewer);
    static QByteArray transferTable(const QList<SiteTorrent> &torrents, bool seeding);
};

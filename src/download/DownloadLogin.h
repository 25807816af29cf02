#pragma once

#include <QString>

// The single exchange that logs in and fetches a .torrent file: a form POST to the site's
// login page naming the file's path as the page to return to. The site answers with its login
// cookie and a redirect to that path, which the transfer follows with the cookie. The profile
// window logs in the same way, naming the page it wants to read.
class DownloadLogin
{
public:
    // The client names in the User-Agent line.
    static const QString Autodownloader; // "Autodownloader"
    static const QString ProfileClient;  // "Profile Client"

    // SiteBaseUrl + "/takelogin.php".
    static QString url(const QString &siteBaseUrl);

    // "username=" + encoded user + "&password=" + encoded password + "&login=Log+in" +
    // "&returnto=" + path (as it is) + CR LF.
    static QString body(const QString &user, const QString &password, const QString &path);

    // Referer, Content-Type and User-Agent lines, each ended by CR LF.
    static QString headers(const QString &siteBaseUrl, const QString &path);
    static QString headers(const QString &siteBaseUrl, const QString &path, const QString &client);

    // "Pollwick Autodownloader - 1.3.512", or with another client name.
    static QString userAgent();
    static QString userAgent(const QString &client);
};

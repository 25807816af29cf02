#include "download/DownloadLogin.h"

#include "platform/AppInfo.h"
#include "platform/TextUtils.h"

namespace {

const QString CrLf = QStringLiteral("\r\n");

} // namespace

const QString DownloadLogin::Autodownloader = QStringLiteral("Autodownloader");
const QString DownloadLogin::ProfileClient = QStringLiteral("Profile Client");

QString DownloadLogin::url(const QString &siteBaseUrl)
{
    return siteBaseUrl + QStringLiteral("/takelogin.php");
}

QString DownloadLogin::body(const QString &user, const QString &password, const QString &path)
{
    return QStringLiteral("username=") + UrlEncode(user) + QStringLiteral("&password=") +
           UrlEncode(password) + QStringLiteral("&login=Log+in") + QStringLiteral("&returnto=") +
           path + CrLf;
}

QString DownloadLogin::headers(const QString &siteBaseUrl, const QString &path)
{
    return headers(siteBaseUrl, path, Autodownloader);
}

QString DownloadLogin::headers(const QString &siteBaseUrl, const QString &path,
                               const QString &client)
{
    return QStringLiteral("Referer: ") + siteBaseUrl + path + CrLf +
           QStringLiteral("Content-Type: application/x-www-form-urlencoded") + CrLf +
           QStringLiteral("User-Agent: ") + userAgent(client) + CrLf;
}

QString DownloadLogin::userAgent()
{
    return userAgent(Autodownloader);
}

QString DownloadLogin::userAgent(const QString &client)
{
    return AppInfo::Title + QLatin1Char(' ') + client + QStringLiteral(" - ") +
           AppInfo::VersionText();
}

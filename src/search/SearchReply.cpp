#include "search/SearchReply.h"

#include "platform/TextUtils.h"

namespace {

const QString CrLf = QStringLiteral("\r\n");

} // namespace

SearchReply::Failure SearchReply::classify(const QString &reply, const QString &header,
                                           bool tooLarge)
{
    if (tooLarge)
        return Failure::TooLarge;
    if (reply.isEmpty())
        return Failure::Empty;
    if (header.mid(9, 3) == QLatin1String("404"))
        return Failure::NotFound;
    if (reply.left(6).toLower() == QLatin1String("<html>"))
        return Failure::Html;
    if (reply.startsWith(QLatin1String("MySQL Error")))
        return Failure::ServerError;
    if (reply.startsWith(QLatin1String("Unauthorised")))
        return Failure::Unauthorised;
    if (!reply.startsWith(QLatin1String("#PWKF12#")))
        return Failure::Unspecified;
    return Failure::None;
}

QString SearchReply::title(Kind kind)
{
    return kind == Kind::Create ? QStringLiteral("Download Failed")
                                : QStringLiteral("Update Failed");
}

QString SearchReply::message(Kind kind, Failure failure)
{
    QString reason;
    switch (failure) {
    case Failure::NotFound:
        reason = QStringLiteral(" (File not found)");
        break;
    case Failure::ServerError:
        reason = QStringLiteral(" (Server-side error)");
        break;
    case Failure::Unauthorised:
        reason = QStringLiteral(" (Unauthorised)");
        break;
    case Failure::TooLarge:
        reason = QStringLiteral(" (Reply too large)");
        break;
    case Failure::Unspecified:
        reason = QStringLiteral(" (unspecified)");
        break;
    case Failure::None:
    case Failure::Empty:
    case Failure::Html:
        break;
    }
    if (kind == Kind::Create)
        return QStringLiteral("Download failed") + reason +
               QStringLiteral(". Your torrent database could not be created.  ");
    return QStringLiteral("Update failed") + reason +
           QStringLiteral(". Your torrent database might not be up-to-date.  ");
}

bool SearchReply::silentRetryOnFirstAttempt(Kind kind, Failure failure)
{
    if (failure == Failure::None || failure == Failure::TooLarge)
        return false;
    if (kind == Kind::Create)
        return failure != Failure::NotFound;
    return failure == Failure::Unspecified;
}

QString SearchReply::rowsOf(const QString &reply)
{
    // The CR LF that ends line 1 sits at characters 9 and 10; the search starts at character
    // 10, so the first CR LF it finds ends line 2.
    const qsizetype end = reply.indexOf(CrLf, 9);
    return end < 0 ? QString() : reply.mid(end + 2);
}

QString SearchReply::wholeRowsOf(const QString &reply)
{
    const QString rows = rowsOf(reply);
    const qsizetype last = rows.lastIndexOf(CrLf);
    return last < 0 ? QString() : rows.left(last + 2);
}

QString SearchReply::createAddress(const QString &baseUrl, const QString &user,
                                   const QString &password)
{
    return baseUrl + QStringLiteral("/bots.php?limit=30000&u=") + UrlEncode(user) +
           QStringLiteral("&p=") + UrlEncode(password) + QStringLiteral("&v=11&c=0");
}

QString SearchReply::updateAddress(const QString &baseUrl, const QString &user,
                                   const QString &password, const QString &startId)
{
    return baseUrl + QStringLiteral("/bots.php?limit=30000&u=") + UrlEncode(user) +
           QStringLiteral("&p=") + UrlEncode(password) + QStringLiteral("&v=11&startid=") +
           startId + QStringLiteral("&c=0");
}

#include "feed/FeedRequest.h"

#include "platform/TextUtils.h"

namespace FeedRequest {

QString address(const QString &baseUrl, qint32 lastparsed, const QString &user,
                const QString &password, bool withCategories)
{
    const QString credentials = QStringLiteral("&u=") + UrlEncode(user) + QStringLiteral("&p=") +
                                UrlEncode(password) + QStringLiteral("&v=11") +
                                (withCategories ? QStringLiteral("&c=1") : QStringLiteral("&c=0"));
    if (lastparsed != 0)
        return baseUrl + QStringLiteral("/bots.php?startid=") + QString::number(lastparsed) +
               QStringLiteral("&limit=150") + credentials;
    return baseUrl + QStringLiteral("/bots.php?limit=20") + credentials;
}

bool takeCategoryFlag(qint16 &counter)
{
    if (counter == 0 || counter == 20) {
        counter = 1;
        return true;
    }
    ++counter;
    return false;
}

} // namespace FeedRequest

#include "platform/SiteAddresses.h"

#include "platform/AppConfig.h"

QString DownloadUrlPath(qint32 id)
{
    return QStringLiteral("/download.php?id=") + QString::number(id);
}

QString DetailsUrl(qint32 id)
{
    return SiteBaseUrl() + QStringLiteral("/details.php?id=") + QString::number(id) +
           QStringLiteral("&hit=1");
}

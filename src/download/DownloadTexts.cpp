#include "download/DownloadTexts.h"

#include "platform/AppInfo.h"

#include <QLocale>

#include <cmath>

QString DownloadTexts::kilobytes(qint64 bytes)
{
    return QLocale().toString(std::llround(bytes / 1024.0));
}

QString DownloadTexts::progress(qint64 received, qint64 expected)
{
    const QString done = received < 1024 ? QString::number(received) + QStringLiteral(" Bytes of ")
                                         : kilobytes(received) + QStringLiteral(" KB of ");
    return QStringLiteral("(") + done + kilobytes(expected) + QStringLiteral(" KB downloaded)");
}

QString DownloadTexts::finished(qint64 received, qint64 elapsedTenths)
{
    QString duration;
    if (elapsedTenths < 10)
        duration = QStringLiteral("<1 Second");
    else if (elapsedTenths <= 15)
        duration = QStringLiteral("1 Second");
    else
        duration = QString::number(std::llround(elapsedTenths / 10.0)) + QStringLiteral(" Seconds");
    return QStringLiteral("Status: Finished (") + kilobytes(received) +
           QStringLiteral(" KB Downloaded in ") + duration + QStringLiteral(")");
}

QString DownloadTexts::alreadyDownloading()
{
    return QStringLiteral("Unable to download file. File is already being downloaded.");
}

QString DownloadTexts::alreadyDownloadingLog(const QString &target)
{
    return alreadyDownloading() + QStringLiteral(" (") + target + QStringLiteral(")");
}

QString DownloadTexts::folderMissing()
{
    return AppInfo::Title +
           QStringLiteral(" was unable to save the .torrent file to the path you have "
                          "specified.\r\nPlease check to see if the path is correct, and the "
                          "appropriate permissions exist. ");
}

QString DownloadTexts::saveFailed(const QString &error)
{
    return QStringLiteral("Status: Failed. Unable to save the file. (") + error +
           QStringLiteral(")");
}

QString DownloadTexts::saveFailedLog(const QString &target, const QString &error)
{
    constexpr qsizetype MaxName = 100;
    QString name = target.mid(target.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.size() > MaxName)
        name = name.left(MaxName) + QStringLiteral("... (") + QString::number(name.size()) +
               QStringLiteral(" characters)");
    return QStringLiteral("Download failed: unable to save ") + name + QStringLiteral(": ") + error;
}

QString DownloadTexts::folderMissingLog()
{
    return QStringLiteral("Critical Error: ") +
           folderMissing().replace(QStringLiteral("\r\n"), QStringLiteral(" "));
}

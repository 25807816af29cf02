#include "download/DownloadTexts.h"

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

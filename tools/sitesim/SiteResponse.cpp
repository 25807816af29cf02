#include "SiteResponse.h"

#include <QDateTime>
#include <QLocale>

SiteResponse SiteResponse::html(int status, const QByteArray &body)
{
    SiteResponse response;
    response.status = status;
    response.addHeader("Content-Type", "text/html; charset=ISO-8859-1");
    response.body = body;
    return response;
}

SiteResponse SiteResponse::plainText(const QByteArray &body)
{
    SiteResponse response;
    response.addHeader("Content-Type", "text/plain; charset=ISO-8859-1");
    response.body = body;
    return response;
}

QByteArray SiteResponse::header(const QByteArray &name) const
{
    for (const auto &h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    }
    return {};
}

bool SiteResponse::hasHeader(const QByteArray &name) const
{
    for (const auto &h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QByteArray SiteResponse::reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 304:
        return "Not Modified";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 429:
        return "Too Many Requests";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

QByteArray SiteResponse::head(std::optional<qint64> contentLength) const
{
    QByteArray out = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n";
    // RFC 1123 date in English whatever the locale.
    const QString date = QLocale::c().toString(QDateTime::currentDateTimeUtc(),
                                               QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'"));
    out += "Date: " + date.toLatin1() + "\r\n";
    out += "Server: Vellumstacks-sim\r\n";
    for (const auto &h : headers)
        out += h.first + ": " + h.second + "\r\n";
    if (contentLength && !hasHeader("Content-Length"))
        out += "Content-Length: " + QByteArray::number(*contentLength) + "\r\n";
    out += "Connection: close\r\n\r\n";
    return out;
}

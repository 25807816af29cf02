#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

#include <optional>

using SiteHeaderList = QList<QPair<QByteArray, QByteArray>>;

// An HTTP answer of the site before it goes on the wire: status, headers and body. The server
// adds Date, Server, Connection and (usually) Content-Length when it writes the head.
struct SiteResponse
{
    int status = 200;
    SiteHeaderList headers;
    QByteArray body;

    static SiteResponse html(int status, const QByteArray &body);
    static SiteResponse plainText(const QByteArray &body);

    void addHeader(const QByteArray &name, const QByteArray &value)
    {
        headers.append({name, value});
    }

    // First header of that name, compared without regard to case; empty when absent.
    QByteArray header(const QByteArray &name) const;
    bool hasHeader(const QByteArray &name) const;

    static QByteArray reasonPhrase(int status);

    // Status line, headers and the blank line. A Content-Length header already in the list is
    // kept as given; otherwise contentLength, when set, is announced.
    QByteArray head(std::optional<qint64> contentLength) const;
};

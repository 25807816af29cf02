#pragma once

#include "SiteMisbehaviour.h"
#include "SiteResponse.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>

// One HTTP request as the site server received it, and how it was answered.
struct SiteRequest
{
    QByteArray method;
    // Path and query exactly as sent in the request line.
    QByteArray target;
    // Header lines in the order received, names as sent.
    SiteHeaderList headers;
    QByteArray body;
    // Value of the Cookie header, empty when none was sent.
    QByteArray cookie;
    // Status code sent back; 0 when no status line went out.
    int status = 0;
    SiteMisbehaviour::Kind answer = SiteMisbehaviour::None;

    QByteArray path() const;
    QByteArray query() const;
    // First header of that name, compared without regard to case; empty when absent.
    QByteArray header(const QByteArray &name) const;
    bool hasHeader(const QByteArray &name) const;
    // The target with the values of the password fields ("p", "password") masked, for logs.
    QByteArray loggableTarget() const;
};

Q_DECLARE_METATYPE(SiteRequest)

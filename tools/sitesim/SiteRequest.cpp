#include "SiteRequest.h"

QByteArray SiteRequest::path() const
{
    const qsizetype mark = target.indexOf('?');
    return mark < 0 ? target : target.left(mark);
}

QByteArray SiteRequest::query() const
{
    const qsizetype mark = target.indexOf('?');
    return mark < 0 ? QByteArray() : target.mid(mark + 1);
}

QByteArray SiteRequest::header(const QByteArray &name) const
{
    for (const auto &h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    }
    return {};
}

bool SiteRequest::hasHeader(const QByteArray &name) const
{
    for (const auto &h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QByteArray SiteRequest::loggableTarget() const
{
    const qsizetype mark = target.indexOf('?');
    if (mark < 0)
        return target;
    QList<QByteArray> items = target.mid(mark + 1).split('&');
    for (QByteArray &item : items) {
        const qsizetype eq = item.indexOf('=');
        const QByteArray name = eq < 0 ? item : item.left(eq);
        if (eq >= 0 && (name == "p" || name == "password" || name == "pass"))
            item = name + "=***";
    }
    return target.left(mark + 1) + items.join('&');
}

#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// Name/value pairs of a query string, a form body or a Cookie header, in the order given.
// Text is Latin-1: byte n is character n.
class FormFields
{
public:
    // "a=1&b=x+y&&c" style text: pieces split at '&', each at its first '='; names and values
    // percent-decoded, '+' read as a blank. Empty pieces are skipped.
    static FormFields parseQuery(const QByteArray &encoded);
    // "uid=1; pass=abc" style text: pieces split at ';' and trimmed; nothing is decoded.
    static FormFields parseCookies(const QByteArray &header);
    // Percent-decoding with '+' as a blank, into Latin-1 text.
    static QString decode(const QByteArray &encoded);

    bool contains(const QString &name) const;
    // Value of the first field of that name; empty when absent.
    QString value(const QString &name) const;
    const QList<QPair<QString, QString>> &items() const { return m_items; }

private:
    QList<QPair<QString, QString>> m_items;
};

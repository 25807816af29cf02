#include "FormFields.h"

FormFields FormFields::parseQuery(const QByteArray &encoded)
{
    FormFields fields;
    for (const QByteArray &piece : encoded.split('&')) {
        if (piece.isEmpty())
            continue;
        const qsizetype eq = piece.indexOf('=');
        if (eq < 0)
            fields.m_items.append({decode(piece), QString()});
        else
            fields.m_items.append({decode(piece.left(eq)), decode(piece.mid(eq + 1))});
    }
    return fields;
}

FormFields FormFields::parseCookies(const QByteArray &header)
{
    FormFields fields;
    for (const QByteArray &raw : header.split(';')) {
        const QByteArray piece = raw.trimmed();
        if (piece.isEmpty())
            continue;
        const qsizetype eq = piece.indexOf('=');
        if (eq < 0)
            fields.m_items.append({QString::fromLatin1(piece), QString()});
        else
            fields.m_items.append({QString::fromLatin1(piece.left(eq).trimmed()),
                                   QString::fromLatin1(piece.mid(eq + 1).trimmed())});
    }
    return fields;
}

QString FormFields::decode(const QByteArray &encoded)
{
    QByteArray withBlanks = encoded;
    withBlanks.replace('+', ' ');
    return QString::fromLatin1(QByteArray::fromPercentEncoding(withBlanks));
}

bool FormFields::contains(const QString &name) const
{
    for (const auto &item : m_items) {
        if (item.first == name)
            return true;
    }
    return false;
}

QString FormFields::value(const QString &name) const
{
    for (const auto &item : m_items) {
        if (item.first == name)
            return item.second;
    }
    return {};
}

#include "platform/TextUtils.h"

#include "platform/AppConfig.h"
#include "platform/HttpTransfer.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>
#include <QRegularExpression>
#include <QSaveFile>

QByteArray ToAnsi(const QString &text)
{
    return text.toLatin1();
}

QString FromAnsi(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes);
}

namespace {

QString twoDigits(int v)
{
    if (v < 0)
        return QLatin1Char('-') + QStringLiteral("%1").arg(-v, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

} // namespace

QString DurationText(qint16 seconds)
{
    const int n = seconds;
    const int s = n % 60;
    const int m = (n / 60) % 60;
    const int h = (n / 3600) % 24;
    if (h == 0)
        return twoDigits(m) + QStringLiteral("m ") + twoDigits(s) + QStringLiteral("s");
    return QString::number(h) + QStringLiteral("h ") + twoDigits(m) + QStringLiteral("m ") +
           twoDigits(s) + QStringLiteral("s");
}

QString UrlEncode(const QString &text)
{
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray bytes = ToAnsi(text);
    QByteArray out;
    out.reserve(bytes.size() * 3);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == ' ') {
            out += '+';
        } else if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0x0f];
        }
    }
    return FromAnsi(out);
}

QString SizeInMbText(const QString &bytes, const QLocale &locale)
{
    bool ok = false;
    const qint64 size = bytes.trimmed().toLongLong(&ok);
    if (!ok)
        return QString();
    return locale.toString(double(size) / 1048576.0, 'f', 2);
}

QString BytesToText(const QByteArray &bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    return FromAnsi(nul < 0 ? bytes : bytes.left(nul));
}

#include "model/SizeLimits.h"

#include <limits>

namespace {

constexpr int MaxWholeDigits = 7;
constexpr int MaxDecimals = 2;
constexpr qint64 Mebibyte = 1048576;

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Digits, then optionally "." and at most two decimals; hundredths of the number.
// allowBareDot: "5." reads as 5 (a box may hold it while the user types).
bool readHundredths(QStringView text, bool allowBareDot, qint64 *hundredths)
{
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    const QStringView whole = dot < 0 ? text : text.left(dot);
    const QStringView decimals = dot < 0 ? QStringView() : text.mid(dot + 1);
    if (whole.isEmpty() || whole.size() > MaxWholeDigits || decimals.size() > MaxDecimals)
        return false;
    if (dot >= 0 && decimals.isEmpty() && !allowBareDot)
        return false;
    qint64 value = 0;
    for (const QChar c : whole) {
        if (!isDigit(c))
            return false;
        value = value * 10 + (c.unicode() - '0');
    }
    for (int i = 0; i < MaxDecimals; ++i) {
        const QChar c = i < decimals.size() ? decimals[i] : QLatin1Char('0');
        if (!isDigit(c))
            return false;
        value = value * 10 + (c.unicode() - '0');
    }
    *hundredths = value;
    return true;
}

template <typename Char> qint64 readDigits(const Char *begin, qsizetype size, int (*code)(Char))
{
    if (size == 0)
        return SizeLimits::NotANumber;
    constexpr qint64 Max = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const int c = code(begin[i]);
        if (c < '0' || c > '9')
            return SizeLimits::NotANumber;
        const int digit = c - '0';
        if (value > (Max - digit) / 10)
            return SizeLimits::NotANumber;
        value = value * 10 + digit;
    }
    return value;
}

int charCode(QChar c)
{
    return c.unicode();
}

int byteCode(char c)
{
    return static_cast<unsigned char>(c);
}

} // namespace

qint64 SizeLimit::unitBytes(Unit unit)
{
    return unit == Unit::GB ? 1024 * Mebibyte : Mebibyte;
}

QString SizeLimit::unitName(Unit unit)
{
    return unit == Unit::GB ? QStringLiteral("GB") : QStringLiteral("MB");
}

qint64 SizeLimit::bytes() const
{
    if (!isSet())
        return 0;
    // At most 999999999 hundredths times 2^30 bytes: well inside 64 bits. Halves round up.
    return (hundredths * unitBytes(unit) + 50) / 100;
}

QString SizeLimit::number() const
{
    if (!isSet())
        return QString();
    QString text = QString::number(hundredths / 100);
    const qint64 cents = hundredths % 100;
    if (cents != 0) {
        text += QLatin1Char('.') + QString::number(cents / 10);
        if (cents % 10 != 0)
            text += QString::number(cents % 10);
    }
    return text;
}

QString SizeLimit::text() const
{
    return isSet() ? number() + QLatin1Char(' ') + unitName(unit) : QString();
}

bool SizeLimit::fromNumber(QStringView number, Unit unit, SizeLimit *limit)
{
    if (number.isEmpty()) {
        *limit = SizeLimit();
        return true;
    }
    qint64 hundredths = 0;
    if (!readHundredths(number, true, &hundredths))
        return false;
    limit->hundredths = hundredths;
    limit->unit = unit;
    return true;
}

bool SizeLimit::fromText(QStringView text, SizeLimit *limit)
{
    const qsizetype blank = text.indexOf(QLatin1Char(' '));
    if (blank < 0)
        return false;
    const QStringView unitText = text.mid(blank + 1);
    Unit unit = Unit::MB;
    if (unitText == QLatin1String("GB"))
        unit = Unit::GB;
    else if (unitText != QLatin1String("MB"))
        return false;
    qint64 hundredths = 0;
    if (!readHundredths(text.left(blank), false, &hundredths))
        return false;
    limit->hundredths = hundredths;
    limit->unit = unit;
    return true;
}

bool SizeLimits::isOrdered() const
{
    return !smallest.isSet() || !largest.isSet() || largest.bytes() >= smallest.bytes();
}

qint64 SizeLimits::lowBytes() const
{
    return smallest.isSet() ? smallest.bytes() : 0;
}

qint64 SizeLimits::highBytes() const
{
    return largest.isSet() ? largest.bytes() : std::numeric_limits<qint64>::max();
}

QString SizeLimits::text() const
{
    if (smallest.isSet() && largest.isSet())
        return QStringLiteral("between ") + smallest.text() + QStringLiteral(" and ") +
               largest.text();
    if (smallest.isSet())
        return QStringLiteral("at least ") + smallest.text();
    if (largest.isSet())
        return QStringLiteral("at most ") + largest.text();
    return QString();
}

qint64 SizeLimits::readSize(QStringView text)
{
    return readDigits(text.data(), text.size(), &charCode);
}

qint64 SizeLimits::readSize(QByteArrayView text)
{
    return readDigits(text.data(), text.size(), &byteCode);
}

#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

// One size limit of a filter: a number of at most seven digits and two decimals, in MB or GB
// (1 MB = 1048576 bytes, 1 GB = 1024 MB). Kept as hundredths of its unit, so that it reads
// back as typed, without trailing zeros.
struct SizeLimit
{
    enum class Unit
    {
        MB,
        GB
    };

    // -1: no limit.
    qint64 hundredths = -1;
    Unit unit = Unit::MB;

    bool isSet() const { return hundredths >= 0; }
    // The limit in bytes, rounded to the byte.
    qint64 bytes() const;
    // "8.5": the number with "." as decimal point and no trailing zeros; empty when not set.
    QString number() const;
    // "8.5 GB"; empty when not set.
    QString text() const;

    static QString unitName(Unit unit);
    static qint64 unitBytes(Unit unit);

    // The number as typed in a wizard's box: up to seven digits, then optionally "." and up
    // to two decimals. Empty text is no limit. False for anything else.
    static bool fromNumber(QStringView number, Unit unit, SizeLimit *limit);
    // What text() writes: the number, one blank, "MB" or "GB" (no "." without decimals).
    // False for anything else, empty text included.
    static bool fromText(QStringView text, SizeLimit *limit);

    friend bool operator==(const SizeLimit &, const SizeLimit &) = default;
};

// The smallest and the largest size a filter takes, either or both. A torrent is within when
// smallest <= size <= largest in bytes; a size that is not a whole decimal number is outside
// every limit. Without limits a filter takes every size.
struct SizeLimits
{
    SizeLimit smallest;
    SizeLimit largest;

    bool isEmpty() const { return !smallest.isSet() && !largest.isSet(); }
    // The largest is not below the smallest (always so when either is missing).
    bool isOrdered() const;
    // The bounds in bytes: 0 and the largest 64-bit number stand for a missing limit.
    qint64 lowBytes() const;
    qint64 highBytes() const;
    // "between 700 MB and 8 GB", "at least 700 MB", "at most 8 GB"; empty without limits.
    QString text() const;

    // A feed size as a filter reads it: a whole decimal number of 64 bits, digits only.
    // NotANumber for anything else (empty text included), which no limit admits.
    static constexpr qint64 NotANumber = -1;
    static qint64 readSize(QStringView text);
    static qint64 readSize(QByteArrayView text);

    friend bool operator==(const SizeLimits &, const SizeLimits &) = default;
};

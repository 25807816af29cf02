#pragma once

#include <QByteArray>
#include <QString>

class QLocale;

// Text conversions and formats shared by every window. Text in files, in the settings
// store and in site replies is single-byte Latin-1: byte n is character n.

// Latin-1 conversions used at every file and network boundary. Characters above 255 become '?'.
QByteArray ToAnsi(const QString &text);
QString FromAnsi(const QByteArray &bytes);

// Countdown text: "09m 55s", "1h 05m 00s".
QString DurationText(qint16 seconds);

// Form encoding: letters and digits are kept, a blank becomes "+", every other byte "%XX".
QString UrlEncode(const QString &text);

// A size in bytes (decimal text) as megabytes with two decimals in the locale's format; empty
// for text that is not a number.
QString SizeInMbText(const QString &bytes, const QLocale &locale);

// Latin-1 text up to the first NUL byte.
QString BytesToText(const QByteArray &bytes);

#pragma once

#include <QByteArray>
#include <QString>

class HttpTransfer;
struct MatchRecord;

// Small stateless text and file helpers shared by every window. Text in files, in the settings
// store and in site replies is single-byte Latin-1: byte n is character n.

// Latin-1 conversions used at every file and network boundary. Characters above 255 become '?'.
QByteArray ToAnsi(const QString &text);
QString FromAnsi(const QByteArray &bytes);

// Countdown text: "09m 55s", "1h 05m 00s".
QString DurationText(qint16 seconds);

// Position-shift scrambling of the stored password and the built-in site address: character i
// (from 1) moves down by i (ScrambleText) or up by i (UnscrambleText), modulo 256, so each
// undoes the other for any text, however long.
QString ScrambleText(const QString &text);
QString UnscrambleText(const QString &text);

// Form encoding: letters and digits are kept, a blank becomes "+", every other byte "%XX".
QString UrlEncode(const QString &text);

// Site path of a torrent's .torrent file: "/download.php?id=" + id.
QString DownloadUrlPath(qint32 id);
QString DownloadUrlPath(const MatchRecord &record);

// Whole body of a GET as text, letting pending events run between pieces; empty on failure.
// With maxBytes of 0 or more, a body longer than that is not read on: the transfer is
// cancelled, the result is empty and *tooLarge (when given) is set.
QString FetchUrlText(const QString &url, HttpTransfer &transfer, qint64 maxBytes = -1,
                     bool *tooLarge = nullptr);

// Writes text into a file that is opened without truncation. With keepExisting, an existing
// file is left alone and the result is false. Callers that replace a file use
// ReplaceFileAtomically instead.
bool WriteTextFile(const QString &path, const QString &text, bool keepExisting);

// The whole file as text, cut at the first NUL; empty when missing or unreadable. The file is
// opened read-only, so a file the user may read but not write still reads.
QString ReadTextFile(const QString &path);

// Latin-1 text up to the first NUL byte.
QString BytesToText(const QByteArray &bytes);

// Replaces a file whole: writes a temporary file beside it and renames it over the old one, so
// a failure leaves the old file as it was. On failure returns false and, when given, fills
// errorText with the reason.
bool ReplaceFileAtomically(const QString &path, const QByteArray &data,
                           QString *errorText = nullptr);
bool ReplaceTextFileAtomically(const QString &path, const QString &text,
                               QString *errorText = nullptr);

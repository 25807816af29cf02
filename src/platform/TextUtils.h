#pragma once

#include <QByteArray>
#include <QString>

class HttpTransfer;
class QLocale;

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

// The text with every occurrence of the password replaced by "********"; unchanged for an
// empty password. For replies kept on disk, which may echo the request address, the login form
// or the password inside an HTML page. Found are: the password as it is; form-encoded (letters
// and digits kept, every other character "%XX" in either letter case, a blank as "%20" or "+");
// and HTML-escaped, where each character may stand as itself (markup characters only as their
// entities), as "&amp;", "&lt;", "&gt;", "&quot;" or "&#39;", or as a decimal ("&#38;") or
// hexadecimal ("&#x26;", either case) character reference.
QString HidePassword(const QString &text, const QString &password);

// Site path of a torrent's .torrent file: "/download.php?id=" + id.
QString DownloadUrlPath(qint32 id);
// Address of a torrent's details page on the site, as the summary, search and wizard windows
// open it: SiteBaseUrl + "/details.php?id=" + id + "&hit=1".
QString DetailsUrl(qint32 id);
// A size in bytes (decimal text) as megabytes with two decimals in the locale's format; empty
// for text that is not a number.
QString SizeInMbText(const QString &bytes, const QLocale &locale);

// The longest reply FetchUrlText takes unless its caller says otherwise.
constexpr qint64 FetchLimitBytes = qint64(16) << 20;

// Whole body of a GET as text, letting pending events run between pieces; empty on failure.
// A body longer than maxBytes (16 MiB unless the caller says otherwise; negative: no limit), or
// announced so, ends the transfer at once: the result is empty, transfer.bodyTooLarge() is true
// and so is *tooLarge when given.
QString FetchUrlText(const QString &url, HttpTransfer &transfer, qint64 maxBytes = FetchLimitBytes,
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
// A private file (Privacy::OwnerOnly) is readable and writable by its owner only (0600),
// whatever the umask or the mode of the file it replaces.
enum class Privacy
{
    Umask,    // the mode of the file replaced, or the user's umask for a new one
    OwnerOnly // 0600
};
bool ReplaceFileAtomically(const QString &path, const QByteArray &data,
                           QString *errorText = nullptr, Privacy privacy = Privacy::Umask);
bool ReplaceTextFileAtomically(const QString &path, const QString &text,
                               QString *errorText = nullptr, Privacy privacy = Privacy::Umask);

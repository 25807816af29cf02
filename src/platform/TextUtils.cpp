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

QString shifted(const QString &text, int direction)
{
    QByteArray bytes = ToAnsi(text);
    for (int i = 0; i < bytes.size(); ++i) {
        const int code = static_cast<unsigned char>(bytes[i]);
        bytes[i] = static_cast<char>((code + direction * (i + 1)) & 0xff);
    }
    return FromAnsi(bytes);
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

QString ScrambleText(const QString &text)
{
    return shifted(text, -1);
}

QString UnscrambleText(const QString &text)
{
    return shifted(text, +1);
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

namespace {

// Every way one character of the password may stand in a page or an address (see
// HidePassword), longest first so that an escape is taken whole rather than its first
// character alone.
QString passwordCharacterPattern(QChar c)
{
    const uint code = c.unicode();
    const QString hex = QString::number(code, 16);
    QStringList forms;
    forms << QStringLiteral("(?i:%%1)").arg(code, 2, 16, QLatin1Char('0'))
          << QStringLiteral("&#0*%1;").arg(code) << QStringLiteral("(?i:&#x0*%1;)").arg(hex);
    // "&#39;" is the decimal form above.
    static const QList<std::pair<QChar, QString>> named = {
        {QLatin1Char('&'), QStringLiteral("&amp;")},
        {QLatin1Char('<'), QStringLiteral("&lt;")},
        {QLatin1Char('>'), QStringLiteral("&gt;")},
        {QLatin1Char('"'), QStringLiteral("&quot;")}};
    for (const auto &[character, entity] : named) {
        if (character == c)
            forms << entity;
    }
    if (c == QLatin1Char(' '))
        forms << QStringLiteral("\\+");
    forms << QRegularExpression::escape(QString(c));
    return QStringLiteral("(?:") + forms.join(QLatin1Char('|')) + QLatin1Char(')');
}

} // namespace

QString HidePassword(const QString &text, const QString &password)
{
    if (password.isEmpty())
        return text;
    QString pattern;
    for (const QChar c : password)
        pattern += passwordCharacterPattern(c);
    const QRegularExpression anyForm(pattern);
    QString hidden = text;
    hidden.replace(anyForm, QStringLiteral("********"));
    return hidden;
}

QString DownloadUrlPath(qint32 id)
{
    return QStringLiteral("/download.php?id=") + QString::number(id);
}

QString DetailsUrl(qint32 id)
{
    return SiteBaseUrl() + QStringLiteral("/details.php?id=") + QString::number(id) +
           QStringLiteral("&hit=1");
}

QString SizeInMbText(const QString &bytes, const QLocale &locale)
{
    bool ok = false;
    const qint64 size = bytes.trimmed().toLongLong(&ok);
    if (!ok)
        return QString();
    return locale.toString(double(size) / 1048576.0, 'f', 2);
}

QString FetchUrlText(const QString &url, HttpTransfer &transfer, qint64 maxBytes, bool *tooLarge)
{
    if (tooLarge)
        *tooLarge = false;
    transfer.setBodyLimit(maxBytes);
    // The transfer belongs to a window that may close while the events run here.
    QPointer<HttpTransfer> alive(&transfer);
    QString body = transfer.OpenURL(url);
    if (!alive)
        return QString();
    if (tooLarge)
        *tooLarge = transfer.bodyTooLarge();
    if (transfer.failed())
        return QString();
    // The whole body is in by now (OpenURL waits for it): large pieces take it out without a
    // round of events for every kilobyte.
    const HttpTransfer::ReadEnd end = transfer.readBody(64 * 1024, HttpTransfer::Pace::Chunks, {},
                                                        [&body](const QByteArray &piece) {
                                                            body += FromAnsi(piece);
                                                            return true;
                                                        });
    if (end == HttpTransfer::ReadEnd::Gone)
        return QString();
    if (tooLarge)
        *tooLarge = transfer.bodyTooLarge();
    if (transfer.failed())
        return QString();
    return body;
}

bool WriteTextFile(const QString &path, const QString &text, bool keepExisting)
{
    if (keepExisting && QFileInfo::exists(path))
        return false;
    QFile file(path);
    // ReadWrite opens an existing file without truncating it and creates a missing one.
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const QByteArray bytes = ToAnsi(text);
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

QString ReadTextFile(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return QString();
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = file.readAll();
    return BytesToText(bytes);
}

QString BytesToText(const QByteArray &bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    return FromAnsi(nul < 0 ? bytes : bytes.left(nul));
}

bool ReplaceFileAtomically(const QString &path, const QByteArray &data, QString *errorText,
                           Privacy privacy)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (errorText)
            *errorText = file.errorString();
        return false;
    }
    // The temporary file takes the mode before anything is written into it, so the data is
    // never readable by others, not even for a moment.
    if (privacy == Privacy::OwnerOnly &&
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        if (errorText)
            *errorText = QStringLiteral("The file could not be made private");
        file.cancelWriting();
        return false;
    }
    // Flush before committing and check the size: QSaveFile's commit alone does not notice a
    // write cut short by a full disk, and would rename a half file over the good one.
    if (file.write(data) != data.size() || !file.flush() || file.size() != data.size()) {
        if (errorText)
            *errorText = file.errorString().isEmpty() || file.error() == QFileDevice::NoError
                             ? QStringLiteral("The file could not be written whole")
                             : file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (errorText)
            *errorText = file.errorString();
        return false;
    }
    return true;
}

bool ReplaceTextFileAtomically(const QString &path, const QString &text, QString *errorText,
                               Privacy privacy)
{
    return ReplaceFileAtomically(path, ToAnsi(text), errorText, privacy);
}

#include "platform/TextUtils.h"

#include "notify/MatchRecord.h"
#include "platform/HttpTransfer.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
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

QString DownloadUrlPath(qint32 id)
{
    return QStringLiteral("/download.php?id=") + QString::number(id);
}

QString DownloadUrlPath(const MatchRecord &record)
{
    return DownloadUrlPath(record.Id);
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
    for (;;) {
        const QString piece = transfer.GetChunkText(1024);
        QCoreApplication::processEvents();
        if (!alive)
            return QString();
        if (piece.isEmpty())
            break;
        body += piece;
        QCoreApplication::processEvents();
        if (!alive)
            return QString();
    }
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

bool ReplaceFileAtomically(const QString &path, const QByteArray &data, QString *errorText)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (errorText)
            *errorText = file.errorString();
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

bool ReplaceTextFileAtomically(const QString &path, const QString &text, QString *errorText)
{
    return ReplaceFileAtomically(path, ToAnsi(text), errorText);
}

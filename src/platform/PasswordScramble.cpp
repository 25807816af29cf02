#include "platform/PasswordScramble.h"

#include "platform/TextUtils.h"

#include <QRegularExpression>

namespace {

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

QString ScrambleText(const QString &text)
{
    return shifted(text, -1);
}

QString UnscrambleText(const QString &text)
{
    return shifted(text, +1);
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

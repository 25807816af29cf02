#include "account/ProfileCache.h"

#include "account/ProfilePage.h"
#include "platform/WholeFiles.h"

#include <QStringList>

const QString ProfileCache::Header = QStringLiteral("#PWKPC10#");

namespace {

const QString CrLf = QStringLiteral("\r\n");
constexpr int LineCount = 3 + ProfileTexts::Count;

QString oneLine(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

QString ProfileCache::format(const QString &userName, qint32 userId, const ProfileTexts &texts)
{
    QStringList lines{Header, oneLine(userName), QString::number(userId)};
    for (const QString &text : texts.toList())
        lines.append(oneLine(text));
    return lines.join(CrLf);
}

ProfileCache::Entry ProfileCache::parse(const QString &text, const QString &userName)
{
    Entry entry;
    if (!text.contains(CrLf))
        return entry;
    const QStringList lines = text.split(CrLf);
    if (lines.size() != LineCount || lines.at(0) != Header || lines.at(1) != userName)
        return entry;
    entry.userId = ProfilePage::numberFrom(lines.at(2));
    if (entry.userId == 0)
        return entry;
    entry.texts = ProfileTexts::fromList(lines.mid(3));
    entry.valid = true;
    return entry;
}

ProfileCache::Entry ProfileCache::read(const QString &path, const QString &userName)
{
    return parse(ReadTextFile(path), userName);
}

bool ProfileCache::write(const QString &path, const QString &userName, qint32 userId,
                         const ProfileTexts &texts, QString *errorText)
{
    return ReplaceTextFileAtomically(path, format(userName, userId, texts), errorText,
                                     Privacy::OwnerOnly);
}

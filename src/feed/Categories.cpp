#include "feed/Categories.h"

#include "platform/DebugConsole.h"
#include "platform/WholeFiles.h"

#include <QFileInfo>

const QStringList &Categories::builtIn()
{
    static const QStringList names = {
        QStringLiteral("Appz/PC ISO"),
        QStringLiteral("Games/PC ISO"),
        QStringLiteral("Movies/SVCD"),
        QStringLiteral("Music"),
        QStringLiteral("XXX"),
        QStringLiteral("Handheld"),
        QStringLiteral("Games/Xbox 360"),
        QStringLiteral("Anime"),
        QStringLiteral("Movies/XviD"),
        QStringLiteral("Movies/DVD-R"),
        QStringLiteral("Games/PC Rip"),
        QStringLiteral("Appz/misc"),
        QStringLiteral("Games/Xbox"),
        QStringLiteral("Games/PS3"),
        QStringLiteral("Games/PS2"),
        QStringLiteral("Games/Wii"),
        QStringLiteral("Movies/VCD"),
        QStringLiteral("DOX"),
        QStringLiteral("Misc"),
        QStringLiteral("Music Videos"),
        QStringLiteral("TV/HR"),
        QStringLiteral("TV/XviD"),
        QStringLiteral("Nuked"),
        QStringLiteral("TV/HD"),
        QStringLiteral("Movies/HD"),
    };
    return names;
}

QStringList Categories::load(const QString &filePath, DebugConsole &log)
{
    if (!QFileInfo::exists(filePath)) {
        const QStringList names = builtIn();
        log.debug_console(QString::number(names.size()) +
                          QStringLiteral(" cats loaded statically"));
        return names;
    }
    const QString text = ReadTextFile(filePath);
    const QStringList names = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\t'));
    log.debug_console(QString::number(names.size()) + QStringLiteral(" cats loaded from file"));
    return names;
}

QStringList Categories::sync(const QStringList &site, const QStringList &current,
                             const QString &filePath, DebugConsole &log)
{
    if (current.isEmpty()) {
        log.debug_console(QStringLiteral("Full cat update needed"));
    } else if (site.size() != current.size()) {
        log.debug_console(QStringLiteral("Cat numbers differ between hosts. Full update needed"));
    } else if (site != current) {
        log.debug_console(QStringLiteral("Full cat update needed"));
    } else {
        log.debug_console(QStringLiteral("Cats up-to-date."));
        return current;
    }

    QString error;
    if (!ReplaceTextFileAtomically(filePath, site.join(QLatin1Char('\t')), &error)) {
        log.debug_console(QStringLiteral("Unable to write categories.db: ") + error);
        return current;
    }
    log.debug_console(QStringLiteral("New cats added"));
    return load(filePath, log);
}

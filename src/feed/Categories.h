#pragma once

#include <QString>
#include <QStringList>

class DebugConsole;

// The site's category names, in the site's order: loaded at start-up from categories.db (the
// names separated by TAB, nothing else) or, when that file does not exist, from the built-in
// list; brought in step with the list the site sends on line 2 of a feed reply.
class Categories
{
public:
    // The 25 names used until the site has sent its own list.
    static const QStringList &builtIn();

    // The names in categories.db, or the built-in list when the file does not exist. An empty
    // file holds no names, so the next category line from the site rewrites it.
    static QStringList load(const QString &filePath, DebugConsole &log);

    // Compares the site's list with the one in use (same count, then name by name, exact and
    // case-sensitive). When they differ, categories.db is replaced with the site's list and
    // loaded again; the result is the list now in use. When the file cannot be written the
    // reason is logged and the list in use stays, so the next category line tries again.
    static QStringList sync(const QStringList &site, const QStringList &current,
                            const QString &filePath, DebugConsole &log);
};

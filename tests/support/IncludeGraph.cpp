#include "IncludeGraph.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

IncludeGraph IncludeGraph::read(const QString &root)
{
    IncludeGraph graph;
    const QDir rootDir(root);
    for (const QString &folder : rootDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        graph.addFolder(folder);
    QDirIterator it(root, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        graph.addFile(rootDir.relativeFilePath(path), QString::fromLatin1(file.readAll()));
    }
    return graph;
}

QString IncludeGraph::folderOf(const QString &path)
{
    const qsizetype slash = path.indexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash);
}

void IncludeGraph::addFile(const QString &relativePath, const QString &text)
{
    // Both spellings reach the tree: src/ is on the include path.
    static const QRegularExpression include(
        QStringLiteral("^\\s*#\\s*include\\s*[\"<]([^\">]+)[\">]"));
    const QString from = folderOf(relativePath);
    if (from.isEmpty())
        return;
    m_folders.insert(from);
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch m = include.match(lines[i]);
        if (!m.hasMatch())
            continue;
        const QString target = m.captured(1).trimmed();
        const QString to = folderOf(target);
        if (to.isEmpty() || to == from)
            continue;
        m_includes.append(Include{relativePath, i + 1, target, from, to});
    }
}

QStringList IncludeGraph::folders() const
{
    QStringList out(m_folders.begin(), m_folders.end());
    out.sort();
    return out;
}

QList<QStringList> IncludeGraph::cycles() const
{
    // A dozen folders: the transitive closure is quick enough to read plainly.
    const QStringList names = folders();
    const qsizetype n = names.size();
    std::vector<std::vector<char>> reach(size_t(n), std::vector<char>(size_t(n), 0));
    for (const Include &inc : m_includes) {
        const qsizetype a = names.indexOf(inc.from);
        const qsizetype b = names.indexOf(inc.to);
        if (a >= 0 && b >= 0)
            reach[a][b] = true;
    }
    for (qsizetype k = 0; k < n; ++k) {
        for (qsizetype i = 0; i < n; ++i) {
            for (qsizetype j = 0; j < n; ++j) {
                if (reach[i][k] && reach[k][j])
                    reach[i][j] = 1;
            }
        }
    }
    QList<QStringList> out;
    std::vector<char> placed(size_t(n), 0);
    for (qsizetype i = 0; i < n; ++i) {
        if (placed[i] || !reach[i][i])
            continue;
        QStringList component;
        for (qsizetype j = 0; j < n; ++j) {
            if (reach[i][j] && reach[j][i]) {
                component << names[j];
                placed[j] = 1;
            }
        }
        out << component;
    }
    return out;
}

QStringList IncludeGraph::problems() const
{
    QList<Include> known;
    for (const Include &inc : m_includes) {
        if (m_folders.contains(inc.to))
            known << inc;
    }
    std::sort(known.begin(), known.end(), [](const Include &a, const Include &b) {
        return a.file != b.file ? a.file < b.file : a.line < b.line;
    });

    auto where = [](const Include &inc) {
        return QStringLiteral("%1:%2 includes %3").arg(inc.file).arg(inc.line).arg(inc.target);
    };

    QStringList out;
    for (const Include &inc : known) {
        if (inc.from == QLatin1String("platform")) {
            out << where(inc) + QStringLiteral(": platform/ includes only platform/");
        } else if (inc.from == QLatin1String("model") && inc.to != QLatin1String("platform")) {
            out << where(inc) + QStringLiteral(": model/ includes only platform/ and model/");
        }
        if (inc.to == QLatin1String("app")) {
            out << where(inc) + QStringLiteral(": nothing includes app/");
        } else if (inc.to == QLatin1String("core") && inc.from != QLatin1String("app")) {
            out << where(inc) + QStringLiteral(": only app/ includes core/");
        }
    }

    for (const QStringList &cycle : cycles()) {
        QStringList edges;
        for (const QString &a : cycle) {
            for (const QString &b : cycle) {
                for (const Include &inc : known) {
                    if (inc.from == a && inc.to == b) {
                        edges << where(inc);
                        break;
                    }
                }
            }
        }
        out << QStringLiteral("cycle between %1: %2")
                   .arg(cycle.join(QStringLiteral(", ")), edges.join(QStringLiteral("; ")));
    }
    return out;
}

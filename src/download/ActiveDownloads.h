#pragma once

#include <QString>
#include <QStringList>

// Target paths of the downloads in progress, shared by all download windows. Paths compare
// without regard to letter case, so one file is never fetched twice at once.
class ActiveDownloads
{
public:
    bool contains(const QString &path) const { return m_paths.contains(path, Qt::CaseInsensitive); }
    void add(const QString &path) { m_paths.append(path); }
    // Removes every entry equal to the path.
    void remove(const QString &path)
    {
        m_paths.removeIf(
            [&](const QString &p) { return p.compare(path, Qt::CaseInsensitive) == 0; });
    }
    void clear() { m_paths.clear(); }
    int count() const { return int(m_paths.size()); }
    const QStringList &paths() const { return m_paths; }

private:
    QStringList m_paths;
};

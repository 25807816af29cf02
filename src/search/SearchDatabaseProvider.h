#pragma once

#include <QObject>
#include <QString>

#include <memory>

class SearchDatabase;

// The program's current torrents.db snapshot, for any window that searches the local copy.
// The search window publishes each snapshot it loads; another window (a filter preview, say)
// gets it from here, or has it read once without any message when none is held or the file
// has changed length since (a check appended rows). The provider keeps no snapshot alive by
// itself: it is freed when the last window holding it lets go.
class SearchDatabaseProvider : public QObject
{
    Q_OBJECT
public:
    explicit SearchDatabaseProvider(const QString &path, QObject *parent = nullptr);

    // The snapshot last published or loaded while some window still holds it, else null.
    std::shared_ptr<const SearchDatabase> current() const;
    // current() when it matches the file's length; otherwise the file read anew (null when
    // there is none or it holds no readable row).
    std::shared_ptr<const SearchDatabase> obtain();
    // A window loaded a new snapshot.
    void publish(const std::shared_ptr<const SearchDatabase> &database);

    QString path() const { return m_path; }

signals:
    void published();

private:
    QString m_path;
    std::weak_ptr<const SearchDatabase> m_current;
};

#include "search/SearchDatabaseProvider.h"

#include "search/SearchDatabase.h"

#include <QFileInfo>

SearchDatabaseProvider::SearchDatabaseProvider(const QString &path, QObject *parent)
    : QObject(parent), m_path(path)
{
}

std::shared_ptr<const SearchDatabase> SearchDatabaseProvider::current() const
{
    return m_current.lock();
}

std::shared_ptr<const SearchDatabase> SearchDatabaseProvider::obtain()
{
    const QFileInfo file(m_path);
    std::shared_ptr<const SearchDatabase> held = current();
    if (held && file.exists() && file.size() == held->sourceSize())
        return held;
    SearchDatabase::LoadResult loaded = SearchDatabase::load(m_path);
    if (!loaded.database)
        return nullptr;
    publish(loaded.database);
    return loaded.database;
}

void SearchDatabaseProvider::publish(const std::shared_ptr<const SearchDatabase> &database)
{
    m_current = database;
    emit published();
}

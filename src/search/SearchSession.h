#pragma once

#include <QString>

// When a search of the search window runs, and what it remembers between searches.
//
// A search does nothing while another one runs or when the database holds no rows; nothing
// when the query extends a query of 3 or more characters that found nothing, as long as the
// category has not changed since (a longer query cannot find more); and nothing for a query
// of 1 or 2 characters unless forced (the Search button). An empty query searches.
class SearchSession
{
public:
    enum class Decision
    {
        Run,
        Busy,       // a search is running
        NoDatabase, // no rows loaded
        CannotFindMore,
        TooShort,
    };

    Decision decide(const QString &query, bool forced, int databaseRows) const;

    // A search starts and ends: the flag that keeps a second one out, then the query and
    // whether it found something; the category counts as unchanged again.
    void begin() { m_searching = true; }
    void end(const QString &query, bool foundSome);

    // The category choice changed.
    void categoryChanged() { m_categoryChanged = true; }

    bool searching() const { return m_searching; }
    const QString &lastQuery() const { return m_lastQuery; }
    bool foundSome() const { return m_foundSome; }
    bool categoryChangedSinceSearch() const { return m_categoryChanged; }

private:
    QString m_lastQuery;
    bool m_foundSome = false;
    bool m_categoryChanged = false;
    bool m_searching = false;
};

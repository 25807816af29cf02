#include "search/SearchSession.h"

SearchSession::Decision SearchSession::decide(const QString &query, bool forced,
                                              int databaseRows) const
{
    if (m_searching)
        return Decision::Busy;
    if (databaseRows <= 0)
        return Decision::NoDatabase;
    if (query.startsWith(m_lastQuery) && m_lastQuery.size() >= 3 && !m_foundSome &&
        !m_categoryChanged)
        return Decision::CannotFindMore;
    if ((query.size() == 1 || query.size() == 2) && !forced)
        return Decision::TooShort;
    return Decision::Run;
}

void SearchSession::end(const QString &query, bool foundSome)
{
    m_lastQuery = query;
    m_foundSome = foundSome;
    m_categoryChanged = false;
    m_searching = false;
}

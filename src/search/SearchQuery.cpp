#include "search/SearchQuery.h"

#include "search/SearchDatabase.h"

#include <algorithm>

namespace {

bool toLatin1(const QString &text, QByteArray *out)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xff)
            return false;
    }
    *out = text.toLatin1();
    return true;
}

bool categoryMatches(const SearchDatabase &db, int row, int category)
{
    return category == SearchQuery::AllCategories || db.categoryIndex(row) == category;
}

// The rows, oldest first, that accept() takes among those whose name holds `literal` (every
// row when it is empty).
template <typename Accept>
std::vector<quint32> scan(const SearchDatabase &db, const QByteArray &literal, Accept accept)
{
    std::vector<quint32> rows;
    db.forEachRowHolding(literal, [&](int row) {
        if (accept(row))
            rows.push_back(quint32(row));
    });
    return rows;
}

} // namespace

SearchQuery::SearchQuery(const QString &text)
{
    // The filters' lower-casing; a character beyond Latin-1 may lower-case into it.
    const QString lowered = text.toLower();
    m_plain = !lowered.contains(QLatin1Char('*')) && !lowered.contains(QLatin1Char('?')) &&
              !lowered.contains(QLatin1Char('#')) && !lowered.contains(QLatin1Char('['));
    if (m_plain) {
        m_impossible = !toLatin1(lowered, &m_literal);
        return;
    }
    m_matcher = WildcardMatcher(QLatin1Char('*') + lowered + QLatin1Char('*'));
    m_impossible = !m_matcher.isValid() || !toLatin1(m_matcher.longestLiteralRun(), &m_literal);
}

std::vector<quint32> SearchQuery::run(const SearchDatabase &db, int category) const
{
    if (m_impossible || category < AllCategories || category >= db.categories().size())
        return {};
    std::vector<quint32> rows = m_plain ? runPlain(db, category) : runPattern(db, category);
    std::reverse(rows.begin(), rows.end());
    return rows;
}

std::vector<quint32> SearchQuery::runPlain(const SearchDatabase &db, int category) const
{
    return scan(db, m_literal, [&](int row) { return categoryMatches(db, row, category); });
}

std::vector<quint32> SearchQuery::runPattern(const SearchDatabase &db, int category) const
{
    return scan(db, m_literal, [&](int row) {
        return categoryMatches(db, row, category) &&
               m_matcher.matchesLoweredLatin1(db.loweredName(row));
    });
}

#pragma once

#include "filters/WildcardMatcher.h"

#include <QByteArray>
#include <QString>

#include <vector>

class SearchDatabase;

// One query of the search window over a SearchDatabase: a name is a result when it contains
// the query, compared lower-cased, where the query's "*", "?", "#" and bracket lists act as
// the filters' wildcards (the name matches "*" + query + "*"). An empty query matches every
// name.
//
// A query without wildcards is one substring pass over all lowered names; a query with them is
// first narrowed to the names that hold its longest literal run, then matched in full. A match
// never spans two names.
class SearchQuery
{
public:
    // run()'s category for every row.
    static constexpr int AllCategories = -1;

    explicit SearchQuery(const QString &text);

    // True when the query holds no wildcard.
    bool isPlain() const { return m_plain; }

    // The rows whose name matches and whose category is the given one (an index of
    // SearchDatabase::categories(), AllCategories for any; any other value matches nothing),
    // newest (last in the file) first.
    std::vector<quint32> run(const SearchDatabase &db, int category) const;

private:
    std::vector<quint32> runPlain(const SearchDatabase &db, int category) const;
    std::vector<quint32> runPattern(const SearchDatabase &db, int category) const;

    bool m_plain = true;
    // A literal lies beyond Latin-1: no name can hold it.
    bool m_impossible = false;
    QByteArray m_literal; // the plain query, or the pattern's longest literal run, as Latin-1
    WildcardMatcher m_matcher;
};

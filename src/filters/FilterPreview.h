#pragma once

#include "filters/FilterRule.h"
#include "model/FilterRecord.h"

#include <QList>
#include <QString>

#include <memory>
#include <vector>

class FilterTable;
class SearchDatabase;

// What a filter being written would have caught among the torrents of the local database
// (torrents.db), judged as a check would judge them: with filtering on, every row new, no
// earlier results and no filter below the pending one. Size limits count, the pending filter's
// and those of the filters above, as they do in a check. The filters above it take their share
// first (an Ignore filter or a "Does Not Contain" veto excludes a torrent, a Notify or Download
// filter makes it its own result); those rows count as taken first by higher filters.
//
// The filters above do not change while a wizard is open, so what they do to each row is
// worked out once, on construction; each run() judges the pending filter only. Nothing here
// logs, downloads or touches the program's results, exclusion or feed.
class FilterPreview
{
public:
    // The rows a preview lists at most.
    static constexpr int MaxListedRows = 200;

    // What the filters above do to a row.
    enum RowOutcome : qint32
    {
        Free = 0,       // no filter above takes or excludes it
        Excluded = -1,  // an Ignore filter or a veto above excludes it
        PassedOver = -2 // its id is not a number: a check passes it over
        // > 0: the slot of the filter above whose result it becomes
    };

    struct Result
    {
        // Rows of the database (M).
        int rowCount = 0;
        // Rows the pending filter's own rule accepts (N).
        int matched = 0;
        // Of those, rows the filters above take first (K).
        int takenAbove = 0;
        // The N - K rows the pending filter itself takes, newest first, at most MaxListedRows.
        std::vector<quint32> rows;
    };

    // above: the filters that run before the pending one, in slot order (see rulesAbove).
    FilterPreview(std::shared_ptr<const SearchDatabase> database, const QList<FilterRule> &above);

    const std::shared_ptr<const SearchDatabase> &database() const { return m_database; }
    // A row's outcome under the filters above: Free, Excluded, PassedOver, or the taking slot.
    qint32 outcome(int row) const { return m_outcomes[size_t(row)]; }

    // Judges the pending filter over every row. A filter that cannot judge (an unreadable
    // pattern, an unknown mode) matches nothing.
    Result run(const FilterRecord &pending) const;

    // The enabled filters of slots 1 to firstSlotBelow - 1 that can judge, in slot order: for
    // a new filter every enabled filter (firstSlotBelow = count + 1), for an edited one those
    // before its slot.
    static QList<FilterRule> rulesAbove(const FilterTable &table, int firstSlotBelow);

    // "Would have matched N of the newest M torrents", then " (K taken first by higher
    // filters)" when K > 0.
    static QString countText(const Result &result);
    static QString noDatabaseText();

private:
    // Calls visit(row, verdict) for every row, newest first, whose verdict under the rule may
    // be other than None; rows left out have the verdict None.
    template <typename Visit> void forEachVerdict(const FilterRule &rule, Visit visit) const;

    std::shared_ptr<const SearchDatabase> m_database;
    std::vector<qint32> m_outcomes;
};

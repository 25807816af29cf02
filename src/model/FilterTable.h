#pragma once

#include "model/FilterRecord.h"

#include <QList>
#include <QString>

// The filter table in priority order. Slots count from 1 (slot 1 is the first row of the
// filter list and the highest priority); slot 0 exists and is never used. Stored in
// filters.dat as two lines per filter:
//   rule line:     Enabled (1/0), MatchMode (1 Contains, 2 Exactly Matches, 3 Does Not Contain),
//                  Action (0 Notify, 1 Download, 2 Ignore), then the keywords joined by "&&";
//   category line: the categories joined by ", ".
// Every line ends with CR LF; the file is Latin-1. A mode or action of no known code is
// written as "0" or "9", which read back as unknown again.
class FilterTable
{
public:
    FilterTable() : m_slots(1) {}

    // Number of filters N (the highest slot).
    int count() const { return int(m_slots.size()) - 1; }
    bool isEmpty() const { return count() == 0; }
    FilterRecord &operator[](int slot) { return m_slots[slot]; }
    const FilterRecord &operator[](int slot) const { return m_slots[slot]; }
    // Appends a filter in slot N + 1.
    void append(const FilterRecord &filter) { m_slots.append(filter); }
    // Back to the empty table (slot 0 only).
    void clear() { m_slots = QList<FilterRecord>(1); }
    // Exchanges two slots (all fields).
    void swap(int a, int b) { m_slots.swapItemsAt(a, b); }

    // Filters in slots 1 to N that are enabled.
    int CountActiveFilters() const;

    // One-line description: "Contains linux AND iso in A, B"; "*" reads "anything" as the only
    // keyword and "all categories" as the only category. A filter with size limits ends in
    // " between 700 MB and 8 GB", " at least 700 MB" or " at most 8 GB".
    QString ffname(int slot) const;
    static QString describe(const FilterRecord &filter);

    // filters.dat text for every slot whose Removed is false. Size limits are not part of it.
    QString serialize() const;
    // The two lines of one filter in filters.dat, without their CR LF.
    static QString ruleLine(const FilterRecord &filter);
    static QString categoryLine(const FilterRecord &filter);
    // Reads what serialize writes: pairs of lines; a last line without partner is ignored;
    // unknown code characters leave MatchMode or Action empty.
    static FilterTable parse(const QString &text);

    // Codes of the rule line.
    static QString matchModeCode(const QString &matchMode);
    static QString actionCode(const QString &action);

private:
    QList<FilterRecord> m_slots;
};

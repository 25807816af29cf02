#pragma once

#include "model/FilterTable.h"
#include "model/SizeLimits.h"

#include <QList>
#include <QString>

// filterlimits.dat: the size limits of the filters, kept beside filters.dat so that filters.dat
// keeps its format for every version of the program. One line per filter with limits, each
// ended by CR LF, Latin-1, five fields parted by TAB:
//   smallest, largest   "700 MB", "8 GB" or empty (not both empty)
//   occurrence          1 for the first filter with these two lines in slot order, 2 for the
//                       next, and so on
//   rule                the filter's rule line from its second character on, so that switching
//                       the filter on or off keeps its limits
//   categories          its category line
// In rule and categories a backslash, TAB, CR and LF are written \\, \t, \r and \n.
// A limit attaches only to a filter with the same lines and occurrence: a filters.dat changed
// by anything else never gives a limit to another filter.
class FilterLimitsFile
{
public:
    struct Entry
    {
        QString rule;       // rule line from its second character on
        QString categories; // category line
        int occurrence = 1;
        SizeLimits limits;

        friend bool operator==(const Entry &, const Entry &) = default;
    };

    static const QString FileName; // "filterlimits.dat"

    // The entries of the table's filters with limits (records marked Removed left out), in
    // slot order.
    static QList<Entry> entriesOf(const FilterTable &table);
    // The file's text for these entries; empty for none.
    static QString format(const QList<Entry> &entries);
    static QString serialize(const FilterTable &table) { return format(entriesOf(table)); }

    // Reads what format writes (a last line without its CR LF included). False when a line
    // cannot be read: a wrong field count, a limit or occurrence that is not one, no limit at
    // all, a largest below the smallest, an unknown escape, a NUL, or a filter named twice.
    static bool parse(const QString &text, QList<Entry> *entries);

    // Gives each filter of the table the limits of the entry naming it. The entries that name
    // no filter of the table are returned, in file order.
    static QList<Entry> attach(FilterTable *table, const QList<Entry> &entries);

    // The debug log's line for a limit dropped because its filter is no longer there.
    static QString droppedLine(const Entry &entry);
};

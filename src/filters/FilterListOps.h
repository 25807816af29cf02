#pragma once

#include "model/FilterTable.h"

#include <QList>
#include <QString>

// The operations behind the filter list on the options page, on the filter table alone. Each
// one changes the table in memory and says what the window does next: when `changed`, save
// filters.dat and reload the list with `select`; untick "Filter Torrents?" when asked. The
// window keeps the widgets and shows the messages; nothing here shows anything.
class FilterListOps
{
public:
    // What one operation asks of the window.
    struct Outcome
    {
        // The table changed: save it, then reload the list with row `select` selected.
        bool changed = false;
        // Row to select afterwards, 0 for none. When nothing changed, a row above 0 is selected
        // as it is, without a reload; changed false and select 0 means leave the list alone.
        int select = 0;
        // Give the list the input focus afterwards.
        bool focusList = false;
        // Untick "Filter Torrents?" (the filter being switched off or removed was the last
        // active one).
        bool untickFiltering = false;
    };

    // Result of a click on "Move Up" or "Move Down" with the rows that were selected.
    struct MoveClick
    {
        // Information message to show, or empty.
        QString message;
        // The rows passed to movefilter, in the order of the loop.
        QList<int> visited;
        // The table changed: save it and reload the list with `select` selected.
        bool changed = false;
        int select = 0;
        // Rows selected once the click is handled.
        QList<int> selection;
        bool focusList = false;
    };

    // Ticks of the "Change Action" submenu entries Notify, Download and Ignore.
    struct ActionTicks
    {
        bool notify = false;
        bool download = false;
        bool ignore = false;
        friend bool operator==(const ActionTicks &, const ActionTicks &) = default;
    };

    // State of the filter tab after "Filter Torrents?" changed.
    struct FilteringBox
    {
        bool ticked = false;
        // ListView1, "Move Up" and "Move Down" enabled.
        bool controlsEnabled = false;
        // Information message to show, or empty.
        QString message;
    };

    static const QString NothingToMove; // "Nothing to move!  "
    static const QString MustSelect;    // "You must select a filter!  "
    static const QString NeedOneFilter; // the two lines shown when filtering has no filter

    explicit FilterListOps(FilterTable *table) : m_table(table) {}

    // Swaps the slot with its neighbour above ("up") or below ("down"). On the first row going
    // up or the last row going down the table stays as it is and the row stays selected. Any
    // other direction, or a slot that holds no filter, does nothing.
    Outcome movefilter(int slot, const QString &direction);

    // The "Move Up" / "Move Down" buttons: runs movefilter on each selected row, first to last
    // going up and last to first going down. A move reloads the list with only the moved row
    // selected, so the loop meets no other selected row: one row moves per click.
    MoveClick moveSelected(const QList<int> &selectedRows, const QString &direction);

    // Marks the slot Removed; filtering is switched off when it was the last active filter.
    // The reload selects the same row, or the new last row.
    Outcome listrem(int slot);

    // Sets the slot's action ("Notify", "Download" or "Ignore"); the same row stays selected.
    // Any other action is refused, since filters.dat has no code for it.
    Outcome changeaction(int slot, const QString &action);

    // A row's check box: switches the filter on or off. Clearing the last active filter
    // switches filtering off; ticking a row never switches filtering on. No row is selected
    // afterwards.
    Outcome setRowEnabled(int row, bool checked);

    // The filtering check box changed to `ticked`: it cannot stay ticked without a filter.
    // In every case the options are marked changed (Apply enabled) by the caller.
    static FilteringBox filteringBoxChanged(bool ticked, int filterCount);

    // The submenu ticks for a filter whose action is `action`: exactly that entry ticked, or
    // `current` unchanged when the action is none of the three.
    static ActionTicks actionTicks(const QString &action, const ActionTicks &current);

private:
    bool holdsFilter(int slot) const;

    FilterTable *m_table;
};

#include "filters/FilterListOps.h"

#include <algorithm>

const QString FilterListOps::NothingToMove = QStringLiteral("Nothing to move!  ");
const QString FilterListOps::MustSelect = QStringLiteral("You must select a filter!  ");
const QString FilterListOps::NeedOneFilter =
    QStringLiteral("You must have at least 1  filter in order to enable torrent filtering.  ") +
    QStringLiteral("\r\n") + QStringLiteral("To add a filter, click \"Add New\" below. ");

namespace {

const QString Up = QStringLiteral("up");
const QString Down = QStringLiteral("down");

bool isKnownAction(const QString &action)
{
    return action == QLatin1String("Notify") || action == QLatin1String("Download") ||
           action == QLatin1String("Ignore");
}

} // namespace

bool FilterListOps::holdsFilter(int slot) const
{
    return slot >= 1 && slot <= m_table->count();
}

FilterListOps::Outcome FilterListOps::movefilter(int slot, const QString &direction)
{
    Outcome out;
    if (!holdsFilter(slot) || (direction != Up && direction != Down))
        return out;
    out.focusList = true;
    const int neighbour = direction == Up ? slot - 1 : slot + 1;
    if (!holdsFilter(neighbour)) {
        // First row going up or last row going down: nothing to swap, keep the row selected.
        out.select = slot;
        return out;
    }
    m_table->swap(slot, neighbour);
    out.changed = true;
    out.select = neighbour;
    return out;
}

FilterListOps::MoveClick FilterListOps::moveSelected(const QList<int> &selectedRows,
                                                     const QString &direction)
{
    MoveClick click;
    const int rows = m_table->count();
    if (rows == 0) {
        click.message = NothingToMove;
        return click;
    }
    QList<int> selection;
    for (int row : selectedRows) {
        if (row >= 1 && row <= rows && !selection.contains(row))
            selection.append(row);
    }
    std::sort(selection.begin(), selection.end());

    const bool down = direction == Down;
    bool found = false;
    for (int k = 0; k < rows; ++k) {
        const int row = down ? rows - k : k + 1;
        if (!selection.contains(row))
            continue;
        found = true;
        click.visited.append(row);
        const Outcome moved = movefilter(row, direction);
        click.focusList = click.focusList || moved.focusList;
        if (moved.changed) {
            // The reload leaves only the moved row selected.
            click.changed = true;
            click.select = moved.select;
            selection = {moved.select};
        }
    }
    if (!found)
        click.message = MustSelect;
    click.selection = selection;
    return click;
}

FilterListOps::Outcome FilterListOps::listrem(int slot)
{
    Outcome out;
    if (!holdsFilter(slot) || (*m_table)[slot].Removed)
        return out;
    FilterRecord &filter = (*m_table)[slot];
    out.untickFiltering = m_table->CountActiveFilters() <= 1 && filter.Enabled;
    filter.Removed = true;
    out.changed = true;
    out.select = slot;
    return out;
}

FilterListOps::Outcome FilterListOps::changeaction(int slot, const QString &action)
{
    Outcome out;
    if (!holdsFilter(slot) || !isKnownAction(action))
        return out;
    (*m_table)[slot].Action = action;
    out.changed = true;
    out.select = slot;
    return out;
}

FilterListOps::Outcome FilterListOps::setRowEnabled(int row, bool checked)
{
    Outcome out;
    if (!holdsFilter(row))
        return out;
    FilterRecord &filter = (*m_table)[row];
    // The count still includes this filter: below 2 means no active filter is left.
    out.untickFiltering = !checked && filter.Enabled && m_table->CountActiveFilters() < 2;
    filter.Enabled = checked;
    out.changed = true;
    out.select = 0;
    return out;
}

FilterListOps::FilteringBox FilterListOps::filteringBoxChanged(bool ticked, int filterCount)
{
    FilteringBox box;
    if (!ticked)
        return box;
    if (filterCount <= 0) {
        box.message = NeedOneFilter;
        return box;
    }
    box.ticked = true;
    box.controlsEnabled = true;
    return box;
}

FilterListOps::ActionTicks FilterListOps::actionTicks(const QString &action,
                                                      const ActionTicks &current)
{
    if (!isKnownAction(action))
        return current;
    ActionTicks ticks;
    ticks.notify = action == QLatin1String("Notify");
    ticks.download = action == QLatin1String("Download");
    ticks.ignore = action == QLatin1String("Ignore");
    return ticks;
}

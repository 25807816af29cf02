#include "filters/CategoryLists.h"

#include <algorithm>

const QString CategoryLists::AllCategories = QStringLiteral("All Categories");

namespace {

bool containsIgnoringCase(const QStringList &list, const QString &name)
{
    return list.contains(name, Qt::CaseInsensitive);
}

// Valid, distinct rows in ascending order.
QList<int> cleanRows(const QList<int> &rows, qsizetype count)
{
    QList<int> out;
    for (int row : rows) {
        if (row >= 0 && row < count && !out.contains(row))
            out.append(row);
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

CategoryLists::CategoryLists(const QStringList &categoryNames)
    : m_categoryNames(categoryNames), m_available(categoryNames), m_chosen{AllCategories}
{
}

CategoryLists CategoryLists::forFilter(const QStringList &categoryNames,
                                       const QStringList &filterCategories)
{
    CategoryLists lists(categoryNames);
    if (filterCategories.isEmpty() || filterCategories.first() == QLatin1String("*"))
        return lists;
    lists.m_chosen.clear();
    lists.m_chosenEnabled = true;
    for (const QString &category : filterCategories) {
        lists.m_chosen.append(category);
        const qsizetype at = lists.m_available.indexOf(category);
        if (at >= 0)
            lists.m_available.removeAt(at);
    }
    return lists;
}

bool CategoryLists::showsAllCategories() const
{
    return !m_chosen.isEmpty() && m_chosen.first() == AllCategories;
}

void CategoryLists::selectAvailable(const QList<int> &rows, int current)
{
    m_availableSelection = cleanRows(rows, m_available.size());
    m_availableCurrent = current >= 0 && current < m_available.size() ? current : -1;
}

void CategoryLists::selectChosen(const QList<int> &rows, int current)
{
    m_chosenSelection = cleanRows(rows, m_chosen.size());
    m_chosenCurrent = current >= 0 && current < m_chosen.size() ? current : -1;
}

bool CategoryLists::moveToChosen()
{
    if (m_availableCurrent < 0)
        return false;
    m_focus = Focus::None;
    int p = 0;
    if (!m_availableSelection.isEmpty()) {
        if (showsAllCategories()) {
            m_chosen.clear();
            m_chosenSelection.clear();
            m_chosenCurrent = -1;
            m_chosenEnabled = true;
        }
        for (int row : m_availableSelection)
            m_chosen.append(m_available[row]);
        p = m_availableSelection.last();
        m_available.removeIf(
            [this](const QString &name) { return containsIgnoringCase(m_chosen, name); });
    }
    m_availableSelection.clear();
    m_availableCurrent = -1;
    const int c = int(m_available.size());
    if (c > 0) {
        // Near the place of the last entry moved.
        int row = p;
        if (p == 0 || p > c)
            row = 0;
        else if (p == c)
            row = c - 1;
        m_availableSelection = {row};
        m_availableCurrent = row;
        m_focus = Focus::Available;
    }
    return true;
}

bool CategoryLists::moveToAvailable()
{
    if (m_chosenCurrent < 0 || m_chosenSelection.isEmpty() || showsAllCategories())
        return false;
    m_focus = Focus::None;
    for (int row : m_chosenSelection)
        m_available.append(m_chosen[row]);

    QStringList rebuilt;
    for (const QString &name : m_categoryNames) {
        if (!containsIgnoringCase(m_available, name))
            rebuilt.append(name);
    }
    // An entry the user did not move back stays chosen even when the rebuild would drop it (a
    // category renamed on the site, no category list loaded yet, or a different case than the
    // site's); otherwise the filter would silently lose it, or widen to every category.
    for (int row = 0; row < m_chosen.size(); ++row) {
        if (!m_chosenSelection.contains(row) && !containsIgnoringCase(rebuilt, m_chosen[row]))
            rebuilt.append(m_chosen[row]);
    }
    m_chosen = rebuilt;
    if (m_chosen.isEmpty()) {
        m_chosen = {AllCategories};
        m_chosenEnabled = false;
        m_chosenSelection.clear();
        m_chosenCurrent = -1;
    } else {
        m_chosenSelection = {0};
        m_chosenCurrent = 0;
        m_focus = Focus::Chosen;
    }
    return true;
}

QStringList CategoryLists::filterCategories() const
{
    if (m_chosen.isEmpty() || showsAllCategories())
        return {QStringLiteral("*")};
    return m_chosen;
}

#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The two category lists of the filter wizards' category step. List1 holds the categories
// still available, List2 the chosen ones, or the marker "All Categories" (no restriction by
// category), which keeps List2 disabled. Rows count from 0 as in the list boxes. The window
// mirrors both lists into its list boxes, hands the user's selection back before ">" or "<",
// and afterwards shows the lists, the selection and the focus given here.
class CategoryLists
{
public:
    static const QString AllCategories;

    enum class Focus
    {
        None,
        Available, // List1
        Chosen     // List2
    };

    // The add wizard: every category available, "All Categories" chosen.
    explicit CategoryLists(const QStringList &categoryNames);
    // The edit wizard for a filter limited to `filterCategories` ("*" alone: every category):
    // each of them is chosen and the first available entry equal to it (exactly) is taken out.
    static CategoryLists forFilter(const QStringList &categoryNames,
                                   const QStringList &filterCategories);

    const QStringList &available() const { return m_available; }
    const QStringList &chosen() const { return m_chosen; }
    bool chosenEnabled() const { return m_chosenEnabled; }
    bool showsAllCategories() const;

    // Selected rows (ascending) and the current row (-1: none) of each list.
    const QList<int> &availableSelection() const { return m_availableSelection; }
    int availableCurrent() const { return m_availableCurrent; }
    const QList<int> &chosenSelection() const { return m_chosenSelection; }
    int chosenCurrent() const { return m_chosenCurrent; }
    void selectAvailable(const QList<int> &rows, int current);
    void selectChosen(const QList<int> &rows, int current);

    // ">": appends the selected available entries to the chosen list (replacing the marker),
    // drops every available entry now chosen (ignoring case) and selects the available entry
    // that took the place of the last one moved. Nothing happens without a current row in
    // List1; the result says whether anything happened.
    bool moveToChosen();
    // "<": appends the selected chosen entries to List1, then rebuilds List2 in the order of
    // the category list from every category not available (ignoring case); entries the user
    // did not move back that this would drop stay chosen after them. An empty
    // List2 becomes "All Categories" again. Nothing happens without a current and a selected
    // row in List2 or while it shows the marker; the result says whether anything happened.
    bool moveToAvailable();

    // The list to give the focus after the last operation.
    Focus focus() const { return m_focus; }

    // The filter's categories: "*" alone while "All Categories" is shown, else List2 in order.
    QStringList filterCategories() const;

private:
    QStringList m_categoryNames;
    QStringList m_available;
    QStringList m_chosen;
    bool m_chosenEnabled = false;
    QList<int> m_availableSelection;
    int m_availableCurrent = -1;
    QList<int> m_chosenSelection;
    int m_chosenCurrent = -1;
    Focus m_focus = Focus::None;
};

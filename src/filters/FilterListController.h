#pragma once

#include "filters/FilterListOps.h"
#include "filters/FilterWizardWindow.h"

#include <QObject>
#include <QPersistentModelIndex>
#include <QPoint>
#include <QPointer>

class FilterListHost;
class QAction;
class QCheckBox;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class SearchDatabaseProvider;
struct ProgramState;
struct Services;

// The filter tab of the main window: "Move Up", "Move Down" and "Add New", the check box of
// each row, the context menus of the list (mnuList on a row, mnuList2 on an empty list),
// double-click editing, and the two filter wizards. Every change goes through the filter table
// (FilterListOps) and then the cycle: savefilters, then loadfilters with the row to select
// afterwards. The filtering box ("Filter Torrents?") enables the list's controls. Owned by the
// main window.
class FilterListController : public QObject
{
    Q_OBJECT
public:
    // The controls of the filter tab.
    struct Controls
    {
        QTreeWidget *ListView1 = nullptr;
        QPushButton *Command1 = nullptr; // "Move Up"
        QPushButton *Command2 = nullptr; // "Move Down"
        QPushButton *command_addfilter = nullptr;
        QCheckBox *check_filter = nullptr;
    };

    // window: the main window, parent of the menus, boxes and wizards; databases: the
    // program-wide torrents.db snapshot the wizards' preview reads.
    FilterListController(FilterListHost &host, QWidget &window, const Controls &controls,
                         Services &services, ProgramState &state,
                         SearchDatabaseProvider &databases);
    ~FilterListController() override;

    // Filters: the table from filters.dat into the list (select: the row to select afterwards,
    // 0 for none; clamped to the last row, and the caller's variable gets the clamped value),
    // and the table back into the file. "Filter Torrents?" is ticked when the switch is on and
    // a filter is active: the first load takes the stored switch, later loads the box as it
    // stands. savefilters tells the user when the file cannot be written; the file then keeps
    // its old content.
    void loadfilters(qint16 &select);
    bool savefilters();
    // Adds a row to ListView1 at position + 1: the description, its box ticked when state is
    // "Yes", the action; leaves no row selected.
    void listadd(const QString &text, const QString &state, const QString &action, int position);

    // The row of that slot selected, scrolled to and, when the list is enabled, focused
    // ("Show me this filter"); a slot outside the list selects nothing.
    void highlight(int slot);

    // The list operations on a slot (row k of the list shows slot k, counting from 1).
    void listrem(int slot);
    // direction "up" or "down".
    void movefilter(int slot, const QString &direction);
    // The reload clamps the row to select; slot receives the clamped value.
    void changeaction(qint16 &slot, const QString &action);
    // The edit wizard for that slot, over the main window.
    void editfilter(int slot);
    // "Add New": the add wizard over the main window.
    void addfilter();

    // Command1 "Move Up" and Command2 "Move Down".
    void Command1_Click();
    void Command2_Click();

    // The context menus and the list interaction state.
    QMenu *mnuList() const { return m_mnuList; }
    QMenu *mnuList2() const { return m_mnuList2; }
    // The slot whose context menu was opened last; the menu commands act on it.
    int MenuSlot() const { return m_menuSlot; }
    // The mouse button of the last press on the list (2 the right button); 0 after an item
    // click.
    int LastButton() const { return m_lastButton; }
    // The row of the last item click (from 1), 0 when none or when the list was rebuilt since.
    int CurrentItem() const;

    // The filter wizard on show, or null.
    FilterWizardWindow *wizard() const { return m_wizard; }
    // A wizard on show comes to the front (true); false when none is.
    bool raiseOpenWizard();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void onCheckFilterToggled(bool checked);
    void applyFilterControls(bool filteringOn);
    void moveClick(const QString &direction);
    void apply(const FilterListOps::Outcome &outcome);
    // savefilters, then loadfilters(select); the file and the table agree afterwards, also
    // when the file could not be written (the table is read back from the old file).
    qint16 reload(qint16 select);
    void selectRows(const QList<int> &rows);
    QList<int> selectedRows() const;
    void onItemChanged(QTreeWidgetItem *item, int column);
    void setRowEnabled(int row, bool checked);
    void onItemClick(QTreeWidgetItem *item, const QPoint &globalPos);
    void onItemDoubleClicked(QTreeWidgetItem *item);
    void onActionEntry(const QString &action);
    FilterWizardWindow::Hooks wizardHooks();
    void showWizard(FilterWizardWindow *wizard);

    FilterListHost &m_host;
    QWidget &m_window;
    Controls m_ui;
    Services &m_services;
    ProgramState &m_state;
    SearchDatabaseProvider &m_databases;

    QMenu *m_mnuList = nullptr;
    QMenu *m_mnuList2 = nullptr;
    QMenu *m_mnuChangeAction = nullptr;
    QAction *m_mnuActionNotify = nullptr;
    QAction *m_mnuActionDownload = nullptr;
    QAction *m_mnuActionIgnore = nullptr;

    int m_lastButton = 0;
    QPoint m_last;
    QPersistentModelIndex m_currentItem;
    QPersistentModelIndex m_pressedItem;
    int m_menuSlot = 0;
    // loadfilters has run once (the start-up load).
    bool m_filtersLoaded = false;
    QPointer<FilterWizardWindow> m_wizard;
};

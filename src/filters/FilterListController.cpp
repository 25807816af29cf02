#include "filters/FilterListController.h"

#include "filters/FilterFile.h"
#include "filters/FilterListHost.h"
#include "filters/frmAddFilterWizard.h"
#include "filters/frmEditFilterWizard.h"
#include "model/ProgramState.h"
#include "platform/AppInfo.h"
#include "platform/DebugConsole.h"
#include "platform/Dialogs.h"
#include "platform/Services.h"
#include "platform/SettingNames.h"
#include "platform/SettingsStore.h"
#include "search/SearchDatabaseProvider.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>

namespace {

const QString Up = QStringLiteral("up");
const QString Down = QStringLiteral("down");

// The mouse button as the list interaction state counts it: 1 left, 2 right, 4 middle.
int buttonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

QAction *menuEntry(QMenu *menu, const char *name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

FilterListController::FilterListController(FilterListHost &host, QWidget &window,
                                           const Controls &controls, Services &services,
                                           ProgramState &state, SearchDatabaseProvider &databases)
    : m_host(host), m_window(window), m_ui(controls), m_services(services), m_state(state),
      m_databases(databases)
{
    QTreeWidget *list = m_ui.ListView1;
    // The description takes the width the action's words leave.
    QHeaderView *header = list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    // The pointer position over the list is kept for the double-click rule.
    list->viewport()->setMouseTracking(true);
    list->viewport()->installEventFilter(this);
    buildMenus();

    connect(m_ui.Command1, &QPushButton::clicked, this, &FilterListController::Command1_Click);
    connect(m_ui.Command2, &QPushButton::clicked, this, &FilterListController::Command2_Click);
    connect(m_ui.command_addfilter, &QPushButton::clicked, this, &FilterListController::addfilter);
    connect(list, &QTreeWidget::itemChanged, this, &FilterListController::onItemChanged);
    // The filtering box reacts to code too (loadfilters sets it).
    connect(m_ui.check_filter, &QCheckBox::toggled, this,
            &FilterListController::onCheckFilterToggled);
    connect(list, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *item, int) { onItemDoubleClicked(item); });
}

FilterListController::~FilterListController() = default;

void FilterListController::buildMenus()
{
    m_mnuList = new QMenu(QStringLiteral("ListMenu"), &m_window);
    m_mnuList->setObjectName(QStringLiteral("mnuList"));
    QAction *edit = menuEntry(m_mnuList, "mnuEditFilter", QStringLiteral("Edit Filter"));
    m_mnuChangeAction = m_mnuList->addMenu(QStringLiteral("Change Action"));
    m_mnuChangeAction->setObjectName(QStringLiteral("mnuChangeAction"));
    m_mnuChangeAction->menuAction()->setObjectName(QStringLiteral("mnuChangeAction"));
    m_mnuActionNotify = menuEntry(m_mnuChangeAction, "mnuAction_Notify", QStringLiteral("Notify"));
    m_mnuActionDownload =
        menuEntry(m_mnuChangeAction, "mnuAction_Download", QStringLiteral("Download"));
    m_mnuActionIgnore = menuEntry(m_mnuChangeAction, "mnuAction_Ignore", QStringLiteral("Ignore"));
    QAction *remove = menuEntry(m_mnuList, "mnuRemFilter", QStringLiteral("Remove Filter"));
    m_mnuList->addSeparator()->setObjectName(QStringLiteral("Spacer2"));
    QAction *add = menuEntry(m_mnuList, "mnuAddFilter", QStringLiteral("Add New"));

    m_mnuList2 = new QMenu(QStringLiteral("ListMenu2"), &m_window);
    m_mnuList2->setObjectName(QStringLiteral("mnuList2"));
    QAction *add2 = menuEntry(m_mnuList2, "mnuAddFilter2", QStringLiteral("Add New"));

    for (QAction *entry : {m_mnuActionNotify, m_mnuActionDownload, m_mnuActionIgnore}) {
        entry->setCheckable(true);
        connect(entry, &QAction::triggered, this, [this, entry] { onActionEntry(entry->text()); });
    }
    connect(edit, &QAction::triggered, this, [this] { editfilter(m_menuSlot); });
    connect(remove, &QAction::triggered, this, [this] { listrem(m_menuSlot); });
    connect(add, &QAction::triggered, this, &FilterListController::addfilter);
    connect(add2, &QAction::triggered, this, &FilterListController::addfilter);
}

int FilterListController::CurrentItem() const
{
    return m_currentItem.isValid() ? m_currentItem.row() + 1 : 0;
}

qint16 FilterListController::reload(qint16 select)
{
    savefilters();
    loadfilters(select);
    return select;
}
void FilterListController::applyFilterControls(bool filteringOn)
{
    m_ui.ListView1->setEnabled(filteringOn);
    m_ui.Command1->setEnabled(filteringOn);
    m_ui.Command2->setEnabled(filteringOn);
}

void FilterListController::onCheckFilterToggled(bool checked)
{
    const FilterListOps::FilteringBox box =
        FilterListOps::filteringBoxChanged(checked, m_state.Filters.count());
    if (box.ticked != checked) {
        const QSignalBlocker block(m_ui.check_filter);
        m_ui.check_filter->setChecked(box.ticked);
    }
    applyFilterControls(box.controlsEnabled);
    if (!box.message.isEmpty())
        m_services.dialogs->message(&m_window, AppInfo::Title, box.message, Dialogs::Information);
    m_host.setOptionsDirty();
}

void FilterListController::listadd(const QString &text, const QString &state, const QString &action,
                                   int position)
{
    auto *item = new QTreeWidgetItem({text, action});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    // A description too long for its column is read whole here.
    item->setToolTip(0, text);
    item->setToolTip(1, text);
    item->setCheckState(0, state == QLatin1String("Yes") ? Qt::Checked : Qt::Unchecked);
    const QSignalBlocker block(m_ui.ListView1);
    m_ui.ListView1->insertTopLevelItem(qBound(0, position, m_ui.ListView1->topLevelItemCount()),
                                       item);
    m_ui.ListView1->clearSelection();
}

void FilterListController::loadfilters(qint16 &select)
{
    ProgramState &st = m_state;
    Services &s = m_services;
    m_services.log->debug_console(QStringLiteral("Loading filters..."));
    const bool firstLoad = !m_filtersLoaded;
    m_filtersLoaded = true;
    st.Filters.clear();
    m_ui.ListView1->clear();

    bool found = false;
    FilterFile::LimitsReport limits;
    st.Filters =
        FilterFile::read(s.config.programFile(QStringLiteral("filters.dat")), &found, &limits);
    for (const QString &line : std::as_const(limits.dropped))
        m_services.log->debug_console(line);
    if (!limits.setAside.isEmpty())
        m_host.reportBrokenFiles({limits.setAside});
    if (!found) {
        m_services.log->debug_console(QStringLiteral("No filters found. Aborting load."));
        return;
    }

    // The start-up load takes the stored switch. Later loads follow a change of the list and
    // keep the box as the user left it, so a change of the switch not applied yet is not
    // undone by the reload (and ticking a row's box never ticks the switch); they only clear
    // it when no active filter is left. Setting the box runs its handler, which enables or
    // disables the list controls.
    const bool wanted = firstLoad ? s.store->ReadSettingNumber(SettingName::FilterEnabled) != 0
                                  : m_ui.check_filter->isChecked();
    const bool filtering = wanted && st.Filters.CountActiveFilters() > 0;
    if (m_ui.check_filter->isChecked() != filtering)
        m_ui.check_filter->setChecked(filtering);
    else
        applyFilterControls(filtering);

    for (int i = 1; i <= st.Filters.count(); ++i)
        listadd(st.Filters.ffname(i),
                st.Filters[i].Enabled ? QStringLiteral("Yes") : QStringLiteral("No"),
                st.Filters[i].Action, i - 1);

    if (select > 0) {
        if (select > st.Filters.count())
            select = qint16(st.Filters.count());
        QTreeWidgetItem *row = m_ui.ListView1->topLevelItem(select - 1);
        m_ui.ListView1->setCurrentItem(row);
        row->setSelected(true);
        m_ui.ListView1->scrollToItem(row);
    }
    m_services.log->debug_console(QStringLiteral("Filters successfully loaded."));
}

bool FilterListController::savefilters()
{
    Services &s = m_services;
    const QString path = s.config.programFile(QStringLiteral("filters.dat"));
    QString error;
    QString failed;
    if (FilterFile::write(path, m_state.Filters, &error, &failed))
        return true;
    m_services.log->debug_console(QStringLiteral("Unable to save filters: ") + error);
    s.dialogs->message(&m_window, AppInfo::Title,
                       QStringLiteral("Your filters could not be saved to %1: %2\nThe file "
                                      "keeps what it held before.")
                           .arg(failed, error),
                       Dialogs::Critical);
    return false;
}

void FilterListController::highlight(int slot)
{
    QTreeWidget *list = m_ui.ListView1;
    if (slot >= 1 && slot <= list->topLevelItemCount()) {
        QTreeWidgetItem *row = list->topLevelItem(slot - 1);
        const QSignalBlocker block(list);
        list->clearSelection();
        list->setCurrentItem(row);
        row->setSelected(true);
        list->scrollToItem(row);
    }
    if (list->isEnabled())
        list->setFocus();
}

void FilterListController::apply(const FilterListOps::Outcome &outcome)
{
    if (outcome.untickFiltering)
        m_ui.check_filter->setChecked(false);
    if (outcome.changed)
        reload(qint16(outcome.select));
    else if (outcome.select > 0)
        selectRows({outcome.select});
    if (outcome.focusList)
        m_ui.ListView1->setFocus();
}

QList<int> FilterListController::selectedRows() const
{
    QList<int> rows;
    const QTreeWidget *list = m_ui.ListView1;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->isSelected())
            rows.append(i + 1);
    }
    return rows;
}

void FilterListController::selectRows(const QList<int> &rows)
{
    QTreeWidget *list = m_ui.ListView1;
    list->clearSelection();
    for (int row : rows) {
        QTreeWidgetItem *item = list->topLevelItem(row - 1);
        if (!item)
            continue;
        list->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
        item->setSelected(true);
        list->scrollToItem(item);
    }
}

void FilterListController::listrem(int slot)
{
    FilterListOps ops(&m_state.Filters);
    apply(ops.listrem(slot));
}

void FilterListController::movefilter(int slot, const QString &direction)
{
    FilterListOps ops(&m_state.Filters);
    apply(ops.movefilter(slot, direction));
}

void FilterListController::changeaction(qint16 &slot, const QString &action)
{
    FilterListOps ops(&m_state.Filters);
    const FilterListOps::Outcome outcome = ops.changeaction(slot, action);
    if (!outcome.changed)
        return;
    slot = reload(qint16(outcome.select));
}

void FilterListController::setRowEnabled(int row, bool checked)
{
    FilterListOps ops(&m_state.Filters);
    apply(ops.setRowEnabled(row, checked));
}

void FilterListController::Command1_Click()
{
    moveClick(Up);
}

void FilterListController::Command2_Click()
{
    moveClick(Down);
}

void FilterListController::moveClick(const QString &direction)
{
    FilterListOps ops(&m_state.Filters);
    const FilterListOps::MoveClick click = ops.moveSelected(selectedRows(), direction);
    if (click.changed)
        reload(qint16(click.select));
    else if (!click.selection.isEmpty())
        selectRows(click.selection);
    if (click.focusList)
        m_ui.ListView1->setFocus();
    if (!click.message.isEmpty())
        m_services.dialogs->message(&m_window, AppInfo::Title, click.message, Dialogs::Information);
}

void FilterListController::onItemChanged(QTreeWidgetItem *item, int column)
{
    if (column != 0)
        return;
    const int row = m_ui.ListView1->indexOfTopLevelItem(item) + 1;
    const bool checked = item->checkState(0) == Qt::Checked;
    if (row < 1 || row > m_state.Filters.count() || m_state.Filters[row].Enabled == checked)
        return;
    // The reload rebuilds the list, items included: it runs once the click that changed the
    // box has been handled by the list.
    QMetaObject::invokeMethod(
        this, [this, row, checked] { setRowEnabled(row, checked); }, Qt::QueuedConnection);
}

bool FilterListController::eventFilter(QObject *watched, QEvent *event)
{
    QTreeWidget *list = m_ui.ListView1;
    if (watched != list->viewport() || !list->isEnabled())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        m_last = mouse->position().toPoint();
        if (event->type() == QEvent::MouseButtonDblClick)
            break;
        m_lastButton = buttonCode(mouse->button());
        m_pressedItem = list->indexAt(m_last).siblingAtColumn(0);
        if (m_lastButton == 2 && list->topLevelItemCount() == 0)
            m_mnuList2->popup(mouse->globalPosition().toPoint());
        break;
    }
    case QEvent::MouseMove:
        m_last = static_cast<QMouseEvent *>(event)->position().toPoint();
        break;
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QModelIndex released = list->indexAt(mouse->position().toPoint()).siblingAtColumn(0);
        const bool itemClick = released.isValid() && released == m_pressedItem;
        m_pressedItem = QPersistentModelIndex();
        if (itemClick)
            onItemClick(list->topLevelItem(released.row()), mouse->globalPosition().toPoint());
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void FilterListController::onItemClick(QTreeWidgetItem *item, const QPoint &globalPos)
{
    QTreeWidget *list = m_ui.ListView1;
    const int row = list->indexOfTopLevelItem(item);
    m_currentItem = QPersistentModelIndex(list->model()->index(row, 0));
    if (m_lastButton == 2 && row + 1 <= m_state.Filters.count()) {
        m_menuSlot = row + 1;
        FilterListOps::ActionTicks ticks{m_mnuActionNotify->isChecked(),
                                         m_mnuActionDownload->isChecked(),
                                         m_mnuActionIgnore->isChecked()};
        ticks = FilterListOps::actionTicks(m_state.Filters[m_menuSlot].Action, ticks);
        m_mnuActionNotify->setChecked(ticks.notify);
        m_mnuActionDownload->setChecked(ticks.download);
        m_mnuActionIgnore->setChecked(ticks.ignore);
        m_mnuList->popup(globalPos);
    }
    m_lastButton = 0;
}

void FilterListController::onItemDoubleClicked(QTreeWidgetItem *)
{
    // Only a double click on the row clicked last edits it: the first click of a double click
    // on a row's box rebuilds the list, and a double click then lands on no current row.
    QTreeWidget *list = m_ui.ListView1;
    QTreeWidgetItem *under = list->itemAt(m_last);
    const int current = CurrentItem();
    if (!under || current == 0 || list->topLevelItemCount() == 0 ||
        list->indexOfTopLevelItem(under) + 1 != current)
        return;
    editfilter(current);
}

void FilterListController::onActionEntry(const QString &action)
{
    qint16 slot = qint16(m_menuSlot);
    changeaction(slot, action);
    m_menuSlot = slot;
}

void FilterListController::addfilter()
{
    if (!raiseOpenWizard())
        showWizard(new frmAddFilterWizard(m_services, m_state, &m_window, wizardHooks()));
}

void FilterListController::editfilter(int slot)
{
    if (slot < 1 || slot > m_state.Filters.count() || raiseOpenWizard())
        return;
    showWizard(
        new frmEditFilterWizard(m_services, m_state, &m_window, qint16(slot), wizardHooks()));
}

bool FilterListController::raiseOpenWizard()
{
    if (!m_wizard)
        return false;
    m_wizard->show();
    m_wizard->raise();
    m_wizard->activateWindow();
    return true;
}

FilterWizardWindow::Hooks FilterListController::wizardHooks()
{
    FilterWizardWindow::Hooks hooks;
    hooks.reloadFilters = [this](qint16 select) { reload(select); };
    // "Finish" found the filter to be the only active one: filtering goes on, which enables
    // the list controls and marks the options changed.
    hooks.setFilteringTicked = [this] { m_ui.check_filter->setChecked(true); };
    // The preview shares the search window's torrents.db snapshot, or reads the file once.
    hooks.torrentDatabase = [this] { return m_databases.obtain(); };
    return hooks;
}

void FilterListController::showWizard(FilterWizardWindow *wizard)
{
    // The wizard disables the main window while it is open and enables it again however it
    // closes; it deletes itself on closing.
    m_wizard = wizard;
    wizard->showOverOwner();
}

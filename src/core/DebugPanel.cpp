#include "core/DebugPanel.h"

#include "core/DebugReport.h"
#include "model/ProgramState.h"
#include "platform/AppInfo.h"
#include "platform/DebugConsole.h"
#include "platform/Dialogs.h"
#include "platform/Services.h"
#include "platform/WholeFiles.h"
#include "ui_frmMain.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

DebugPanel::DebugPanel(QWidget &window, Ui::frmMain &ui, Services &services, ProgramState &state)
    : m_window(window), m_ui(ui), m_services(services), m_state(state)
{
    DebugConsole &log = *services.log;
    m_shownGeneration = log.generation();
    refreshList();
    connect(&log, &DebugConsole::lineAdded, this, &DebugPanel::scheduleRefresh);
    connect(&log, &DebugConsole::cleared, this, &DebugPanel::scheduleRefresh);
    connect(m_ui.Command5, &QPushButton::clicked, &log, &DebugConsole::clearByUser);
    connect(m_ui.Command4, &QPushButton::clicked, this, &DebugPanel::savedebug);
    connect(m_ui.List1, &QListWidget::itemDoubleClicked, this, &DebugPanel::showSelectedLine);
}

void DebugPanel::scheduleRefresh()
{
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QTimer::singleShot(0, this, &DebugPanel::refreshList);
}

void DebugPanel::refreshList()
{
    m_refreshPending = false;
    const DebugConsole &log = *m_services.log;
    const QStringList &lines = log.lines();
    if (log.generation() != m_shownGeneration || m_shownCount > lines.size()) {
        m_ui.List1->clear();
        m_shownGeneration = log.generation();
        m_shownCount = 0;
    }
    if (m_shownCount == lines.size())
        return;
    m_ui.List1->addItems(lines.mid(m_shownCount));
    m_shownCount = lines.size();
    // Scrolled to the newest line without highlighting it.
    m_ui.List1->setCurrentRow(m_ui.List1->count() - 1);
    m_ui.List1->clearSelection();
    m_ui.List1->scrollToBottom();
}

void DebugPanel::showSelectedLine()
{
    const QList<QListWidgetItem *> selected = m_ui.List1->selectedItems();
    if (selected.isEmpty() || selected.first()->text().isEmpty())
        return;
    m_services.dialogs->message(&m_window, AppInfo::Title, selected.first()->text(),
                                Dialogs::NoIcon);
}

bool DebugPanel::savedebug()
{
    const QString proposed =
        m_services.config.programFolder() + AppInfo::Title + QStringLiteral(" debug info");
    const QString path =
        m_services.dialogs->saveFile(&m_window, QStringLiteral("Save Debug Info"), proposed,
                                     QStringLiteral("Text Files (*.txt);;All files (*)"));
    if (path.isEmpty())
        return false;

    DebugReport::Input in;
    in.settings = &m_state.settings;
    in.store = m_services.store;
    for (int i = 0; i < m_ui.proc_list->count(); ++i)
        in.procRows << m_ui.proc_list->item(i)->text();
    in.filterEnabled = m_ui.check_filter->isChecked();
    in.filtersPath = m_services.config.programFile(QStringLiteral("filters.dat"));
    in.filterCount = m_state.Filters.count();
    in.logLines = m_services.log->lines();

    QString error;
    if (!ReplaceTextFileAtomically(path, DebugReport::build(in), &error)) {
        m_services.dialogs->message(
            &m_window, AppInfo::Title,
            QStringLiteral("Unable to save the debug info to %1: %2").arg(path, error),
            Dialogs::Critical);
        return false;
    }
    m_services.dialogs->message(&m_window, AppInfo::Title, QStringLiteral("Debug Info Saved "),
                                Dialogs::Information);
    return true;
}

#pragma once

#include <QObject>

class QCheckBox;
class QListWidget;
class QPushButton;
class QWidget;
struct ProgramState;
struct Services;

// The debug frame of the main window: List1 follows the debug log (which outlives the window),
// "Clear Log" empties it, a double-click shows a whole line, and "Save Debug Info" writes the
// debug report.
class DebugPanel : public QObject
{
    Q_OBJECT
public:
    // The debug frame's controls, and the options page's that the debug report reads.
    struct Controls
    {
        QListWidget *List1 = nullptr;
        QPushButton *Command4 = nullptr; // "Save Debug Info"
        QPushButton *Command5 = nullptr; // "Clear Log"
        QListWidget *proc_list = nullptr;
        QCheckBox *check_filter = nullptr;
    };

    // window: the parent of the boxes and dialogs the frame shows.
    DebugPanel(QWidget &window, const Controls &controls, Services &services, ProgramState &state);

    // Command4: asks for a file and writes the report; false when nothing was written.
    bool savedebug();
    // List1 double-click.
    void showSelectedLine();

    // Brings List1 up to date with the log now (normally done once control is back in the
    // event loop, so that a check writing thousands of lines redraws the list once).
    void refreshList();

private:
    void scheduleRefresh();

    QWidget &m_window;
    Controls m_ui;
    Services &m_services;
    ProgramState &m_state;
    quint64 m_shownGeneration = 0;
    qsizetype m_shownCount = 0;
    bool m_refreshPending = false;
};

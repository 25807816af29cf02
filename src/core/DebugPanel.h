#pragma once

#include <QObject>

class QWidget;
struct ProgramState;
struct Services;

namespace Ui {
class frmMain;
}

// The debug frame of the main window: List1 follows the debug log (which outlives the window),
// "Clear Log" empties it, a double-click shows a whole line, and "Save Debug Info" writes the
// debug report.
class DebugPanel : public QObject
{
    Q_OBJECT
public:
    // window: the parent of the boxes and dialogs the frame shows; ui: its form, whose debug
    // frame this is (the report also reads the watched programs and the filtering box).
    DebugPanel(QWidget &window, Ui::frmMain &ui, Services &services, ProgramState &state);

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
    Ui::frmMain &m_ui;
    Services &m_services;
    ProgramState &m_state;
    quint64 m_shownGeneration = 0;
    qsizetype m_shownCount = 0;
    bool m_refreshPending = false;
};

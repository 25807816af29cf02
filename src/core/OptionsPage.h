#pragma once

#include "core/OptionsStore.h"

#include <QObject>

class CheckScheduler;
class QCheckBox;
class QLineEdit;
class HandoffPanel;
class frmMain;
struct Services;
struct Settings;

namespace Ui {
class frmMain;
}

// The options page of the main window: fills its controls from the stored options, reacts to
// every control (the check boxes change Settings at once; every change enables Apply), and
// validates and saves the page or puts it back on Cancel.
class OptionsPage : public QObject
{
    Q_OBJECT
public:
    // ui: the main window's form, whose options tabs the page fills and reacts to; handoff: the
    // tab of where downloaded torrents go, stored with the page.
    OptionsPage(frmMain &window, Ui::frmMain &ui, HandoffPanel &handoff, Services &services,
                Settings &settings, CheckScheduler &scheduler);

    // Stored options into Settings and the page.
    void LoadOptions();
    // The interval box from the current interval.
    void showInterval();
    // Watched programs into Settings, the list and its box.
    void loadprocs();
    // Validates the page; when valid, saves it, and with hide minimises and hides the window.
    // False when a check failed (its message has been shown; nothing was saved).
    bool SaveOptions(bool hide);
    // Puts the page and Settings back to the stored values, then hides the window.
    void cancel();
    void updateUsernameCaption();
    // Nothing pending: Apply is disabled.
    void markSaved();

    // The control events, public so tests and later windows can call them.
    void onStartupCheck(bool checked);
    void onWaitCheck(bool checked);
    void onProcCheck(bool checked);
    void onIntervalTextChanged(const QString &text);
    void command_browse_Click();
    void command_addproc_Click();
    void command_remproc_Click();

private:
    void connectControls();
    void setWaitControlsEnabled(bool enabled);
    void applyRunEntryEnabling();
    void fillDoubleClickList();
    void fillNotifyStyleList();
    // notifystyle to store from the list.
    qint16 chosenNotifyStyle() const;
    void setChecked(QCheckBox *box, bool checked);
    void setText(QLineEdit *box, const QString &text);

    frmMain &m_window;
    Ui::frmMain &m_ui;
    HandoffPanel &m_handoff;
    Services &m_services;
    Settings &m_settings;
    CheckScheduler &m_scheduler;
    OptionsStore m_store;
};

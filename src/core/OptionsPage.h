#pragma once

#include "core/OptionsStore.h"

#include <QObject>

class CheckScheduler;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class frmMain;
struct Services;
struct Settings;

// The options page of the main window: fills its controls from the stored options, reacts to
// every control (the check boxes change Settings at once; every change enables Apply), and
// validates and saves the page or puts it back on Cancel.
class OptionsPage : public QObject
{
    Q_OBJECT
public:
    // The controls of the options page that it fills and reacts to.
    struct Controls
    {
        QLineEdit *text_timetocheck = nullptr;
        QLineEdit *text_torrentpath = nullptr;
        QPushButton *command_browse = nullptr;
        QComboBox *double_combo = nullptr;
        QComboBox *combo_notifystyle = nullptr;
        QLabel *info_username = nullptr;
        QCheckBox *onetime_check = nullptr;
        QCheckBox *sound_check = nullptr;
        QCheckBox *showdebug_check = nullptr;
        QCheckBox *startup_check = nullptr;
        QCheckBox *wait_check = nullptr;
        QLabel *Label4 = nullptr;
        QLabel *Label5 = nullptr;
        QLineEdit *text_wait = nullptr;
        QCheckBox *proc_check = nullptr;
        QListWidget *proc_list = nullptr;
        QPushButton *command_addproc = nullptr;
        QPushButton *command_remproc = nullptr;
        // Read when saving: the filtering switch is stored with the page.
        QCheckBox *check_filter = nullptr;
        QPushButton *command_OK = nullptr;
        QPushButton *command_CANCEL = nullptr;
        QPushButton *command_APPLY = nullptr;
    };

    OptionsPage(frmMain &window, const Controls &controls, Services &services, Settings &settings,
                CheckScheduler &scheduler);

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
    Controls m_ui;
    Services &m_services;
    Settings &m_settings;
    CheckScheduler &m_scheduler;
    OptionsStore m_store;
};

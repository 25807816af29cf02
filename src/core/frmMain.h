#pragma once

#include "account/AccountWindowsHost.h"
#include "core/PollwickApp.h"
#include "core/SchedulerHost.h"
#include "feed/FeedCheckHost.h"
#include "filters/FilterListHost.h"
#include "notify/NotifyControllerHost.h"

#include <QWidget>

#include <memory>

class AccountWindows;
class CheckScheduler;
class DebugPanel;
class FeedCheck;
class NotifyController;
class FilterListController;
class NoTrayPanel;
class OptionsPage;
class QMenu;
class TrayIconState;
struct ProgramState;

namespace Ui {
class frmMain;
}

// The main window: hidden behind the tray icon most of the time, it is the options dialog,
// the filter list and the debug log, and it runs the check schedule. Its logic lives in the
// core classes it calls (CheckScheduler, FeedCheck, OptionsStore, TrayIconState...); the options
// page and the debug frame have their own controllers (OptionsPage, DebugPanel).
class frmMain : public QWidget,
                public FeedCheckHost,
                public SchedulerHost,
                public NotifyControllerHost,
                public FilterListHost,
                public AccountWindowsHost
{
    Q_OBJECT
public:
    explicit frmMain(PollwickApp &app, QWidget *parent = nullptr);
    ~frmMain() override;

    // In the middle of the screen at the form's size (before the start-up sequence).
    void placeWindow();
    // Stops the timers and deletes the window once control is back in the event loop.
    void unload();

    // The filter tab's buttons, row boxes, context menus and wizards.
    FilterListController &filterList() { return *m_filterList; }
    // The login dialog (info_username) and the About window (tray menu).
    AccountWindows &accountWindows() { return *m_account; }

    // One feed check now.
    void checkfeed() override;

    // Brings up one filter of the list (the "Filter Info" window's "Show me this filter").
    void highlightfilter(int slot);
    // The check's outcome into the tray, the popup and the windows.
    NotifyController &notifyController() { return *m_notify; }

    // Options page: the Apply button's state.
    void setOptionsDirty() override;
    // FilterListHost: to the application, which tells the user.
    void reportBrokenFiles(const QStringList &lines) override;
    OptionsPage &options() { return *m_options; }

    // Window states: hidden (what minimising did: the window leaves the screen); shown
    // normally (tray "Options").
    void minimiseAndHide();
    void showOptions();
    // Another start of the program asked for this window: it shows, and an open filter wizard
    // comes in front of it.
    void bringForward();
    // The client height: 6105 twips, or 8710 with the debug log; wider when the font needs it.
    // The window stays inside the screen's work area.
    void applyWindowHeight();

    PollwickApp &app() { return m_app; }
    ProgramState &state() { return m_app.state(); }
    Services &services() { return m_app.services(); }
    TrayIconState &tray() { return m_app.trayState(); }
    CheckScheduler &scheduler() { return *m_scheduler; }
    FeedCheck &feedCheck() { return *m_feedCheck; }
    Ui::frmMain &ui() { return *m_ui; }
    QMenu *mnuFile() const { return m_mnuFile; }

    // FeedCheckHost, SchedulerHost and NotifyControllerHost.
    void checkanimation(const QString &word) override;
    void setTrayTip(const QString &text) override;
    void setStatusText(const QString &text) override;
    void showNextCheckStatus() override;
    void setIntervalControlsPaused(bool paused) override;
    // "Filter Torrents?" as it stands.
    bool filteringOn() const override;
    // The application's notification windows.
    void announce(const Announcement &announcement) override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildMenu();
    void connectControls();
    // Moves the window inside the work area where it would leave it.
    void keepOnScreen();

    // The options page's third tab, the filter list, and its fourth, "Search Torrents ".
    static constexpr int FilterTab = 2;
    static constexpr int SearchTab = 3;

    PollwickApp &m_app;
    std::unique_ptr<Ui::frmMain> m_ui;
    std::unique_ptr<CheckScheduler> m_scheduler;
    std::unique_ptr<FeedCheck> m_feedCheck;
    std::unique_ptr<NotifyController> m_notify;
    std::unique_ptr<OptionsPage> m_options;
    std::unique_ptr<DebugPanel> m_debug;
    std::unique_ptr<FilterListController> m_filterList;
    std::unique_ptr<AccountWindows> m_account;
    std::unique_ptr<NoTrayPanel> m_noTray;
    QMenu *m_mnuFile = nullptr;
    bool m_unloading = false;
    // The tab selected before the current one, where the fourth tab switches back to.
    int m_previousTab = 0;
};

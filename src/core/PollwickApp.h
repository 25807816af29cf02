#pragma once

#include "model/ProgramState.h"
#include "notify/NotifyWindowsHost.h"
#include "platform/Services.h"

#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>

class DownloadWindows;
class InstanceChannel;
class LoginRefusalNotice;
class NotifyWindows;
class SearchOpener;
class SearchWindows;
class TrayHostWatcher;
class TrayIcon;
class TrayIconState;
class frmFirstRun;
class frmMain;

// The application: it owns the program-wide state (which outlives the main window: after the
// first-run wizard the main window loads a second time in the same process), the one-instance
// lock with the channel on which a second start asks for the window, the tray icon, and the
// main window. main() builds the real services and calls start().
class PollwickApp : public QObject, public NotifyWindowsHost
{
    Q_OBJECT
public:
    // How a load of the main window ended.
    enum class LoadEnd
    {
        SecondInstance, // refused; the program ends
        FirstRun,       // no user name stored: handed to the first-run wizard, no tray icon
        FirstStart,     // a user name but nothing parsed yet: window shown, tray icon
        NormalStart     // window hidden in the tray
    };

    // arguments as QCoreApplication::arguments() gives them (the program path first).
    PollwickApp(Services &services, const QStringList &arguments, QObject *parent = nullptr);
    ~PollwickApp() override;

    // Loads the main window (the start-up sequence).
    LoadEnd start();
    // The start-up sequence: one instance, the stored options, the first-run wizard when no
    // user name is stored, the tray icon, the filters, the command line, the first check.
    LoadEnd loadMainWindow();
    // The main window unloads: its timers stop, the tray icon goes (unless none was added).
    void unloadMainWindow();
    // "Exit": unloads the main window and ends the program.
    void exitProgram();

    // Broken stored files that were set aside (settings.reg, filters.dat): each line goes to the
    // debug log, and all of them into one message.
    void reportBrokenFiles(const QStringList &lines);

    // Taken once per process and held until exit; false when another instance holds it. The
    // holder listens for second starts.
    bool acquireInstanceLock();
    static QString lockFilePath(const AppConfig &config);
    // A second start: asks the running instance to show its window. False (and logged) when
    // it did not answer that it does.
    bool askRunningInstanceToShow();
    // A second start asked for the window: the first-run wizard while it is open, else the
    // main window (with an open filter wizard in front).
    void bringForward();
    // Listening for second starts.
    bool listensForSecondStarts() const;

    // The no-user-name step hands over to the first-run wizard: frmFirstRun, whose "Continue"
    // stores the details and loads the main window again in this process, and whose "Cancel"
    // ends the program. setFirstRunWizard puts something else in its place.
    void setFirstRunWizard(std::function<void()> show) { m_showFirstRun = std::move(show); }
    void showFirstRunWizard();
    // The first-run wizard while it is on show, else null.
    frmFirstRun *firstRunWizard() const;

    // A double-click on the tray icon with results pending opens the summary window through
    // this; with nothing pending (or no summary window) it opens AlertAddress.
    void setSummaryWindow(std::function<void()> show) { m_showSummary = std::move(show); }
    void onTrayDoubleClick();

    // NotifyWindowsHost: the acknowledgement through the main window when one is loaded (else
    // on the tray state), and "Show me this filter" on the main window when one is loaded.
    void seticonnonew() override;
    void highlightfilter(int slot) override;

    Services &services() { return m_services; }
    // Says once that the site refused the user's details.
    LoginRefusalNotice &loginRefusalNotice() { return *m_loginRefusal; }
    ProgramState &state() { return m_state; }
    TrayIconState &trayState() { return *m_trayState; }
    TrayIcon &trayIcon() { return *m_trayIcon; }
    // The popup with its queue, and the summary and filter info windows.
    NotifyWindows &notifyWindows() { return *m_notifyWindows; }
    // The download windows and the queue of a check's downloads.
    DownloadWindows &downloadWindows() { return *m_downloadWindows; }
    // The search window and the torrents.db snapshot it shares with other windows.
    SearchWindows &searchWindows() { return *m_searchWindows; }
    SearchOpener &searchOpener();
    frmMain *mainWindow() const;
    // The arguments after the program path, joined with blanks.
    QString commandLine() const { return m_commandLine; }

private:
    void onNoTrayAtStart();

    Services &m_services;
    ProgramState m_state;
    QString m_commandLine;
    std::unique_ptr<QLockFile> m_lock;
    bool m_lockTried = false;
    bool m_lockHeld = false;
    // The loaded main window put the tray icon up; its unload takes it out.
    bool m_trayIconAdded = false;
    std::unique_ptr<TrayIconState> m_trayState;
    std::unique_ptr<TrayHostWatcher> m_trayHost;
    std::unique_ptr<TrayIcon> m_trayIcon;
    std::unique_ptr<DownloadWindows> m_downloadWindows;
    std::unique_ptr<NotifyWindows> m_notifyWindows;
    std::unique_ptr<SearchWindows> m_searchWindows;
    std::unique_ptr<InstanceChannel> m_channel;
    std::unique_ptr<LoginRefusalNotice> m_loginRefusal;
    QPointer<frmMain> m_main;
    // Unloaded windows waiting for their deferred deletion.
    QList<QPointer<frmMain>> m_unloaded;
    std::function<void()> m_showFirstRun;
    QPointer<frmFirstRun> m_firstRun;
    std::function<void()> m_showSummary;
};

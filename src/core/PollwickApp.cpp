#include "core/PollwickApp.h"

#include "account/frmFirstRun.h"
#include "core/CheckScheduler.h"
#include "core/frmMain.h"
#include "core/InstanceChannel.h"
#include "core/LoginRefusalNotice.h"
#include "core/OptionsPage.h"
#include "core/StartupRules.h"
#include "core/TrayHostWatcher.h"
#include "core/TrayIcon.h"
#include "core/TrayIconState.h"
#include "download/DownloadWindows.h"
#include "feed/Categories.h"
#include "feed/FeedCheck.h"
#include "filters/FilterListController.h"
#include "notify/NotifyWindows.h"
#include "platform/AppInfo.h"
#include "platform/BrokenFiles.h"
#include "platform/DebugConsole.h"
#include "platform/Dialogs.h"
#include "platform/PrivateFiles.h"
#include "platform/SettingNames.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/StoredPassword.h"
#include "platform/WindowHelpers.h"
#include "search/SearchWindows.h"

#include <QTimer>

PollwickApp::PollwickApp(Services &services, const QStringList &arguments, QObject *parent)
    : QObject(parent), m_services(services),
      m_commandLine(StartupRules::commandLineText(arguments)),
      m_trayState(std::make_unique<TrayIconState>(m_state)),
      m_trayHost(std::make_unique<TrayHostWatcher>(services.bus)),
      m_trayIcon(std::make_unique<TrayIcon>(*m_trayState)),
      m_downloadWindows(std::make_unique<DownloadWindows>(m_services, m_state)),
      m_notifyWindows(
          std::make_unique<NotifyWindows>(*this, services, m_state, *m_downloadWindows)),
      m_searchWindows(std::make_unique<SearchWindows>(services, m_state, *m_downloadWindows)),
      m_channel(std::make_unique<InstanceChannel>()),
      m_loginRefusal(std::make_unique<LoginRefusalNotice>(services))
{
    setSummaryWindow([this] { m_notifyWindows->showSummary(); });
    // Qt is asked about the tray only once a host is there: its first answer is final.
    m_trayIcon->setAvailabilityProbe(
        [this] { return m_trayHost->hostPresent() && QSystemTrayIcon::isSystemTrayAvailable(); });
    connect(m_trayHost.get(), &TrayHostWatcher::hostAppeared, m_trayIcon.get(), &TrayIcon::lookNow);
    connect(m_services.store, &SettingsStore::programKeyWriteFailed, this, [this] {
        m_services.dialogs->message(
            nullptr, AppInfo::Title,
            QStringLiteral("Critical Error: Unable to write userdata to the registry."),
            Dialogs::Critical);
        m_services.endProgram(1);
    });
    connect(m_trayIcon.get(), &TrayIcon::doubleClicked, this, &PollwickApp::onTrayDoubleClick);
    // Said once control is back in the event loop: the write that found the file may run
    // inside a check.
    connect(m_services.store, &SettingsStore::fileSetAside, this, [this](const QString &line) {
        QTimer::singleShot(0, this, [this, line] { reportBrokenFiles({line}); });
    });
    connect(m_trayIcon.get(), &TrayIcon::noTrayAtStart, this, &PollwickApp::onNoTrayAtStart);
    connect(m_channel.get(), &InstanceChannel::showRequested, this, &PollwickApp::bringForward);
    // Connected before any window's check waits for the read, so the check finds the password
    // in Settings; one the login dialog changed stays until it is saved or cancelled.
    if (m_services.sitePassword)
        connect(m_services.sitePassword, &StoredPassword::readEnded, this, [this](bool known) {
            Settings &settings = m_state.settings;
            if (known && !settings.SitePasswordChanged)
                settings.SitePassword = m_services.sitePassword->password();
        });
}

PollwickApp::~PollwickApp()
{
    delete m_firstRun;
    delete m_main;
    for (const QPointer<frmMain> &window : std::as_const(m_unloaded))
        delete window;
}

SearchOpener &PollwickApp::searchOpener()
{
    return *m_searchWindows;
}

frmMain *PollwickApp::mainWindow() const
{
    return m_main;
}

QString PollwickApp::lockFilePath(const AppConfig &config)
{
    return config.programFolder() + QStringLiteral("pollwick.lock");
}

bool PollwickApp::acquireInstanceLock()
{
    if (m_lockTried)
        return m_lockHeld;
    m_lockTried = true;
    m_lock = std::make_unique<QLockFile>(lockFilePath(m_services.config));
    // Only a lock whose process has ended is stale: a running instance keeps its lock however
    // long it runs.
    m_lock->setStaleLockTime(0);
    m_lockHeld = m_lock->tryLock(0);
    if (m_lockHeld) {
        QString error;
        if (!m_channel->listen(InstanceChannel::socketPath(m_services.config), &error))
            m_services.log->debug_console(
                QStringLiteral("Unable to listen for another start of the program: ") + error);
    }
    return m_lockHeld;
}

bool PollwickApp::listensForSecondStarts() const
{
    return m_channel->isListening();
}

bool PollwickApp::askRunningInstanceToShow()
{
    QString error;
    if (InstanceChannel::askToShow(InstanceChannel::socketPath(m_services.config), &error))
        return true;
    m_services.log->debug_console(QStringLiteral("Unable to reach the running instance: ") + error);
    return false;
}

void PollwickApp::bringForward()
{
    m_services.log->debug_console(QStringLiteral("Another start of the program asks for this "
                                                 "window."));
    if (m_firstRun) {
        m_firstRun->show();
        m_firstRun->raise();
        m_firstRun->activateWindow();
        return;
    }
    if (m_main)
        m_main->bringForward();
}

void PollwickApp::onNoTrayAtStart()
{
    // No tray showed the icon 10 seconds after the start: the window shows once, so that the
    // program can be reached, and the log says why.
    if (m_main) {
        m_services.log->debug_console(TrayIcon::noTrayText());
        m_main->showOptions();
    }
}

PollwickApp::LoadEnd PollwickApp::start()
{
    // Before anything is written over them; a second instance leaves the files to the first.
    if (acquireInstanceLock()) {
        reportBrokenFiles(BrokenFiles::setAsideStoredFiles(m_services.config));
        for (const QString &line : PrivateFiles::tightenStoredFiles(m_services.config))
            m_services.log->debug_console(line);
        // Read once; the start-up check waits for a keyring that is still answering.
        for (StoredPassword *password : {m_services.sitePassword, m_services.qbittorrentPassword,
                                         m_services.transmissionPassword})
            if (password)
                password->load();
    }
    return loadMainWindow();
}

void PollwickApp::reportBrokenFiles(const QStringList &lines)
{
    if (lines.isEmpty())
        return;
    for (const QString &line : lines)
        m_services.log->debug_console(line);
    m_services.dialogs->message(nullptr, AppInfo::Title, lines.join(QLatin1Char('\n')),
                                Dialogs::Information);
}

PollwickApp::LoadEnd PollwickApp::loadMainWindow()
{
    unloadMainWindow();
    m_main = new frmMain(*this);
    frmMain &main = *m_main;
    connect(&main.feedCheck(), &FeedCheck::checkEnded, &main, [this, &main] {
        m_loginRefusal->checkEnded(main.feedCheck().lastFailure(), m_state.settings.SiteUserName,
                                   m_state.settings.SitePassword);
    });
    ProgramState &st = m_state;
    Services &s = m_services;
    main.placeWindow();
    st.downloads.clear();
    st.AlertAddress = SiteBaseUrl() + QStringLiteral("/browse.php");
    s.log->debug_console(StartupRules::loadedLine());

    if (!acquireInstanceLock()) {
        // The running instance shows its window; only when it does not say so does this one
        // tell why it ends.
        if (!askRunningInstanceToShow())
            s.dialogs->message(&main, AppInfo::Title,
                               QStringLiteral("Another instance of ") + AppInfo::Title +
                                   QStringLiteral(" is already running. "),
                               Dialogs::Information);
        unloadMainWindow();
        s.endProgram(0);
        return LoadEnd::SecondInstance;
    }

    StartupRules::upgradereg(*s.store);
    main.options().LoadOptions();
    st.categories = Categories::load(s.config.programFile(QStringLiteral("categories.db")), *s.log);

    if (s.store->ReadSettingText(SettingName::SiteUserName).isEmpty()) {
        s.log->debug_console(QStringLiteral("No username/firsrun. Showing login wizard."));
        showFirstRunWizard();
        unloadMainWindow();
        return LoadEnd::FirstRun;
    }

    LoadEnd end = LoadEnd::NormalStart;
    if (!s.store->ReadSettingText(SettingName::LastParsed).isEmpty()) {
        main.minimiseAndHide();
    } else {
        s.log->debug_console(QStringLiteral(
            "First run detected. Existing torrents will be ignored. Showing main window."));
        end = LoadEnd::FirstStart;
        main.showOptions();
    }

    st.TorrentDbBusy = false;
    m_trayState->reset();
    m_trayIcon->add(main.mnuFile());
    m_trayIconAdded = true;
    main.options().showInterval();
    st.results.clear();
    st.exclusion.clear();
    st.settings.WatchedProcesses = QStringList{QString()};

    // filters.dat has kept one format in every build, so there is nothing to upgrade.
    qint16 none = 0;
    main.filterList().loadfilters(none);
    main.options().loadprocs();
    const StartupRules::CommandLineOptions options =
        StartupRules::get_commandlineoptions(m_commandLine);
    st.DeveloperMode = options.developerMode;
    st.LaunchedAtStartup = options.launchedAtStartup;
    // The tray icon comes back when the panel restarts, except in developer mode.
    m_trayIcon->setReaddWhenTrayReturns(!st.DeveloperMode);
    if (st.DeveloperMode)
        main.setWindowTitle(main.windowTitle() + QStringLiteral(" (developer mode)"));
    main.options().markSaved();

    CheckScheduler &scheduler = main.scheduler();
    scheduler.setIntervalOverride(s.config.checkSecondsOverride());
    if (st.settings.StartupWaitEnabled && st.LaunchedAtStartup)
        scheduler.startWait();
    else
        scheduler.startChecking();
    return end;
}

void PollwickApp::unloadMainWindow()
{
    if (!m_main)
        return;
    m_main->unload();
    // Only the load that added the tray icon takes it out.
    if (m_trayIconAdded)
        m_trayIcon->remove();
    m_trayIconAdded = false;
    m_unloaded.removeAll(nullptr);
    m_unloaded.append(m_main);
    m_main = nullptr;
}

void PollwickApp::exitProgram()
{
    unloadMainWindow();
    m_trayIcon->remove();
    m_channel->close();
    if (m_lockHeld)
        m_lock->unlock();
    m_lockHeld = false;
    m_services.endProgram(0);
}

void PollwickApp::showFirstRunWizard()
{
    if (m_showFirstRun) {
        m_showFirstRun();
        return;
    }
    if (m_firstRun) {
        m_firstRun->raise();
        m_firstRun->activateWindow();
        return;
    }
    // "Continue" has stored the details when it calls back. The main window loads once the
    // wizard has closed, so that its first check does not wait for the site inside the
    // wizard's button.
    m_firstRun = new frmFirstRun(
        m_services, [this] { QTimer::singleShot(0, this, [this] { loadMainWindow(); }); });
    connect(m_firstRun, &QDialog::finished, m_firstRun, &QObject::deleteLater);
    m_firstRun->show();
}

frmFirstRun *PollwickApp::firstRunWizard() const
{
    return m_firstRun;
}

void PollwickApp::onTrayDoubleClick()
{
    if (m_state.results.isEmpty() || !m_showSummary) {
        m_services.shell->openUrl(m_state.AlertAddress);
        return;
    }
    if (WindowHelpers::IsFormLoaded(QStringLiteral("frmTorrentInfo")))
        return;
    m_showSummary();
}

void PollwickApp::seticonnonew()
{
    m_trayState->seticonnonew();
}

void PollwickApp::highlightfilter(int slot)
{
    if (frmMain *main = mainWindow())
        main->highlightfilter(slot);
}

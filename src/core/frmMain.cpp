#include "core/frmMain.h"

#include "account/AccountWindows.h"
#include "core/CheckScheduler.h"
#include "core/DebugPanel.h"
#include "core/HandoffPanel.h"
#include "core/LoginRefusalNotice.h"
#include "core/NoTrayPanel.h"
#include "core/OptionsPage.h"
#include "core/OptionsValidation.h"
#include "core/StartupRules.h"
#include "core/TrayIcon.h"
#include "core/TrayIconState.h"
#include "feed/Categories.h"
#include "feed/FeedCheck.h"
#include "filters/FilterFile.h"
#include "filters/FilterListController.h"
#include "filters/FilterListOps.h"
#include "notify/NotifyController.h"
#include "notify/NotifyWindows.h"
#include "platform/AppInfo.h"
#include "platform/DebugConsole.h"
#include "platform/Dialogs.h"
#include "platform/ProgramIcon.h"
#include "platform/ScreenMetrics.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/WindowHelpers.h"
#include "platform/WindowPlacement.h"
#include "search/SearchOpener.h"
#include "search/SearchWindows.h"
#include "ui_frmMain.h"

#include <QCloseEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTimer>

frmMain::frmMain(PollwickApp &app, QWidget *parent)
    : QWidget(parent), m_app(app), m_ui(std::make_unique<Ui::frmMain>())
{
    m_ui->setupUi(this);
    // A tool window stays out of the task bar on the desktops that honour it.
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(ProgramIcon::icon());

    Services &s = services();
    m_scheduler = std::make_unique<CheckScheduler>(state().settings, tray(), *this, *s.log,
                                                   *s.processes, s.siteWait);
    m_feedCheck = std::make_unique<FeedCheck>(s, state(), *this);
    m_notify = std::make_unique<NotifyController>(*this, *this, s, state(), *m_feedCheck,
                                                  m_app.downloadWindows());
    Ui::frmMain &ui = *m_ui;
    OptionsPage::Controls options;
    options.text_timetocheck = ui.text_timetocheck;
    options.text_torrentpath = ui.text_torrentpath;
    options.command_browse = ui.command_browse;
    options.double_combo = ui.double_combo;
    options.combo_notifystyle = ui.combo_notifystyle;
    options.info_username = ui.info_username;
    options.onetime_check = ui.onetime_check;
    options.sound_check = ui.sound_check;
    options.showdebug_check = ui.showdebug_check;
    options.startup_check = ui.startup_check;
    options.wait_check = ui.wait_check;
    options.Label4 = ui.Label4;
    options.Label5 = ui.Label5;
    options.text_wait = ui.text_wait;
    options.proc_check = ui.proc_check;
    options.proc_list = ui.proc_list;
    options.command_addproc = ui.command_addproc;
    options.command_remproc = ui.command_remproc;
    options.check_filter = ui.check_filter;
    options.command_OK = ui.command_OK;
    options.command_CANCEL = ui.command_CANCEL;
    options.command_APPLY = ui.command_APPLY;
    // Where downloaded torrents go has a tab of its own, after the four of the form.
    options.handoff = new HandoffPanel(*s.network);
    ui.SSTab1->addTab(options.handoff, QStringLiteral("Torrent Client "));
    m_options = std::make_unique<OptionsPage>(*this, options, s, state().settings, *m_scheduler);
    DebugPanel::Controls debug;
    debug.List1 = ui.List1;
    debug.Command4 = ui.Command4;
    debug.Command5 = ui.Command5;
    debug.proc_list = ui.proc_list;
    debug.check_filter = ui.check_filter;
    m_debug = std::make_unique<DebugPanel>(*this, debug, s, state());
    m_filterList = std::make_unique<FilterListController>(
        *this, *this,
        FilterListController::Controls{ui.ListView1, ui.Command1, ui.Command2, ui.command_addfilter,
                                       ui.check_filter},
        s, state(), m_app.searchWindows().databases());
    m_account = std::make_unique<AccountWindows>(*this, *this, ui.info_username, ui.mnuAbout, s,
                                                 state().settings);
    connect(this, &frmMain::usernameClicked, m_account.get(), &AccountWindows::showLogin);
    buildMenu();
    m_noTray = std::make_unique<NoTrayPanel>(
        m_app.trayIcon(), m_ui->info_notray, m_ui->command_menu, m_mnuFile,
        NoTrayPanel::NewTorrents{[this] { return !state().results.isEmpty(); },
                                 [this] { m_app.onTrayDoubleClick(); }},
        [this] { applyWindowHeight(); });
    connectControls();

    m_ui->info_username->installEventFilter(this);
}

frmMain::~frmMain()
{
    m_scheduler->stop();
    delete m_mnuFile;
}

ProgramState &frmMain::state()
{
    return m_app.state();
}

Services &frmMain::services()
{
    return m_app.services();
}

TrayIconState &frmMain::tray()
{
    return m_app.trayState();
}

void frmMain::buildMenu()
{
    // No parent widget: a menu that is a child of the main window is disabled with it, and the
    // main window is disabled while a filter wizard is open; the tray menu (Exit included) must
    // stay usable then. The window deletes the menu itself.
    m_mnuFile = new QMenu(QStringLiteral("Menu"));
    m_mnuFile->setObjectName(QStringLiteral("mnuFile"));
    m_mnuFile->addAction(m_ui->mnuInbox);
    m_mnuFile->addAction(m_ui->mnuCheck);
    m_mnuFile->addAction(m_ui->mnuOptions);
    m_mnuFile->addSeparator();
    m_mnuFile->addAction(m_ui->mnuSearch);
    m_mnuFile->addSeparator();
    m_mnuFile->addAction(m_ui->mnuPause);
    m_mnuFile->addSeparator();
    m_mnuFile->addAction(m_ui->mnuAbout);
    m_mnuFile->addAction(m_ui->mnuExit);
    m_mnuFile->setDefaultAction(m_ui->mnuInbox);
}

void frmMain::connectControls()
{
    connect(m_ui->mnuInbox, &QAction::triggered, this,
            [this] { services().shell->openUrl(SiteBaseUrl() + QStringLiteral("/browse.php")); });
    connect(m_ui->mnuCheck, &QAction::triggered, m_scheduler.get(), &CheckScheduler::mnuCheckClick);
    connect(m_ui->mnuOptions, &QAction::triggered, this, &frmMain::showOptions);
    connect(m_ui->mnuSearch, &QAction::triggered, this,
            [this] { m_app.searchOpener().showSearchWindow(); });
    // The fourth tab only opens the search window; the tab chosen before stays on show.
    connect(m_ui->SSTab1, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab != SearchTab) {
            m_previousTab = tab;
            return;
        }
        m_app.searchOpener().showSearchWindow();
        m_ui->SSTab1->setCurrentIndex(m_previousTab);
    });
    connect(m_ui->mnuPause, &QAction::triggered, m_scheduler.get(), &CheckScheduler::mnuPauseClick);
    connect(m_ui->mnuExit, &QAction::triggered, &m_app, &PollwickApp::exitProgram);
    connect(m_scheduler.get(), &CheckScheduler::pauseCheckedChanged, m_ui->mnuPause,
            &QAction::setChecked);
    connect(m_scheduler.get(), &CheckScheduler::pauseMenuEnabled, m_ui->mnuPause,
            &QAction::setEnabled);
    connect(&tray(), &TrayIconState::pauseMenuEnabled, m_ui->mnuPause, &QAction::setEnabled);
    // The filtering box reacts to code too (loadfilters sets it).
    connect(m_ui->check_filter, &QCheckBox::toggled, this, &frmMain::onCheckFilterToggled);
    connect(m_feedCheck.get(), &FeedCheck::checkEnded, this, [this] {
        const Settings &settings = state().settings;
        m_app.loginRefusalNotice().checkEnded(m_feedCheck->lastFailure(), settings.SiteUserName,
                                              settings.SitePassword);
    });
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->info_username && event->type() == QEvent::MouseButtonRelease &&
        m_ui->info_username->isEnabled()) {
        emit usernameClicked();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmMain::placeWindow()
{
    const ScreenMetrics &screen = *services().screen;
    const int width = WindowHelpers::TwipsToPixelsX(screen, 6845);
    const int height = WindowHelpers::TwipsToPixelsY(screen, 6105);
    resize(width, height);
    // The frame adds the caption bar above the client area; the window is centred with it.
    const int outerHeight = height + WindowHelpers::CaptionHeight(this);
    const QRect s = screen.screenGeometry();
    move(s.x() + (s.width() - width) / 2, s.y() + (s.height() - outerHeight) / 2);
}

void frmMain::applyWindowHeight()
{
    const bool withLog = state().settings.ShowDebugLog == 1;
    m_ui->frame_debug->setVisible(withLog);
    const ScreenMetrics &screen = *services().screen;
    QSize size(WindowHelpers::TwipsToPixelsX(screen, 6845),
               WindowHelpers::TwipsToPixelsY(screen, withLog ? 8710 : 6105));
    // Larger fonts than the form was laid out for widen it rather than cut its captions.
    layout()->activate();
    const QSize minimum = minimumSizeHint();
    size = size.expandedTo(minimum);
    // A large font makes the twips tall too: the debug log gives way before the window leaves
    // the work area.
    size.setHeight(WindowPlacement::FittedHeight(
        size.height(), minimum.height(),
        WindowPlacement::FrameHeight(this, WindowHelpers::CaptionHeight(this)), screen.workArea()));
    setFixedSize(size);
    keepOnScreen();
}

void frmMain::keepOnScreen()
{
    WindowPlacement::KeepInside(this, services().screen->workArea(),
                                WindowHelpers::CaptionHeight(this));
}

PollwickApp::LoadEnd frmMain::load()
{
    ProgramState &st = state();
    Services &s = services();
    placeWindow();
    st.downloads.clear();
    st.AlertAddress = SiteBaseUrl() + QStringLiteral("/browse.php");
    m_trayIconAbsent = false;
    debug_console(StartupRules::loadedLine());
    setWindowTitle(AppInfo::Title);

    if (!m_app.acquireInstanceLock()) {
        m_trayIconAbsent = true;
        // The running instance shows its window; only when it does not say so does this one
        // tell why it ends.
        if (!m_app.askRunningInstanceToShow())
            s.dialogs->message(this, AppInfo::Title,
                               QStringLiteral("Another instance of ") + AppInfo::Title +
                                   QStringLiteral(" is already running. "),
                               Dialogs::Information);
        m_app.unloadMainWindow();
        s.endProgram(0);
        return PollwickApp::LoadEnd::SecondInstance;
    }

    m_helpFile = StartupRules::findHelpFile(s.config);
    StartupRules::upgradereg(*s.store);
    m_options->LoadOptions();
    st.categories = Categories::load(s.config.programFile(QStringLiteral("categories.db")), *s.log);

    if (s.store->ReadSettingText(QStringLiteral("site_username")).isEmpty()) {
        debug_console(QStringLiteral("No username/firsrun. Showing login wizard."));
        m_trayIconAbsent = true;
        m_app.showFirstRunWizard();
        m_app.unloadMainWindow();
        return PollwickApp::LoadEnd::FirstRun;
    }

    PollwickApp::LoadEnd end = PollwickApp::LoadEnd::NormalStart;
    if (!s.store->ReadSettingText(QStringLiteral("lastparsed")).isEmpty()) {
        minimiseAndHide();
    } else {
        debug_console(QStringLiteral(
            "First run detected. Existing torrents will be ignored. Showing main window."));
        end = PollwickApp::LoadEnd::FirstStart;
        showOptions();
    }

    st.TorrentDbBusy = false;
    tray().reset();
    m_app.trayIcon().add(m_mnuFile);
    m_options->showInterval();
    st.results.clear();
    st.exclusion.clear();
    st.settings.WatchedProcesses = QStringList{QString()};

    // filters.dat has kept one format in every build, so there is nothing to upgrade.
    qint16 none = 0;
    loadfilters(none);
    m_options->loadprocs();
    const StartupRules::CommandLineOptions options =
        StartupRules::get_commandlineoptions(m_app.commandLine());
    st.DeveloperMode = options.developerMode;
    st.LaunchedAtStartup = options.launchedAtStartup;

    // The tray icon comes back when the panel restarts, except in developer mode.
    m_app.trayIcon().setReaddWhenTrayReturns(!st.DeveloperMode);
    if (st.DeveloperMode)
        setWindowTitle(windowTitle() + QStringLiteral(" (developer mode)"));

    m_ui->command_APPLY->setEnabled(false);

    m_scheduler->setIntervalOverride(s.config.checkSecondsOverride());
    if (st.settings.StartupWaitEnabled && st.LaunchedAtStartup)
        m_scheduler->startWait();
    else
        m_scheduler->startChecking();
    return end;
}

void frmMain::unload()
{
    if (m_unloading)
        return;
    m_unloading = true;
    m_scheduler->stop();
    tray().TmrAni().stop();
    if (!m_trayIconAbsent)
        m_app.trayIcon().remove();
    hide();
    // A check waiting for the site runs inside this window's timer handlers and must return
    // through them before the window goes.
    if (m_feedCheck->isRunning()) {
        connect(m_feedCheck.get(), &FeedCheck::checkEnded, this, &QObject::deleteLater);
        m_feedCheck->stop();
    } else {
        deleteLater();
    }
}

void frmMain::minimiseAndHide()
{
    // Only hidden: minimising a shown window asks the window manager to iconify it, and on
    // X11 a request it handles late iconifies the window again the next time it shows (a
    // second start of the program then brought back no window).
    hide();
}

void frmMain::showOptions()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    keepOnScreen();
    show();
    raise();
    activateWindow();
}

void frmMain::bringForward()
{
    showOptions();
    // The main window waits, disabled, for an open filter wizard: that one is what to answer.
    if (FilterWizardWindow *wizard = m_filterList->wizard()) {
        wizard->show();
        wizard->raise();
        wizard->activateWindow();
    }
}

void frmMain::showNoTrayWindow()
{
    debug_console(TrayIcon::noTrayText());
    showOptions();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_unloading) {
        event->accept();
        return;
    }
    // Closing the window only hides it; "Exit" in the tray menu ends the program.
    event->ignore();
    if (optionsDirty()) {
        const QString answer = WindowHelpers::AskYesNo(
            *services().dialogs, this, QStringLiteral("Save Changes?"),
            QStringLiteral("You have unsaved changes. Would you like to save them now? "));
        if (answer == QLatin1String("Y")) {
            m_options->SaveOptions(true);
            return;
        }
    }
    minimiseAndHide();
}

void frmMain::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && isVisible() &&
        !m_unloading) {
        // Hidden once the state change has been handled.
        QTimer::singleShot(0, this, [this] {
            if (isMinimized())
                hide();
        });
    }
}

void frmMain::SaveOptions(bool hide)
{
    m_options->SaveOptions(hide);
}

void frmMain::cancelOptions()
{
    m_options->cancel();
}

void frmMain::setOptionsDirty()
{
    m_ui->command_APPLY->setEnabled(true);
}

bool frmMain::optionsDirty() const
{
    return m_ui->command_APPLY->isEnabled();
}

void frmMain::updateUsernameCaption()
{
    m_options->updateUsernameCaption();
}

void frmMain::checkfeed()
{
    m_feedCheck->checkfeed();
}

void frmMain::seticonnonew()
{
    tray().seticonnonew();
}

void frmMain::debug_console(const QString &message)
{
    services().log->debug_console(message);
}

void frmMain::checkanimation(const QString &word)
{
    tray().checkanimation(word);
}

void frmMain::setTrayTip(const QString &text)
{
    tray().setTip(text);
}

void frmMain::setStatusText(const QString &text)
{
    m_ui->info_timetocheck->setText(text);
}

void frmMain::showNextCheckStatus()
{
    setStatusText(m_scheduler->countdownText());
}

bool frmMain::filteringOn() const
{
    return m_ui->check_filter->isChecked();
}

void frmMain::announce(const Announcement &announcement)
{
    m_app.notifyWindows().announce(announcement);
}

void frmMain::setIntervalControlsPaused(bool paused)
{
    m_ui->Label1->setEnabled(!paused);
    m_ui->Label2->setEnabled(!paused);
    m_ui->text_timetocheck->setEnabled(!paused);
    m_ui->mnuCheck->setEnabled(!paused);
    // A pending edit of the interval is dropped by a pause.
    if (paused)
        m_options->showInterval();
}

void frmMain::applyFilterControls(bool filteringOn)
{
    m_ui->ListView1->setEnabled(filteringOn);
    m_ui->Command1->setEnabled(filteringOn);
    m_ui->Command2->setEnabled(filteringOn);
}

void frmMain::onCheckFilterToggled(bool checked)
{
    const FilterListOps::FilteringBox box =
        FilterListOps::filteringBoxChanged(checked, state().Filters.count());
    if (box.ticked != checked) {
        const QSignalBlocker block(m_ui->check_filter);
        m_ui->check_filter->setChecked(box.ticked);
    }
    applyFilterControls(box.controlsEnabled);
    if (!box.message.isEmpty())
        services().dialogs->message(this, AppInfo::Title, box.message, Dialogs::Information);
    setOptionsDirty();
}

void frmMain::listadd(const QString &text, const QString &state, const QString &action,
                      int position)
{
    auto *item = new QTreeWidgetItem({text, action});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    // A description too long for its column is read whole here.
    item->setToolTip(0, text);
    item->setToolTip(1, text);
    item->setCheckState(0, state == QLatin1String("Yes") ? Qt::Checked : Qt::Unchecked);
    const QSignalBlocker block(m_ui->ListView1);
    m_ui->ListView1->insertTopLevelItem(qBound(0, position, m_ui->ListView1->topLevelItemCount()),
                                        item);
    m_ui->ListView1->clearSelection();
}

void frmMain::loadfilters(qint16 &select)
{
    ProgramState &st = state();
    Services &s = services();
    debug_console(QStringLiteral("Loading filters..."));
    const bool firstLoad = !m_filtersLoaded;
    m_filtersLoaded = true;
    st.Filters.clear();
    m_ui->ListView1->clear();

    bool found = false;
    FilterFile::LimitsReport limits;
    st.Filters =
        FilterFile::read(s.config.programFile(QStringLiteral("filters.dat")), &found, &limits);
    for (const QString &line : std::as_const(limits.dropped))
        debug_console(line);
    if (!limits.setAside.isEmpty())
        m_app.reportBrokenFiles({limits.setAside});
    if (!found) {
        debug_console(QStringLiteral("No filters found. Aborting load."));
        return;
    }

    // The start-up load takes the stored switch. Later loads follow a change of the list and
    // keep the box as the user left it, so a change of the switch not applied yet is not
    // undone by the reload (and ticking a row's box never ticks the switch); they only clear
    // it when no active filter is left. Setting the box runs its handler, which enables or
    // disables the list controls.
    const bool wanted = firstLoad ? s.store->ReadSettingNumber(QStringLiteral("filterenabled")) != 0
                                  : m_ui->check_filter->isChecked();
    const bool filtering = wanted && st.Filters.CountActiveFilters() > 0;
    if (m_ui->check_filter->isChecked() != filtering)
        m_ui->check_filter->setChecked(filtering);
    else
        applyFilterControls(filtering);

    for (int i = 1; i <= st.Filters.count(); ++i)
        listadd(st.Filters.ffname(i),
                st.Filters[i].Enabled ? QStringLiteral("Yes") : QStringLiteral("No"),
                st.Filters[i].Action, i - 1);

    if (select > 0) {
        if (select > st.Filters.count())
            select = qint16(st.Filters.count());
        QTreeWidgetItem *row = m_ui->ListView1->topLevelItem(select - 1);
        m_ui->ListView1->setCurrentItem(row);
        row->setSelected(true);
        m_ui->ListView1->scrollToItem(row);
    }
    debug_console(QStringLiteral("Filters successfully loaded."));
}

bool frmMain::savefilters()
{
    Services &s = services();
    const QString path = s.config.programFile(QStringLiteral("filters.dat"));
    QString error;
    QString failed;
    if (FilterFile::write(path, state().Filters, &error, &failed))
        return true;
    debug_console(QStringLiteral("Unable to save filters: ") + error);
    s.dialogs->message(this, AppInfo::Title,
                       QStringLiteral("Your filters could not be saved to %1: %2\nThe file "
                                      "keeps what it held before.")
                           .arg(failed, error),
                       Dialogs::Critical);
    return false;
}

void frmMain::showprofile()
{
    m_account->showProfile();
}

void frmMain::Toast(QString &text, const QString &tail)
{
    m_notify->Toast(text, tail);
}

void frmMain::highlightfilter(int slot)
{
    NotifyWindows &notify = m_app.notifyWindows();
    notify.closeTorrentInfo();
    notify.minimiseSummary();
    m_ui->SSTab1->setCurrentIndex(2);
    showOptions();
    QTreeWidget *list = m_ui->ListView1;
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

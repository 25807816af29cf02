#include "core/frmMain.h"

#include "account/AccountWindows.h"
#include "core/CheckScheduler.h"
#include "core/DebugPanel.h"
#include "core/HandoffPanel.h"
#include "core/NoTrayPanel.h"
#include "core/OptionsPage.h"
#include "core/TrayIconState.h"
#include "feed/FeedCheck.h"
#include "filters/FilterListController.h"
#include "notify/NotifyController.h"
#include "notify/NotifyWindows.h"
#include "platform/AppInfo.h"
#include "platform/DebugConsole.h"
#include "platform/Dialogs.h"
#include "platform/ProgramIcon.h"
#include "platform/ScreenMetrics.h"
#include "platform/Shell.h"
#include "platform/WindowHelpers.h"
#include "platform/WindowPlacement.h"
#include "search/SearchOpener.h"
#include "search/SearchWindows.h"
#include "ui_frmMain.h"

#include <QCloseEvent>
#include <QMenu>
#include <QTimer>

frmMain::frmMain(PollwickApp &app, QWidget *parent)
    : QWidget(parent), m_app(app), m_ui(std::make_unique<Ui::frmMain>())
{
    m_ui->setupUi(this);
    // A tool window stays out of the task bar on the desktops that honour it.
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(ProgramIcon::icon());
    setWindowTitle(AppInfo::Title);

    Services &s = services();
    m_scheduler = std::make_unique<CheckScheduler>(state().settings, tray(), *this, *s.log,
                                                   *s.processes, s.siteWait);
    m_feedCheck = std::make_unique<FeedCheck>(s, state(), *this);
    m_notify = std::make_unique<NotifyController>(*this, *this, s, state(), *m_feedCheck,
                                                  m_app.downloadWindows());
    Ui::frmMain &ui = *m_ui;
    // Where downloaded torrents go has a tab of its own, after the four of the form.
    auto *handoff = new HandoffPanel(*s.network);
    ui.SSTab1->addTab(handoff, QStringLiteral("Torrent Client "));
    m_options =
        std::make_unique<OptionsPage>(*this, ui, *handoff, s, state().settings, *m_scheduler);
    m_debug = std::make_unique<DebugPanel>(*this, ui, s, state());
    m_filterList = std::make_unique<FilterListController>(
        *this, *this,
        FilterListController::Controls{ui.ListView1, ui.Command1, ui.Command2, ui.command_addfilter,
                                       ui.check_filter},
        s, state(), m_app.searchWindows().databases());
    m_account = std::make_unique<AccountWindows>(*this, *this, ui.info_username, ui.mnuAbout, s,
                                                 state().settings);
    buildMenu();
    m_noTray = std::make_unique<NoTrayPanel>(
        m_app.trayIcon(), m_ui->info_notray, m_ui->command_menu, m_mnuFile,
        NoTrayPanel::NewTorrents{[this] { return !state().results.isEmpty(); },
                                 [this] { m_app.onTrayDoubleClick(); }},
        [this] { applyWindowHeight(); });
    connectControls();
}

frmMain::~frmMain()
{
    m_scheduler->stop();
    delete m_mnuFile;
}

void frmMain::buildMenu()
{
    // No parent widget: a menu that is a child of the main window is disabled with it, and the
    // main window is disabled while a filter wizard is open; the tray menu (Exit included) must
    // stay usable then. The window deletes the menu itself.
    m_mnuFile = new QMenu(QStringLiteral("Menu"));
    m_mnuFile->setObjectName(QStringLiteral("mnuFile"));
    const Ui::frmMain &ui = *m_ui;
    // A null entry is a separator.
    const QList<QAction *> entries = {ui.mnuInbox,  ui.mnuCheck, ui.mnuOptions, nullptr,
                                      ui.mnuSearch, nullptr,     ui.mnuPause,   nullptr,
                                      ui.mnuAbout,  ui.mnuExit};
    for (QAction *entry : entries) {
        if (entry)
            m_mnuFile->addAction(entry);
        else
            m_mnuFile->addSeparator();
    }
    m_mnuFile->setDefaultAction(ui.mnuInbox);
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

void frmMain::reportBrokenFiles(const QStringList &lines)
{
    m_app.reportBrokenFiles(lines);
}

void frmMain::unload()
{
    if (m_unloading)
        return;
    m_unloading = true;
    m_scheduler->stop();
    tray().TmrAni().stop();
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
    m_filterList->raiseOpenWizard();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_unloading) {
        event->accept();
        return;
    }
    // Closing the window only hides it; "Exit" in the tray menu ends the program.
    event->ignore();
    if (m_ui->command_APPLY->isEnabled()) {
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

void frmMain::setOptionsDirty()
{
    m_ui->command_APPLY->setEnabled(true);
}

void frmMain::checkfeed()
{
    m_feedCheck->checkfeed();
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

void frmMain::highlightfilter(int slot)
{
    NotifyWindows &notify = m_app.notifyWindows();
    notify.closeTorrentInfo();
    notify.minimiseSummary();
    m_ui->SSTab1->setCurrentIndex(FilterTab);
    showOptions();
    m_filterList->highlight(slot);
}

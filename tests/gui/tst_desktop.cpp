#include "account/frmFirstRun.h"
#include "core/DesktopNotifier.h"
#include "core/InstanceChannel.h"
#include "core/LoginRefusalNotice.h"
#include "filters/FilterListController.h"
#include "filters/FilterWizardWindow.h"
#include "MainWindowHarness.h"
#include "notify/frmSummary.h"
#include "notify/NotifyWindows.h"
#include "search/frmSearch.h"
#include "search/SearchWindows.h"

#include <QLocalSocket>
#include <QSignalSpy>
#include <QtWidgets>

// The program on a Linux desktop: reachable without a tray (the window once, a second start
// bringing it back), windows and texts that fit the font and the screen, and a refused login
// said once.
class TestDesktop : public MainWindowTest
{
    Q_OBJECT
    bool trayAvailable = false;
    const QFont m_font = QApplication::font();

private slots:
    void init()
    {
        trayAvailable = false;
        MainWindowTest::init();
    }
    void cleanup()
    {
        QApplication::setFont(m_font);
        qApp->setStyleSheet(QString());
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<QMenu *>(w))
                w->hide();
        MainWindowTest::cleanup();
    }

    // Without a tray the window carries a line that says so and a "Menu" button with the tray
    // menu. The first look after 10 seconds shows the window once; a tray found there, or
    // later, takes the line away.
    void withoutATray_data()
    {
        QTest::addColumn<bool>("trayAtFirstLook");
        QTest::newRow("no tray") << false;
        QTest::newRow("a tray") << true;
    }
    void withoutATray()
    {
        QFETCH(bool, trayAtFirstLook);
        makeTrayStart();
        TrayIcon &icon = m->app->trayIcon();
        icon.setAvailabilityProbe([this] { return trayAvailable; });
        QCOMPARE(m->app->start(), PollwickApp::LoadEnd::NormalStart);
        frmMain *w = m->window();
        QVERIFY(!w->isVisible());
        QVERIFY(label("info_notray")->isVisibleTo(w) && button("command_menu")->isVisibleTo(w));
        QCOMPARE(label("info_notray")->text(),
                 QStringLiteral("No notification area found: Pollwick keeps running and shows "
                                "its popups; start Pollwick again to open this window."));
        const int heightWithLine = w->height();

        trayAvailable = trayAtFirstLook;
        icon.onTmrTrayTick();
        QCOMPARE(w->isVisible(), !trayAtFirstLook);
        QCOMPARE(m->messages().contains(TrayIcon::noTrayText()), !trayAtFirstLook);
        QCOMPARE(label("info_notray")->isVisibleTo(w), !trayAtFirstLook);
        if (trayAtFirstLook)
            return;
        // The button's menu: the tray menu's items, and "New Torrents" first while results wait.
        for (const bool waiting : {false, true}) {
            if (waiting)
                m->state().results = {{0, "a.torrent", "1", 0, "TV", "A", 700041}};
            QTest::mouseClick(button("command_menu"), Qt::LeftButton);
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu && menu->objectName() == "mnuNoTray");
            QStringList captions; // a separator has none
            for (const QAction *a : menu->actions())
                captions << a->text();
            QCOMPARE(captions.join('|'), QString(waiting ? "New Torrents||" : "") +
                                             "Visit Vellumstacks|Check for new torrents|Options||"
                                             "Search for torrents||Pause||About|Exit");
            QCOMPARE(menu->defaultAction()->text(), QStringLiteral("Visit Vellumstacks"));
            if (waiting) {
                menu->actions().first()->trigger();
                QVERIFY(m->app->notifyWindows().summary()->isVisible());
                m->app->notifyWindows().summary()->hide();
            }
            menu->hide();
        }
        QVERIFY(!w->close());
        icon.onTmrTrayTick(); // only the first look shows the window
        QVERIFY(!w->isVisible());
        QCOMPARE(m->messages().count(TrayIcon::noTrayText()), 1);

        trayAvailable = true;
        icon.onTmrTrayTick();
        QVERIFY(!label("info_notray")->isVisibleTo(w) && !button("command_menu")->isVisibleTo(w));
        QVERIFY(w->height() <= heightWithLine);
    }

    // A second start asks the running instance to show its window (the first-run wizard, or a
    // filter wizard in front of the window, while one is open) and ends without a word once it
    // answers (when none answers, tst_frmmain's instance lock). A socket a crash left behind is
    // cleared by the instance that holds the lock.
    void secondStart_data()
    {
        QTest::addColumn<QString>("open");
        QTest::newRow("options window") << "";
        QTest::newRow("socket left by a crash") << "stale";
        QTest::newRow("first-run wizard") << "firstrun";
        QTest::newRow("filter wizard") << "filterwizard";
    }
    void secondStart()
    {
        QFETCH(QString, open);
        const QString socket = InstanceChannel::socketPath(m->env.services.config);
        if (open == "stale")
            QVERIFY(ReplaceFileAtomically(socket, "left behind"));
        open == "firstrun" ? m->makeApp() : makeTrayStart();
        m->app->start();
        QVERIFY(m->app->listensForSecondStarts());
        QWidget *front = m->window();
        if (open == "firstrun") {
            front = m->app->firstRunWizard();
            QVERIFY(front && !m->window());
        } else if (open == "filterwizard") {
            m->window()->showOptions();
            m->window()->filterList().addfilter();
            front = m->window()->filterList().wizard();
            QVERIFY(front && front->isVisible());
            m->window()->minimiseAndHide();
        }
        front->hide();

        PollwickApp second(m->env.services, {"/usr/bin/pollwick"});
        QCOMPARE(second.start(), PollwickApp::LoadEnd::SecondInstance);
        QCOMPARE(m->env.endProgramCalls, QList<int>{0});
        QCOMPARE(m->env.dialogs.pending(), 0); // without a word
        QVERIFY(front->isVisible());
        QTRY_COMPARE(QApplication::activeWindow(), front);
        if (m->window())
            QVERIFY(m->window()->isVisible() && !m->window()->isMinimized());
        if (open == "filterwizard")
            m->window()->filterList().wizard()->close();
    }

    // Eight connections are served at once and a ninth is closed at once; one that sends
    // nothing is closed after the idle time; then a second start is answered again.
    void instanceSocketLimits()
    {
        InstanceChannel channel;
        channel.setIdleMs(3000);
        const QString path = m->env.file("limits.socket");
        QVERIFY(channel.listen(path, nullptr));
        std::vector<std::unique_ptr<QLocalSocket>> clients;
        for (int i = 0; i < InstanceChannel::MaxConnections + 1; ++i) {
            clients.push_back(std::make_unique<QLocalSocket>());
            clients.back()->connectToServer(path);
            QVERIFY(clients.back()->waitForConnected(2000));
            QTRY_COMPARE(channel.connectionCount(), std::min(i + 1, 8));
        }
        const auto open = [&] {
            return int(std::count_if(clients.begin(), clients.end(), [](const auto &c) {
                return c->state() == QLocalSocket::ConnectedState;
            }));
        };
        QTRY_COMPARE(clients.back()->state(), QLocalSocket::UnconnectedState);
        QCOMPARE(open(), 8);
        QTRY_COMPARE_WITH_TIMEOUT(open(), 0, 10000);
        QCOMPARE(channel.connectionCount(), 0);
        QSignalSpy shown(&channel, &InstanceChannel::showRequested);
        QVERIFY(InstanceChannel::askToShow(path, nullptr));
        QTRY_COMPARE(shown.count(), 1);
    }

    // All five tabs whole, and every caption within its control, at a wide font (the usual
    // one needs less room).
    void fitsTheFont()
    {
        QApplication::setFont(QFont("DejaVu Sans", 13));
        QVERIFY(QFontInfo(QApplication::font()).pointSize() >= 13);
        m->startShown();
        QVERIFY(m->window()->isVisible()); // else nothing is laid out
        auto *tabs = m->control<QTabWidget>("SSTab1");
        const QTabBar *bar = tabs->tabBar();
        QCOMPARE(bar->count(), 5);
        QVERIFY(bar->geometry().right() < tabs->width());
        for (int i = 0; i < bar->count(); ++i) {
            const QRect tab = bar->tabRect(i);
            QVERIFY2(tab.left() >= 0 && tab.right() < bar->width(), qPrintable(bar->tabText(i)));
            QVERIFY2(tab.width() >= bar->fontMetrics().horizontalAdvance(bar->tabText(i)),
                     qPrintable(bar->tabText(i)));
            // Each page of a tab, and of a stack of pages inside it, as it shows.
            tabs->setCurrentIndex(i);
            for (QStackedWidget *stack : tabs->currentWidget()->findChildren<QStackedWidget *>()) {
                for (int page = 0; page < stack->count(); ++page) {
                    stack->setCurrentIndex(page);
                    captionsFit(tabs->currentWidget());
                }
            }
            captionsFit(tabs->currentWidget());
        }
    }

    // "New Torrents" and "Search Torrents" at their smallest: every header caption whole with
    // 12 pixels to spare, every button at its size hint, "All Categories" whole; never smaller
    // than the sizes they always had, and wider where the font needs it.
    void smallestWindowsFitTheFont_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("pointSize"); // 0: the usual font
        QTest::addColumn<int>("padding");   // of each push button's caption, left and right
        QTest::addColumn<QSize>("part");    // the smallest size the window always had
        const QSize summary(639, 182), search(286, 212);
        QTest::newRow("New Torrents, usual font") << "frmSummary" << 0 << 0 << summary;
        QTest::newRow("New Torrents, DejaVu Sans 14") << "frmSummary" << 14 << 0 << summary;
        QTest::newRow("New Torrents, wide buttons") << "frmSummary" << 0 << 120 << summary;
        QTest::newRow("Search Torrents, usual font") << "frmSearch" << 0 << 0 << search;
        QTest::newRow("Search Torrents, DejaVu Sans 14") << "frmSearch" << 14 << 0 << search;
        QTest::newRow("Search Torrents, wide buttons") << "frmSearch" << 0 << 120 << search;
    }
    void smallestWindowsFitTheFont()
    {
        QFETCH(QString, window);
        QFETCH(int, pointSize);
        QFETCH(int, padding);
        QFETCH(QSize, part);
        if (pointSize > 0)
            QApplication::setFont(QFont("DejaVu Sans", pointSize));
        qApp->setStyleSheet(QString("QPushButton { padding: 0 %1px; }").arg(padding));
        m->startShown();
        if (window == "frmSummary")
            m->app->notifyWindows().summaryWindow().present();
        else
            m->app->searchOpener().showSearchWindow();
        QWidget *w = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets())
            w = top->objectName() == window ? top : w;
        w->resize(1, 1);
        QTRY_VERIFY(!w->findChild<QTimer *>("resize")->isActive()); // the columns are set
        auto *list = w->findChild<QTreeView *>();
        if (auto *combo = w->findChild<QComboBox *>("combo_cat")) {
            QStyleOptionComboBox option;
            option.initFrom(combo);
            const QRect text = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                              QStyle::SC_ComboBoxEditField, combo);
            QVERIFY(text.width() >= combo->fontMetrics().horizontalAdvance("All Categories"));
        }
        w->layout()->activate();
        QCOMPARE(w->size(), w->minimumSize());
        QCOMPARE(w->minimumSize().expandedTo(part), w->minimumSize());
        QCOMPARE(w->minimumHeight(), part.height());
        if (pointSize + padding > 0)
            QVERIFY(w->minimumWidth() > part.width() + 100);
        const QHeaderView *header = list->header();
        for (int i = 0; i < header->count(); ++i) {
            const QString caption = list->model()->headerData(i, Qt::Horizontal).toString();
            QVERIFY2(header->sectionSize(i) >=
                         header->fontMetrics().horizontalAdvance(caption) + 12,
                     qPrintable(caption));
        }
        for (const QPushButton *b : w->findChildren<QPushButton *>())
            QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->text()));
        w->close();
    }

    // Growing the window for the debug log, or showing it, keeps it inside a work area shorter
    // than the window with the log (where it goes for each edge is tst_windowhelpers').
    void keptInsideTheWorkArea()
    {
        const QRect work(0, 0, 1024, 580);
        m->env.screen = FixedScreenMetrics(QRect(0, 0, 1024, 700), work);
        m->startShown();
        frmMain *w = m->window();
        const auto inside = [&] { return work.contains(w->frameGeometry()); };
        QVERIFY(inside());
        const int before = w->height();
        WidgetFinder::clickOption(m->control<QCheckBox>("showdebug_check"));
        QTest::mouseClick(button("command_APPLY"), Qt::LeftButton);
        QVERIFY(w->height() > before + 100);
        QVERIFY(inside());
        w->move(work.right() - 50, work.bottom() - 50);
        QTest::mouseClick(button("command_OK"), Qt::LeftButton);
        m->control<QAction>("mnuOptions")->trigger();
        QVERIFY(inside());
    }

    // The description (its words are the filter tab tests') takes the width the action leaves
    // and is the row's tooltip; the debug
    // log shows its newest line when the window opens, and long lines whole.
    void listsShowTheirText()
    {
        const QString keywords = "Harbour.Patrol, The.Long.Running.Show.Name, "
                                 "Another.Keyword.Set, And.Yet.Another.One.To.Be.Sure";
        QVERIFY(ReplaceTextFileAtomically(m->env.file("filters.dat"),
                                          "110" + keywords + "\r\n*\r\n111linux\r\n*\r\n"));
        m->env.store->WriteSettingNumber("showdebug", 1);
        makeTrayStart();
        m->app->start();
        for (int i = 0; i < 300; ++i)
            m->env.services.log->debug_console(QStringLiteral("line %1").arg(i));
        const QString longLine =
            "Failed: " + QString("a long line of the debug log that goes on ").repeated(2);
        m->env.services.log->debug_console(longLine);
        auto *log = m->control<QListWidget>("List1");
        QTRY_COMPARE(log->count(), m->env.log->lines().size()); // filled while hidden
        m->control<QAction>("mnuOptions")->trigger();
        m->control<QTabWidget>("SSTab1")->setCurrentIndex(2);

        auto *filters = m->control<QTreeWidget>("ListView1");
        QCOMPARE(filters->topLevelItem(0)->toolTip(0),
                 "Contains " + keywords + " in all categories");
        QCOMPARE(filters->topLevelItem(1)->toolTip(1), "Contains linux in all categories");
        const int filterColumn = filters->columnWidth(0);
        const int actionColumn = filters->columnWidth(1);
        QVERIFY(filterColumn > 2 * actionColumn);
        QVERIFY(actionColumn >= filters->fontMetrics().horizontalAdvance("Download"));
        QVERIFY(filterColumn + actionColumn >= filters->viewport()->width() - 1);

        QListWidgetItem *newest = log->item(log->count() - 1);
        QVERIFY(newest->text().endsWith(longLine));
        QTRY_VERIFY(log->viewport()->rect().contains(log->visualItemRect(newest)) ||
                    log->visualItemRect(newest).bottom() <= log->viewport()->height());
        QVERIFY(log->visualItemRect(newest).top() >= 0);
        const int textWidth = log->fontMetrics().horizontalAdvance(newest->text());
        QVERIFY(log->visualItemRect(newest).width() >= textWidth);
    }

    // The words name this platform: the start at login, this computer. (Any program file is
    // tst_frmmain's watched program list.)
    void wordsOfThisPlatform()
    {
        m->startShown();
        QCOMPARE(m->control<QCheckBox>("startup_check")->text(), "Run Pollwick when I log in");
        QCOMPARE(m->control<QCheckBox>("wait_check")->text(),
                 "Wait before initially checking for torrents when started at login");
        QStringList texts;
        for (const QAbstractButton *b : m->window()->findChildren<QAbstractButton *>())
            texts << b->text();
        for (const QLabel *l : m->window()->findChildren<QLabel *>())
            texts << l->text();
        for (const QString &text : std::as_const(texts))
            QVERIFY2(!text.contains("Windows") && !text.contains(QRegularExpression("\\bPC\\b")) &&
                         !text.contains(".exe"),
                     qPrintable(text));
    }

    // A refused login is said once, not on the retry (the next check's silence is
    // tst_loginrefusalnotice's); again after the details change; withdrawn when a check gets
    // through. Without a tray the notice is the stand-in line; with one it is the tray's message.
    void refusedLoginSaidOnce()
    {
        makeTrayStart();
        m->env.store->WriteSettingText("site_password", ScrambleText("wrong"));
        m->app->start();
        const QString notice = "notify: " + LoginRefusalNotice::text();
        QCOMPARE(m->site.requestsTo("/bots.php").size(), 2);
        QCOMPARE(m->env.notifier.events, QStringList{notice});
        QCOMPARE(m->env.notifier.titles, QStringList{"Pollwick"});
        m->state().settings.SitePassword = "still wrong";
        m->control<QAction>("mnuCheck")->trigger();
        QCOMPARE(m->env.notifier.events, QStringList({notice, "withdraw", notice}));
        m->state().settings.SitePassword = m->site.password();
        m->control<QAction>("mnuCheck")->trigger();
        QCOMPARE(m->env.notifier.events, QStringList({notice, "withdraw", notice, "withdraw"}));

        TrayIcon &icon = m->app->trayIcon();
        DesktopNotifier desktop(icon);
        desktop.notify("Pollwick", LoginRefusalNotice::text());
        QCOMPARE(label("info_notray")->text(), LoginRefusalNotice::text());
        desktop.withdraw();
        QCOMPARE(label("info_notray")->text(), TrayIcon::noTrayText());
        icon.setAvailabilityProbe([this] { return trayAvailable; });
        trayAvailable = true;
        icon.onTmrTrayTick();
        desktop.notify("Pollwick", LoginRefusalNotice::text());
        QCOMPARE(icon.standInText(), TrayIcon::noTrayText());
        trayAvailable = false; // the panel went away
        icon.onTmrTrayTick();
        desktop.notify("Pollwick", LoginRefusalNotice::text());
        QCOMPARE(label("info_notray")->text(), LoginRefusalNotice::text());
    }

private:
    // The program of a stored user whose last check saw the site's newest torrent, not started:
    // it starts to the tray.
    void makeTrayStart()
    {
        m->storeUser();
        m->env.store->WriteSettingText("lastparsed", "700040");
        m->makeApp();
    }
    // Every caption shown within its control.
    void captionsFit(QWidget *page)
    {
        // (A push button's hint asks for a width of its own beyond its caption.)
        for (const QAbstractButton *b : page->findChildren<QAbstractButton *>())
            if (b->isVisibleTo(page))
                QVERIFY2(b->width() >= (qobject_cast<const QPushButton *>(b)
                                            ? b->fontMetrics().horizontalAdvance(b->text())
                                            : b->minimumSizeHint().width()),
                         qPrintable(b->text()));
        for (const QLabel *l : page->findChildren<QLabel *>())
            if (l->isVisibleTo(page))
                QVERIFY2(l->width() >= l->minimumSizeHint().width(), qPrintable(l->text()));
    }
    QPushButton *button(const char *name) const { return m->control<QPushButton>(name); }
    QLabel *label(const char *name) const { return m->control<QLabel>(name); }
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"

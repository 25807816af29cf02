#include "core/CheckScheduler.h"
#include "core/TrayIconState.h"
#include "FileRewriteCounter.h"
#include "filters/FilterListController.h"
#include "MainWindowHarness.h"

#include <QLockFile>
#include <QProcess>
#include <QtWidgets>

// The main window, its options page, tray menu and debug log, driven through objectNames.
class TestFrmMain : public MainWindowTest
{
    Q_OBJECT
    bool trayAvailable = false;

private slots:

    // A start with a stored user and a last check goes to the tray (a first start, which shows
    // the window, is every other test's); it checks at once unless started at logon with the
    // start-up wait on. POLLWICK_CHECK_SECONDS runs the countdown without changing the interval.
    void startPaths_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("lastparsed");
        QTest::addColumn<int>("waitEnabled");
        QTest::addColumn<QString>("checkSeconds");
        QTest::addColumn<QString>("request"); // none while the start-up wait runs
        QTest::addColumn<QString>("countdown");
        const auto row = [](const char *name, const QStringList &arguments, const char *lastparsed,
                            int wait, const char *checkSeconds, const QString &request,
                            const char *countdown) {
            QTest::newRow(name) << arguments << lastparsed << wait << checkSeconds << request
                                << countdown;
        };
        const QString feed = "/bots.php?startid=%1&limit=150&u=demo&p=demo&v=11&c=1";
        row("silent start, wait on", {}, "700030", 1, "", feed.arg(700030), "10m 00s");
        row("at logon, wait off", {"/startup"}, "700030", 0, "", feed.arg(700030), "10m 00s");
        row("at logon, wait on", {"/startup"}, "700030", 1, "", "", "05m 00s");
        row("/dev inside a word", {"/device"}, "700035", 0, "", feed.arg(700005), "10m 00s");
        row("checks every 20 seconds", {}, "700030", 0, "20", feed.arg(700030), "00m 20s");
    }
    void startPaths()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, lastparsed);
        QFETCH(int, waitEnabled);
        QFETCH(QString, checkSeconds);
        QFETCH(QString, request);
        qputenv("POLLWICK_CHECK_SECONDS", checkSeconds.toLatin1());
        m->env.services.config = AppConfig::fromEnvironment();
        qunsetenv("POLLWICK_CHECK_SECONDS");
        m->storeUser();
        m->env.store->WriteSettingText("lastparsed", lastparsed);
        m->env.store->WriteSettingNumber("startupwaitenabled", qint16(waitEnabled));
        QCOMPARE(start(arguments), PollwickApp::LoadEnd::NormalStart);
        QVERIFY(!m->window()->isVisible() && m->app->trayIcon().wanted());
        const bool waits = request.isEmpty();
        QCOMPARE(m->site.requests().size(), waits ? 0 : 1);
        if (!waits)
            QCOMPARE(QString::fromLatin1(m->site.lastRequest().target), request);
        QCOMPARE(m->window()->scheduler().TmrWait().isActive(), waits);
        QCOMPARE(action("mnuPause")->isEnabled(), !waits);
        QFETCH(QString, countdown);
        QCOMPARE(label("info_timetocheck")->text(), "Next check in " + countdown);
        QCOMPARE(m->window()->windowTitle().endsWith(" (developer mode)"),
                 arguments.contains("/device"));
        QCOMPARE(edit("text_timetocheck")->text(), QStringLiteral("10"));
        QCOMPARE(m->env.store->ReadSettingNumber("interval"), qint16(600));
    }

    // Another instance holding the lock that does not answer refuses the start, with the reason
    // logged, before the settings are upgraded; the lock a crashed instance leaves behind,
    // naming a process that has ended, is taken over.
    void instanceLock()
    {
        m->storeUser();
        m->env.store->WriteSettingText("appbuild", "507");
        const QString path = PollwickApp::lockFilePath(m->env.services.config);
        {
            QLockFile held(path);
            QVERIFY(held.tryLock(0));
            QCOMPARE(start(), PollwickApp::LoadEnd::SecondInstance);
        }
        QCOMPARE(said(), "Another instance of Pollwick is already running. ");
        QCOMPARE(m->env.endProgramCalls, QList<int>{0});
        QVERIFY(m->messages().last().startsWith("Unable to reach the running instance: "));
        QVERIFY(m->messages().last().size() > 40); // with the reason
        QVERIFY(m->site.requests().isEmpty());
        QCOMPARE(m->env.store->ReadSettingText("appbuild"), QStringLiteral("507"));

        QProcess ended;
        ended.start("true", {});
        QVERIFY(ended.waitForStarted(5000));
        const qint64 pid = ended.processId();
        QVERIFY(ended.waitForFinished(5000));
        QVERIFY(ReplaceFileAtomically(path, QByteArray::number(pid) + "\npollwick\n\n"));
        QCOMPARE(start(), PollwickApp::LoadEnd::FirstStart);
    }

    // A stored file that cannot be read is renamed to its name + ".bad" (an older copy
    // replaced) before anything is written, said in the log and in one message per start; the
    // program goes on as without the file. A file that reads is left alone.
    void brokenFilesAreKept_data()
    {
        QTest::addColumn<QString>("settings"); // "random", "folder" or "good" (the user stored)
        QTest::addColumn<QString>("filters");  // "random", "lines" or "" (none)
        QTest::addColumn<PollwickApp::LoadEnd>("end");
        using E = PollwickApp::LoadEnd;
        const auto row = [](const char *name, const char *settings, const char *filters, E end) {
            QTest::newRow(name) << QString(settings) << QString(filters) << end;
        };
        row("settings.reg of random bytes", "random", "", E::FirstRun);
        row("settings.reg a folder", "folder", "lines", E::FirstRun);
        row("filters.dat of random bytes", "good", "random", E::FirstStart);
        row("both, older copies replaced", "random", "random", E::FirstRun);
        row("files that read stay", "good", "lines", E::FirstStart);
    }
    void brokenFilesAreKept()
    {
        QFETCH(QString, settings);
        QFETCH(QString, filters);
        const QString settingsPath = m->env.services.config.settingsPath();
        const QString filtersPath = m->env.file("filters.dat");
        QByteArray random;
        QRandomGenerator rng(12);
        for (int i = 0; i < 4096; ++i)
            random += char(rng.bounded(256));
        random.replace('\r', 'x'); // no line end of the files' own kind
        QVERIFY(ReplaceFileAtomically(settingsPath + ".bad", "older"));
        QVERIFY(ReplaceFileAtomically(filtersPath + ".bad", "older"));
        if (settings == "good")
            m->storeUser();
        else if (settings == "folder")
            QVERIFY(QDir().mkpath(settingsPath + "/inside"));
        else
            QVERIFY(ReplaceFileAtomically(settingsPath, random));
        if (!filters.isEmpty())
            QVERIFY(
                ReplaceFileAtomically(filtersPath, filters == "random" ? random : "110a\r\n*\r\n"));

        m->makeApp();
        int wizards = 0;
        m->app->setFirstRunWizard([&] { ++wizards; });
        QTEST(m->app->start(), "end");
        QStringList expected;
        if (settings != "good")
            expected << "settings.reg could not be read; kept as " + settingsPath + ".bad";
        if (filters == "random")
            expected << "filters.dat could not be read; kept as " + filtersPath + ".bad";
        for (const QString &line : std::as_const(expected))
            QCOMPARE(m->messages().count(line), 1);
        // The copy set aside (made at the usual umask) is the user's alone from this start on.
        if (settings != "folder") {
            QCOMPARE(QFileInfo(settingsPath + ".bad").permissions() &
                         (QFileDevice::ReadGroup | QFileDevice::ReadOther),
                     QFileDevice::Permissions());
            QCOMPARE(m->messages().filter("settings.reg.bad could be opened by other").size(), 1);
        }
        if (!expected.isEmpty()) {
            const ScriptedDialogs::Shown box = m->env.dialogs.take();
            QCOMPARE(box.caption, QStringLiteral("Pollwick"));
            QCOMPARE(box.text, expected.join('\n'));
            QCOMPARE(box.icon, Dialogs::Information);
        }
        QCOMPARE(m->env.dialogs.pending(), 0);
        // The files as they were, under their new names; the program's files are fresh.
        QCOMPARE(QFileInfo(settingsPath + ".bad").isDir(), settings == "folder");
        if (settings == "random")
            QCOMPARE(TestEnv::readFile(settingsPath + ".bad"), random);
        if (settings != "good")
            QVERIFY(TestEnv::readFile(settingsPath).startsWith("REGEDIT4\r\n"));
        QCOMPARE(TestEnv::readFile(filtersPath + ".bad"),
                 filters == "random" ? random : QByteArray("older"));
        QCOMPARE(QFile::exists(filtersPath), filters == "lines");
        QCOMPARE(m->messages().contains("Filters successfully loaded."),
                 filters == "lines" && settings == "good");
        QCOMPARE(wizards, settings == "good" ? 0 : 1);
        if (settings != "good" || filters != "lines")
            return;
        // Broken while the program runs: the next write sets it aside, and the message comes
        // once that write (which may be part of a check) has returned.
        QVERIFY(ReplaceFileAtomically(settingsPath, "garbage"));
        QVERIFY(m->env.store->WriteSettingText("lastparsed", "700001"));
        QCOMPARE(m->env.dialogs.pending(), 0);
        QTRY_COMPARE(m->env.dialogs.pending(), 1);
        QCOMPARE(said(), "settings.reg could not be read; kept as " + settingsPath + ".bad");
        QCOMPARE(TestEnv::readFile(settingsPath + ".bad"), QByteArray("garbage"));
    }

    // Apply runs the checks of the options core tests' table: a notice, or the critical box
    // for the folder; a box that does not hold a number shows the stored value again.
    void applyValidates()
    {
        startShown();
        FileRewriteCounter rewrites(m->env.services.config.settingsPath());
        QVERIFY(rewrites.isValid());
        // The box shown again must not take back the other pending change.
        const bool sound = m->state().settings.PlaySound == 1;
        WidgetFinder::clickOption(box("sound_check"));
        type(edit("text_timetocheck"), "soon");
        QTest::mouseClick(button("command_APPLY"), Qt::LeftButton);
        const auto shown = m->env.dialogs.take();
        QCOMPARE(shown.text, QStringLiteral("Please enter time in minutes "));
        QCOMPARE(shown.icon, Dialogs::Information);
        QCOMPARE(edit("text_timetocheck")->text(), QStringLiteral("10"));
        QVERIFY(button("command_APPLY")->isEnabled());
        const QString folder = edit("text_torrentpath")->text();
        type(edit("text_torrentpath"), "/nowhere/");
        QTest::mouseClick(button("command_APPLY"), Qt::LeftButton);
        QCOMPARE(m->env.dialogs.take().icon, Dialogs::Critical);
        QVERIFY(button("command_APPLY")->isEnabled() && m->window()->isVisible());
        type(edit("text_torrentpath"), folder);
        type(edit("text_timetocheck"), "2.5");
        QCOMPARE(rewrites.count(), 0); // a failed validation writes nothing
        QTest::mouseClick(button("command_APPLY"), Qt::LeftButton);
        QVERIFY(!button("command_APPLY")->isEnabled());
        // The interval, every option and the user details are one rewrite of the file.
        QCOMPARE(rewrites.count(), 1);
        QCOMPARE(m->env.store->ReadSettingNumber("interval"), qint16(150));
        QCOMPARE(m->env.store->ReadSettingNumber("playsound") != 0, !sound);
        QCOMPARE(label("info_timetocheck")->text(), QStringLiteral("Next check in 02m 30s"));
    }

    // Typing the interval back clears Apply; Cancel puts back what the page held; OK saves,
    // shows the folder as stored and hides.
    void okAndCancel()
    {
        startShown();
        frmMain *w = m->window();
        type(edit("text_timetocheck"), "11");
        QVERIFY(button("command_APPLY")->isEnabled());
        type(edit("text_timetocheck"), "10");
        QVERIFY(!button("command_APPLY")->isEnabled());
        WidgetFinder::clickOption(box("onetime_check"));
        QVERIFY(!m->state().settings.AlertOnce);
        type(edit("text_timetocheck"), "33");
        const QString folder = edit("text_torrentpath")->text();
        browse("/");
        QCOMPARE(edit("text_torrentpath")->text(), QStringLiteral("/")); // ends in "/" already
        QTest::mouseClick(button("command_CANCEL"), Qt::LeftButton);
        QVERIFY(box("onetime_check")->isChecked() && m->state().settings.AlertOnce);
        QCOMPARE(edit("text_timetocheck")->text(), QStringLiteral("10"));
        QCOMPARE(edit("text_torrentpath")->text(), folder);
        QVERIFY(!button("command_APPLY")->isEnabled() && !w->isVisible());

        action("mnuOptions")->trigger();
        const int withoutLog = w->height();
        browse(folder.chopped(1));
        QCOMPARE(edit("text_torrentpath")->text(), folder);
        m->control<QComboBox>("double_combo")->setCurrentIndex(1);
        emit m->control<QComboBox>("double_combo")->activated(1);
        WidgetFinder::clickOption(box("showdebug_check"));
        QTest::mouseClick(button("command_OK"), Qt::LeftButton);
        QVERIFY(!w->isVisible());
        QCOMPARE(m->env.store->ReadSettingNumber("doubleclick"), qint16(2));
        QVERIFY(m->control<QGroupBox>("frame_debug")->isVisibleTo(w));
        QVERIFY(w->height() >= 581 && w->height() > withoutLog);
    }

    // The folder script/demo prepares starts in the tray, and its options page takes OK as it
    // stands: the stored interval is one the page accepts (the demo's quick checks come from
    // POLLWICK_CHECK_SECONDS, which it does not store).
    void demoOptionsAreAccepted()
    {
        QProcess demo;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("POLLWICK_DEMO_HOME", m->env.folder());
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        demo.setProcessEnvironment(environment);
        demo.start("bash", {POLLWICK_SOURCE_DIR "/script/demo", "--prepare"});
        QVERIFY(demo.waitForFinished(20000));
        QCOMPARE(demo.exitCode(), 0);
        m->makeApp();
        QCOMPARE(m->app->start(), PollwickApp::LoadEnd::NormalStart);
        QCOMPARE(m->state().Filters.count(), 2);
        action("mnuOptions")->trigger();
        QTest::mouseClick(button("command_OK"), Qt::LeftButton);
        QVERIFY(!m->window()->isVisible());
        QCOMPARE(m->env.store->ReadSettingNumber("interval"), qint16(600));
    }

    // The wait can be set only with the start at logon, which is the autostart entry (its
    // removal is the options core tests').
    void startAtLogon()
    {
        m->env.store->WriteSettingNumber("startupwaitenabled", 1);
        startShown();
        // "Wait", the box and "minutes" go on and off together.
        const auto waitRowEnabled = [&](bool enabled) {
            return label("Label4")->isEnabled() == enabled &&
                   edit("text_wait")->isEnabled() == enabled &&
                   label("Label5")->isEnabled() == enabled;
        };
        QVERIFY(box("wait_check")->isChecked() && !box("wait_check")->isEnabled());
        QVERIFY(waitRowEnabled(false));
        WidgetFinder::clickOption(box("startup_check"));
        QVERIFY(waitRowEnabled(true));
        WidgetFinder::clickOption(box("wait_check"));
        QVERIFY(waitRowEnabled(false));
        WidgetFinder::clickOption(box("wait_check"));
        QVERIFY(waitRowEnabled(true));
        type(edit("text_wait"), "2.5");
        QTest::mouseClick(button("command_APPLY"), Qt::LeftButton);
        QCOMPARE(m->env.store->ReadSettingNumber("startupwait"), qint16(150));
        QVERIFY(ReadTextFile(m->env.services.config.autostartPath()).contains(" /startup\n"));
        WidgetFinder::clickOption(box("startup_check"));
        QVERIFY(!box("wait_check")->isEnabled());
    }

    void watchedProgramList()
    {
        startShown();
        auto *list = m->control<QListWidget>("proc_list");
        WidgetFinder::clickOption(box("proc_check"));
        QVERIFY(list->isEnabled());
        QTest::mouseClick(button("command_remproc"), Qt::LeftButton);
        QCOMPARE(said(), "Nothing to remove! ");
        m->env.dialogs.answerPath("/home/u/.wine/drive_c/Games/Game.EXE");
        QTest::mouseClick(button("command_addproc"), Qt::LeftButton);
        QCOMPARE(m->env.dialogs.take().caption, QStringLiteral("Select Executable"));
        QCOMPARE(m->env.dialogs.lastFilter(), QStringLiteral("All files (*)")); // no "*.exe"
        list->clearSelection();
        QTest::mouseClick(button("command_remproc"), Qt::LeftButton);
        QCOMPARE(said(), "Please select a process to remove. ");
        QTest::mouseClick(button("command_APPLY"), Qt::LeftButton);
        QCOMPARE(m->env.store->ReadSettingText("procs"), QStringLiteral("Game.EXE"));
        QCOMPARE(m->state().settings.WatchedProcesses, QStringList{"Game.EXE"});
        list->setCurrentRow(0);
        QTest::mouseClick(button("command_remproc"), Qt::LeftButton);
        QCOMPARE(list->count(), 0);
    }

    // Closing or minimising the window hides it; a close with changes not applied asks first.
    void closingHides()
    {
        startShown();
        frmMain *w = m->window();
        QVERIFY(!w->close());
        QVERIFY(!w->isVisible());
        for (const bool save : {false, true}) {
            action("mnuOptions")->trigger();
            if (!save) // after "No" the change stays pending
                WidgetFinder::clickOption(box("sound_check"));
            save ? m->env.dialogs.answerYes() : m->env.dialogs.answerNo();
            QVERIFY(!w->close());
            QCOMPARE(said(), "You have unsaved changes. Would you like to save them now? ");
            QVERIFY(!w->isVisible());
            QCOMPARE(button("command_APPLY")->isEnabled(), !save);
            QCOMPARE(m->env.store->ReadSettingNumber("playsound"), qint16(save ? 0 : 1));
        }
        action("mnuOptions")->trigger();
        w->showMinimized();
        QTRY_VERIFY(!w->isVisible());
        action("mnuOptions")->trigger();
        QVERIFY(w->isVisible() && !w->isMinimized());
    }

    // The menu's items in order. ("Check for new torrents" is the account flow and filter tab
    // tests', "Search for torrents", which it triggers, and the fourth tab the search window's.)
    void trayMenu()
    {
        startShown();
        QMenu *menu = m->window()->mnuFile();
        QStringList items;
        for (QAction *a : menu->actions())
            items << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        QCOMPARE(items.join(' '), QStringLiteral("mnuInbox mnuCheck mnuOptions - mnuSearch - "
                                                 "mnuPause - mnuAbout mnuExit"));
        QCOMPARE(menu->defaultAction(), action("mnuInbox"));
        QVERIFY(m->control<QTabWidget>("SSTab1")->isTabEnabled(3));
        action("mnuInbox")->trigger();
        QCOMPARE(m->env.shell.urls, QStringList{m->site.baseUrl() + "/browse.php"});
        // The pause's rules (the tray's picture back after it among them) are
        // tst_checkscheduler's; here the menu reaches it.
        action("mnuPause")->trigger();
        QVERIFY(action("mnuPause")->isChecked());
        QCOMPARE(m->app->trayState().picture(), TrayPicture::Paused);
        QCOMPARE(label("info_timetocheck")->text(), QStringLiteral("Paused"));
        QVERIFY(!action("mnuCheck")->isEnabled() && !edit("text_timetocheck")->isEnabled());
        action("mnuPause")->trigger();
        QVERIFY(!action("mnuPause")->isChecked() && action("mnuCheck")->isEnabled());
    }

    // Settings that cannot be written end the program after a notice; Exit ends it, takes the
    // icon from the tray and frees the instance lock.
    void endingTheProgram()
    {
        startShown();
        QPointer<frmMain> w = m->window();
        emit m->env.store->programKeyWriteFailed("disk full");
        QCOMPARE(said(), "Critical Error: Unable to write userdata to the registry.");
        QCOMPARE(m->env.endProgramCalls, QList<int>{1});
        action("mnuExit")->trigger();
        QCOMPARE(m->env.endProgramCalls, (QList<int>{1, 0}));
        QVERIFY(!m->app->trayIcon().wanted());
        QTRY_VERIFY(!w);
        QVERIFY(QLockFile(PollwickApp::lockFilePath(m->env.services.config)).tryLock(0));
    }

    // A check waiting for the site returns through the window's handlers before the window
    // goes, and does not try again.
    void unloadDuringACheck()
    {
        startShown();
        QPointer<frmMain> w = m->window();
        m->site.setDripPace(64, 20);
        m->site.misbehave("/bots.php", SiteMisbehaviour::SlowDrip, 1);
        QTimer::singleShot(40, this, [this] { m->app->unloadMainWindow(); });
        action("mnuCheck")->trigger();
        QVERIFY(w);
        QCOMPARE(m->site.requests().size(), 2);
        QCOMPARE(m->messages().count("Retrying..."), 0);
        QTRY_VERIFY(!w);
    }

    // A double-click opens the alert's address; a tray that reports only single clicks gets
    // two of them as one. A tray that appears after the start, or comes back, gets the icon
    // with the same tip.
    void trayIcon()
    {
        startShown();
        const QString alert = m->site.baseUrl() + "/details.php?id=700031&hit=1";
        m->state().AlertAddress = alert;
        TrayIcon &icon = m->app->trayIcon();
        icon.onActivated(QSystemTrayIcon::Trigger); // a real double-click reports a click first
        icon.onActivated(QSystemTrayIcon::DoubleClick);
        QCOMPARE(m->env.shell.urls, QStringList{alert});
        icon.onActivated(QSystemTrayIcon::Trigger);
        icon.onActivated(QSystemTrayIcon::Trigger);
        QCOMPARE(m->env.shell.urls.size(), 1);
        QTRY_COMPARE(m->env.shell.urls, QStringList({alert, alert}));

        icon.setAvailabilityProbe([this] { return trayAvailable; });
        QVERIFY(!icon.shown() && icon.TmrTray().isActive());
        const QString tip = "Unable to fetch torrent feed. Check connection.";
        m->app->trayState().setTip(tip);
        for (bool tray : {true, false, true}) {
            trayAvailable = tray;
            icon.onTmrTrayTick();
            QCOMPARE(icon.shown(), tray);
        }
        QCOMPARE(icon.systemTrayIcon()->toolTip(), tip);
        QCOMPARE(icon.systemTrayIcon()->contextMenu(), m->window()->mnuFile());
    }

    // The list keeps 2000 lines, Clear empties it, a double-click shows a line, and "Save
    // Debug Info" writes the report (its lines are the debug report core test's).
    void debugPanel()
    {
        startShown();
        auto *list = m->control<QListWidget>("List1");
        QTRY_COMPARE(list->count(), m->env.log->lines().size());
        for (int i = list->count(); i < 2001; ++i)
            m->env.services.log->debug_console(QStringLiteral("line %1").arg(i));
        // The list follows the log once control is back in the event loop.
        QTRY_COMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(),
                 QStringLiteral("Log has exceeded maximum allowed limit and will be cleared."));
        QVERIFY(list->item(1)->text().endsWith(") line 2000"));
        QTest::mouseClick(button("Command5"), Qt::LeftButton);
        QTRY_COMPARE(WidgetFinder::entries(list),
                     QStringList{"(" + m->env.log->timeText() +
                                 ") The debug log has been cleared by the user."});
        list->setCurrentRow(0);
        emit list->itemDoubleClicked(list->item(0));
        QCOMPARE(said(), list->item(0)->text());

        const QString path = m->env.folder() + "report.txt";
        m->env.dialogs.answerPath(path);
        QTest::mouseClick(button("Command4"), Qt::LeftButton);
        QCOMPARE(m->env.dialogs.take().caption, QStringLiteral("Save Debug Info"));
        QCOMPARE(m->env.dialogs.lastStart(), m->env.folder() + "Pollwick debug info");
        QCOMPARE(said(), "Debug Info Saved ");
        QVERIFY(ReadTextFile(path).endsWith(") The debug log has been cleared by the user.\r\n"));
        m->env.dialogs.answerPath(QString()); // cancelled: no message follows
        QTest::mouseClick(button("Command4"), Qt::LeftButton);
        m->env.dialogs.take();
    }

    // loadfilters fills the list and the filtering box, which needs an active filter, and
    // clamps the row to select. (The rows' texts and boxes are the filter tab tests'.)
    void loadfilters()
    {
        QVERIFY(ReplaceTextFileAtomically(m->env.file("filters.dat"),
                                          "110a\r\nA, B\r\n011x\r\n*\r\n120*\r\nMusic\r\n"
                                          "112y\r\n*\r\n110z\r\n*\r\n"));
        m->env.store->WriteSettingNumber("filterenabled", 1);
        startShown();
        auto *list = m->control<QTreeWidget>("ListView1");
        QCOMPARE(list->topLevelItemCount(), 5);
        QVERIFY(list->selectedItems().isEmpty());
        QVERIFY(box("check_filter")->isChecked() && list->isEnabled());
        QVERIFY(!button("command_APPLY")->isEnabled());
        qint16 select = 7;
        m->window()->filterList().loadfilters(select);
        QCOMPARE(select, qint16(5));
        QCOMPARE(list->selectedItems(), QList<QTreeWidgetItem *>{list->topLevelItem(4)});

        QVERIFY(ReplaceTextFileAtomically(m->env.file("filters.dat"), "010x\r\n*\r\n"));
        select = 0;
        m->window()->filterList().loadfilters(select);
        QVERIFY(!box("check_filter")->isChecked() && !list->isEnabled());
        m->state().Filters.clear(); // with no filters at all the box cannot be ticked
        WidgetFinder::clickOption(box("check_filter"));
        QVERIFY(!box("check_filter")->isChecked());
        QCOMPARE(said(),
                 "You must have at least 1  filter in order to enable torrent filtering.  \r\n"
                 "To add a filter, click \"Add New\" below. ");
    }

private:
    PollwickApp::LoadEnd start(const QStringList &arguments = {})
    {
        m->makeApp(QStringList{"/usr/bin/pollwick"} + arguments);
        return m->app->start();
    }
    void startShown()
    {
        QCOMPARE(m->startShown(), PollwickApp::LoadEnd::FirstStart);
        QVERIFY(m->window()->isVisible());
    }
    QString said() { return m->env.dialogs.take().text; } // the next box's text
    QPushButton *button(const char *name) const { return m->control<QPushButton>(name); }
    QCheckBox *box(const char *name) const { return m->control<QCheckBox>(name); }
    QLineEdit *edit(const char *name) const { return m->control<QLineEdit>(name); }
    QLabel *label(const char *name) const { return m->control<QLabel>(name); }
    QAction *action(const char *name) const { return m->control<QAction>(name); }
    void browse(const QString &chosen)
    {
        m->env.dialogs.answerPath(chosen);
        QTest::mouseClick(button("command_browse"), Qt::LeftButton);
        QCOMPARE(m->env.dialogs.take().caption, "Select path to save torrent files");
    }
    void type(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
        QCOMPARE(edit->text(), text);
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"

#include "core/CheckScheduler.h"
#include "core/DebugLog.h"
#include "core/frmMain.h"
#include "core/PollwickApp.h"
#include "core/TrayIcon.h"
#include "core/TrayIconState.h"
#include "platform/AppInfo.h"
#include "platform/SettingsStore.h"
#include "platform/TextUtils.h"
#include "TestEnv.h"
#include "TestSite.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLockFile>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

Q_DECLARE_METATYPE(PollwickApp::LoadEnd)

class TestFrmMain : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QLocale::setDefault(QLocale::c());
        env = std::make_unique<TestEnv>();
        site = std::make_unique<TestSite>();
        QVERIFY(site->isListening());
        env->useSite(site->baseUrl());
        trayAvailable = false;
    }
    void cleanup()
    {
        app.reset();
        site.reset();
        QCOMPARE(env->problems(), QString());
        env.reset();
    }

    // The four ways a load ends.
    void startPaths_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("lastparsed");
        QTest::addColumn<PollwickApp::LoadEnd>("end");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("logLine");
        QTest::addColumn<QString>("tip");
        QTest::newRow("first start")
            << "demo"
            << "" << PollwickApp::LoadEnd::FirstStart << true
            << "/bots.php?limit=20&u=demo&p=demo&v=11&c=1"
            << "First run detected. Existing torrents will be ignored. Showing main window."
            << "No new torrents";
        // Without filters every torrent after the stored one is a result.
        QTest::newRow("silent start") << "demo"
                                      << "700030" << PollwickApp::LoadEnd::NormalStart << false
                                      << "/bots.php?startid=700030&limit=150&u=demo&p=demo&v=11&c=1"
                                      << "Filters successfully loaded."
                                      << "10 new torrents";
    }
    void startPaths()
    {
        QFETCH(QString, user);
        QFETCH(QString, lastparsed);
        QFETCH(bool, visible);
        QFETCH(QString, request);
        QFETCH(QString, logLine);
        storeUser(user);
        if (!lastparsed.isEmpty())
            env->store->WriteSettingText("lastparsed", lastparsed);
        QTEST(start(), "end");
        frmMain *w = window();
        QVERIFY(w);
        QCOMPARE(w->isVisible(), visible);
        QCOMPARE(w->windowTitle(), QStringLiteral("Pollwick"));
        QCOMPARE(site->requests().size(), 1);
        QCOMPARE(QString::fromLatin1(site->lastRequest().target), request);
        QCOMPARE(messages().first(), QStringLiteral("Pollwick 1.3  (build 512)  loaded"));
        if (!logLine.isEmpty() && logLine.startsWith("First"))
            QVERIFY(messages().contains(logLine));
        QVERIFY(app->trayIcon().wanted());
        QVERIFY(w->scheduler().TmrCheck().isActive());
        QCOMPARE(label("info_timetocheck")->text(), QStringLiteral("Next check in 10m 00s"));
        QVERIFY(!button("command_APPLY")->isEnabled());
        QCOMPARE(lineEdit("text_timetocheck")->text(), QStringLiteral("10"));
        QTEST(app->trayState().tip(), "tip");
        QCOMPARE(env->store->ReadSettingText("appbuild"), QStringLiteral("512"));
        QCOMPARE(env->store->ReadSettingNumber("interval"), qint16(600));
    }

    void secondInstanceIsRefused()
    {
        storeUser("demo");
        env->store->WriteSettingText("appbuild", "507");
        QLockFile held(PollwickApp::lockFilePath(env->services.config));
        QVERIFY(held.tryLock(0));
        QCOMPARE(start(), PollwickApp::LoadEnd::SecondInstance);
        const auto box = env->dialogs.take();
        QCOMPARE(box.caption, QStringLiteral("Pollwick"));
        QCOMPARE(box.text, QStringLiteral("Another instance of Pollwick is already running. "));
        QCOMPARE(box.icon, Dialogs::Information);
        QCOMPARE(env->endProgramCalls, QList<int>{0});
        QVERIFY(site->requests().isEmpty());
        QVERIFY(!app->trayIcon().wanted());
        QVERIFY(!window());
        QCOMPARE(messages(), QStringList{"Pollwick 1.3  (build 512)  loaded"});
        // The refused start leaves the settings alone.
        QCOMPARE(env->store->ReadSettingText("appbuild"), QStringLiteral("507"));
        QCOMPARE(env->store->ReadSettingNumber("interval"), qint16(0));
    }

    void lockOfAnEndedInstanceIsTakenOver()
    {
        storeUser("demo");
        // What a crashed instance leaves behind: a lock naming a process that has ended.
        QProcess ended;
        ended.start("true", {});
        QVERIFY(ended.waitForStarted(5000));
        const qint64 pid = ended.processId();
        QVERIFY(ended.waitForFinished(5000));
        QFile lock(PollwickApp::lockFilePath(env->services.config));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(pid) + "\npollwick\n\n");
        lock.close();
        QCOMPARE(start(), PollwickApp::LoadEnd::FirstStart);
        QCOMPARE(site->requests().size(), 1);
    }

    void noUserNameHandsOverToTheWizard()
    {
        int wizards = 0;
        app = makeApp({});
        app->setFirstRunWizard([&] { ++wizards; });
        QCOMPARE(app->start(), PollwickApp::LoadEnd::FirstRun);
        QCOMPARE(wizards, 1);
        QVERIFY(messages().contains("No username/firsrun. Showing login wizard."));
        QVERIFY(!app->trayIcon().wanted());
        QVERIFY(site->requests().isEmpty());
        QVERIFY(env->endProgramCalls.isEmpty());
        QTRY_VERIFY(!window());

        // The wizard loads the main window again after a login, in the same process.
        storeUser("demo");
        QCOMPARE(app->loadMainWindow(), PollwickApp::LoadEnd::FirstStart);
        QVERIFY(window());
        QVERIFY(app->trayIcon().wanted());
        QCOMPARE(site->requests().size(), 1);
    }

    void startupWait_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("waitEnabled");
        QTest::addColumn<bool>("waits");
        QTest::newRow("started at logon, wait on") << QStringList{"/startup"} << 1 << true;
        QTest::newRow("started at logon, wait off") << QStringList{"/startup"} << 0 << false;
        QTest::newRow("started by hand, wait on") << QStringList{} << 1 << false;
    }
    void startupWait()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, waitEnabled);
        QFETCH(bool, waits);
        storeUser("demo");
        env->store->WriteSettingText("lastparsed", "700030");
        env->store->WriteSettingNumber("startupwaitenabled", qint16(waitEnabled));
        app = makeApp(arguments);
        app->start();
        frmMain *w = window();
        QCOMPARE(site->requests().isEmpty(), waits);
        QCOMPARE(w->scheduler().TmrWait().isActive(), waits);
        QCOMPARE(w->scheduler().TmrCheck().isActive(), !waits);
        QCOMPARE(action("mnuPause")->isEnabled(), !waits);
        QCOMPARE(state().LaunchedAtStartup, arguments.contains("/startup"));
        if (waits) {
            QCOMPARE(label("info_timetocheck")->text(), QStringLiteral("Next check in 05m 00s"));
            QVERIFY(messages().contains("Waiting 05m 00s..."));
        }
    }

    void developerSwitchInsideAWord()
    {
        storeUser("demo");
        env->store->WriteSettingText("lastparsed", "700035");
        app = makeApp({"/device"});
        app->start();
        QVERIFY(state().DeveloperMode);
        QCOMPARE(window()->windowTitle(), QStringLiteral("Pollwick (developer mode)"));
        QCOMPARE(QString::fromLatin1(site->lastRequest().target),
                 QStringLiteral("/bots.php?startid=700005&limit=150&u=demo&p=demo&v=11&c=1"));
    }

    void controlsOfLaterWindowsAreDisabled()
    {
        startShown();
        QCOMPARE(label("info_username")->text(), QStringLiteral("demo (click to change)"));
        QVERIFY(!action("mnuSearch")->isEnabled());
        auto *tabs = window()->findChild<QTabWidget *>("SSTab1");
        QCOMPARE(tabs->tabText(0), QStringLiteral("General Options "));
        QCOMPARE(tabs->tabText(1), QStringLiteral("Advanced Options "));
        QCOMPARE(tabs->tabText(2), QStringLiteral("Add/Remove Filters "));
        QCOMPARE(tabs->tabText(3), QStringLiteral("Search Torrents "));
        QVERIFY(!tabs->isTabEnabled(3));
    }

    void intervalValidation_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("boxAfter");
        QTest::newRow("2") << "2"
                           << "" << 120 << "2";
        QTest::newRow("120") << "120"
                             << "" << 7200 << "120";
        QTest::newRow("2.5 stores 150") << "2.5"
                                        << "" << 150 << "2.5";
        QTest::newRow("1.99") << "1.99"
                              << "Invalid torrent check interval. Must be between 2 and 120 " << 600
                              << "1.99";
        QTest::newRow("120.5") << "120.5"
                               << "Invalid torrent check interval. Must be between 2 and 120 "
                               << 600 << "120.5";
        QTest::newRow("words reset the box") << "soon"
                                             << "Please enter time in minutes " << 600 << "10";
    }
    void intervalValidation()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(int, stored);
        QFETCH(QString, boxAfter);
        startShown();
        type(lineEdit("text_timetocheck"), typed);
        QVERIFY(button("command_APPLY")->isEnabled());
        QTest::mouseClick(button("command_APPLY"), Qt::LeftButton);
        if (!message.isEmpty()) {
            const auto box = env->dialogs.take();
            QCOMPARE(box.text, message);
            QCOMPARE(box.icon, Dialogs::Information);
            QCOMPARE(box.caption, QStringLiteral("Pollwick"));
            QVERIFY(button("command_APPLY")->isEnabled());
        } else {
            QVERIFY(!button("command_APPLY")->isEnabled());
            QCOMPARE(label("info_timetocheck")->text(),
                     QStringLiteral("Next check in ") + DurationText(qint16(stored)));
        }
        QCOMPARE(int(env->store->ReadSettingNumber("interval")), stored);
        QCOMPARE(int(state().settings.CheckIntervalSeconds), stored);
        QCOMPARE(lineEdit("text_timetocheck")->text(), boxAfter);
        QVERIFY(window()->isVisible());
    }

    void retypingTheIntervalClearsApply()
    {
        startShown();
        type(lineEdit("text_timetocheck"), "11");
        QVERIFY(button("command_APPLY")->isEnabled());
        type(lineEdit("text_timetocheck"), "10");
        QVERIFY(!button("command_APPLY")->isEnabled());
    }

    void okSavesAndHides()
    {
        startShown();
        const QString folder = env->folder() + "downloads";
        QDir().mkpath(folder);
        type(lineEdit("text_torrentpath"), folder);
        combo("double_combo")->setCurrentIndex(1);
        emit combo("double_combo")->activated(1);
        QTest::mouseClick(checkBox("showdebug_check"), Qt::LeftButton);
        QTest::mouseClick(button("command_OK"), Qt::LeftButton);
        QVERIFY(!window()->isVisible());
        QCOMPARE(env->store->ReadSettingText("torrentpath"), folder + "/");
        QCOMPARE(lineEdit("text_torrentpath")->text(), folder + "/");
        QCOMPARE(env->store->ReadSettingNumber("doubleclick"), qint16(2));
        QCOMPARE(env->store->ReadSettingNumber("showdebug"), qint16(1));
        QVERIFY(window()->findChild<QGroupBox *>("frame_debug")->isVisibleTo(window()));
    }

    void folderValidation()
    {
        startShown();
        type(lineEdit("text_torrentpath"), "/x");
        QTest::mouseClick(button("command_APPLY"), Qt::LeftButton);
        QCOMPARE(env->dialogs.take().text,
                 QStringLiteral("Please enter a path to save torrent files "));
        type(lineEdit("text_torrentpath"), env->folder() + "missing/");
        QTest::mouseClick(button("command_APPLY"), Qt::LeftButton);
        const auto box = env->dialogs.take();
        QCOMPARE(box.text, QStringLiteral("The torrent path you entered is invalid "));
        QCOMPARE(box.icon, Dialogs::Critical);
        QVERIFY(button("command_APPLY")->isEnabled());
    }

    void cancelRestores()
    {
        startShown();
        QCheckBox *once = checkBox("onetime_check");
        QVERIFY(once->isChecked());
        QTest::mouseClick(once, Qt::LeftButton);
        QVERIFY(!once->isChecked());
        QVERIFY(!state().settings.AlertOnce);
        QVERIFY(button("command_APPLY")->isEnabled());
        type(lineEdit("text_timetocheck"), "33");
        const QString folder = lineEdit("text_torrentpath")->text();
        type(lineEdit("text_torrentpath"), "/elsewhere/");
        QTest::mouseClick(button("command_CANCEL"), Qt::LeftButton);
        QVERIFY(once->isChecked());
        QVERIFY(state().settings.AlertOnce);
        QCOMPARE(lineEdit("text_timetocheck")->text(), QStringLiteral("10"));
        QCOMPARE(lineEdit("text_torrentpath")->text(), folder);
        QVERIFY(!button("command_APPLY")->isEnabled());
        QVERIFY(!window()->isVisible());
        QCOMPARE(env->store->ReadSettingNumber("onetime"), qint16(1));
    }

    void startAtLogon()
    {
        startShown();
        QVERIFY(!checkBox("wait_check")->isEnabled());
        QVERIFY(!lineEdit("text_wait")->isEnabled());
        QTest::mouseClick(checkBox("startup_check"), Qt::LeftButton);
        QVERIFY(checkBox("wait_check")->isEnabled());
        QVERIFY(!lineEdit("text_wait")->isEnabled());
        QTest::mouseClick(checkBox("wait_check"), Qt::LeftButton);
        QVERIFY(lineEdit("text_wait")->isEnabled());
        QVERIFY(label("Label4")->isEnabled());
        type(lineEdit("text_wait"), "2.5");
        QTest::mouseClick(button("command_APPLY"), Qt::LeftButton);
        QCOMPARE(env->store->ReadSettingNumber("startupwait"), qint16(150));
        QCOMPARE(env->store->ReadSettingNumber("startupwaitenabled"), qint16(1));
        QFile entry(env->services.config.autostartPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().contains(" /startup\n"));
        entry.close();

        QTest::mouseClick(checkBox("startup_check"), Qt::LeftButton);
        QVERIFY(!checkBox("wait_check")->isEnabled());
        QVERIFY(!lineEdit("text_wait")->isEnabled());
        QTest::mouseClick(button("command_APPLY"), Qt::LeftButton);
        QVERIFY(!QFile::exists(env->services.config.autostartPath()));
    }

    void waitControlsNeedTheRunEntry()
    {
        env->store->WriteSettingNumber("startupwaitenabled", 1);
        startShown();
        QVERIFY(checkBox("wait_check")->isChecked());
        QVERIFY(!checkBox("wait_check")->isEnabled());
        QVERIFY(!lineEdit("text_wait")->isEnabled());
        QVERIFY(!label("Label5")->isEnabled());
    }

    void folderBrowser_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("box");
        QTest::newRow("root") << "/"
                              << "/";
        QTest::newRow("folder") << "/srv/torrents"
                                << "/srv/torrents/";
    }
    void folderBrowser()
    {
        QFETCH(QString, chosen);
        startShown();
        env->dialogs.answerPath(chosen);
        QTest::mouseClick(button("command_browse"), Qt::LeftButton);
        QCOMPARE(env->dialogs.take().caption, QStringLiteral("Select path to save torrent files"));
        QTEST(lineEdit("text_torrentpath")->text(), "box");
        QVERIFY(button("command_APPLY")->isEnabled());
    }

    void watchedProgramList()
    {
        startShown();
        QListWidget *list = window()->findChild<QListWidget *>("proc_list");
        QVERIFY(!list->isEnabled());
        QTest::mouseClick(checkBox("proc_check"), Qt::LeftButton);
        QVERIFY(list->isEnabled());
        QTest::mouseClick(button("command_remproc"), Qt::LeftButton);
        QCOMPARE(env->dialogs.take().text, QStringLiteral("Nothing to remove! "));

        env->dialogs.answerPath("/home/u/.wine/drive_c/Games/Game.EXE");
        QTest::mouseClick(button("command_addproc"), Qt::LeftButton);
        QCOMPARE(env->dialogs.take().caption, QStringLiteral("Select Executable"));
        QCOMPARE(env->dialogs.lastFilter(), QStringLiteral("Executables (*.exe);;All files (*)"));
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QStringLiteral("Game.EXE"));

        list->clearSelection();
        QTest::mouseClick(button("command_remproc"), Qt::LeftButton);
        QCOMPARE(env->dialogs.take().text, QStringLiteral("Please select a process to remove. "));
        QCOMPARE(list->count(), 1);

        QTest::mouseClick(button("command_APPLY"), Qt::LeftButton);
        QCOMPARE(env->store->ReadSettingText("procs"), QStringLiteral("Game.EXE"));
        QCOMPARE(env->store->ReadSettingNumber("detectprocs"), qint16(1));
        QCOMPARE(state().settings.WatchedProcesses, QStringList{"Game.EXE"});

        list->setCurrentRow(0);
        QTest::mouseClick(button("command_remproc"), Qt::LeftButton);
        QCOMPARE(list->count(), 0);
        QTest::mouseClick(button("command_APPLY"), Qt::LeftButton);
        // An empty list switches detection off, and the box shows it.
        QCOMPARE(env->store->ReadSettingNumber("detectprocs"), qint16(0));
        QVERIFY(!checkBox("proc_check")->isChecked());
    }

    void closeRules_data()
    {
        QTest::addColumn<bool>("dirty");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("applyAfter");
        QTest::newRow("no changes") << false << "" << false;
        QTest::newRow("changes, keep them pending") << true << "N" << true;
        QTest::newRow("changes, save them") << true << "Y" << false;
    }
    void closeRules()
    {
        QFETCH(bool, dirty);
        QFETCH(QString, answer);
        startShown();
        if (dirty)
            QTest::mouseClick(checkBox("sound_check"), Qt::LeftButton);
        if (answer == "Y")
            env->dialogs.answerYes();
        else if (answer == "N")
            env->dialogs.answerNo();
        QVERIFY(!window()->close());
        if (dirty) {
            const auto box = env->dialogs.take();
            QCOMPARE(box.caption, QStringLiteral("Save Changes?"));
            QCOMPARE(box.text,
                     QStringLiteral("You have unsaved changes. Would you like to save them now? "));
        }
        QVERIFY(window());
        QVERIFY(!window()->isVisible());
        QTEST(button("command_APPLY")->isEnabled(), "applyAfter");
        QCOMPARE(env->store->ReadSettingNumber("playsound"), qint16(answer == "Y" ? 0 : 1));
    }

    void minimisingHides()
    {
        startShown();
        window()->showMinimized();
        QTRY_VERIFY(!window()->isVisible());
        action("mnuOptions")->trigger();
        QVERIFY(window()->isVisible());
        QVERIFY(!window()->isMinimized());
    }

    void trayMenu()
    {
        startShown();
        QMenu *menu = window()->mnuFile();
        QCOMPARE(menu->title(), QStringLiteral("Menu"));
        QStringList items;
        for (QAction *a : menu->actions())
            items << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + "=" + a->text());
        QCOMPARE(items,
                 QStringList({"mnuInbox=Visit Vellumstacks", "mnuCheck=Check for new torrents",
                              "mnuOptions=Options", "-", "mnuSearch=Search for torrents", "-",
                              "mnuPause=Pause", "-", "mnuAbout=About", "mnuExit=Exit"}));
        QCOMPARE(menu->defaultAction(), action("mnuInbox"));

        action("mnuInbox")->trigger();
        QCOMPARE(env->shell.urls, QStringList{site->baseUrl() + "/browse.php"});

        action("mnuCheck")->trigger();
        QCOMPARE(site->requests().size(), 2);

        action("mnuPause")->trigger();
        QVERIFY(action("mnuPause")->isChecked());
        QCOMPARE(label("info_timetocheck")->text(), QStringLiteral("Paused"));
        QVERIFY(!action("mnuCheck")->isEnabled());
        QVERIFY(!lineEdit("text_timetocheck")->isEnabled());
        QCOMPARE(app->trayState().picture(), TrayPicture::Paused);
        action("mnuPause")->trigger();
        QVERIFY(!action("mnuPause")->isChecked());
        QVERIFY(action("mnuCheck")->isEnabled());
        QCOMPARE(label("info_timetocheck")->text(), QStringLiteral("Next check in 10m 00s"));
    }

    void exitEndsTheProgram()
    {
        startShown();
        QPointer<frmMain> w = window();
        action("mnuExit")->trigger();
        QCOMPARE(env->endProgramCalls, QList<int>{0});
        QVERIFY(!app->trayIcon().wanted());
        QTRY_VERIFY(!w);
        // The lock is released: another start may run.
        QLockFile lock(PollwickApp::lockFilePath(env->services.config));
        QVERIFY(lock.tryLock(0));
    }

    void unloadDuringACheck()
    {
        startShown();
        QPointer<frmMain> w = window();
        SiteMisbehaviour slow;
        slow.prefix = "/bots.php";
        slow.kind = SiteMisbehaviour::SlowDrip;
        slow.remaining = 1;
        slow.dripChunk = 64;
        slow.dripIntervalMs = 20;
        site->addMisbehaviour(slow);
        QTimer::singleShot(40, this, [this] { app->unloadMainWindow(); });
        action("mnuCheck")->trigger();
        // The check returned through the window's handlers before the window went, and did
        // not try again.
        QVERIFY(w);
        QCOMPARE(site->requests().size(), 2);
        QCOMPARE(messages().count("Feed successfully parsed."), 1);
        QCOMPARE(messages().count("Retrying..."), 0);
        QVERIFY(!app->trayIcon().wanted());
        QTRY_VERIFY(!w);
    }

    void trayClicks()
    {
        startShown();
        state().AlertAddress = site->baseUrl() + "/details.php?id=700031&hit=1";
        TrayIcon &icon = app->trayIcon();
        // One real double-click reports a single click first.
        icon.onActivated(QSystemTrayIcon::Trigger);
        icon.onActivated(QSystemTrayIcon::DoubleClick);
        QCOMPARE(env->shell.urls, QStringList{state().AlertAddress});
        QVERIFY(!icon.TmrClick().isActive());
        // A tray that reports only single clicks.
        icon.onActivated(QSystemTrayIcon::Trigger);
        icon.onActivated(QSystemTrayIcon::Trigger);
        QCOMPARE(env->shell.urls.size(), 1);
        QTRY_COMPARE(env->shell.urls.size(), 2);
        QCOMPARE(env->shell.urls.last(), state().AlertAddress);
        // The acknowledgement puts the address back to the torrent list.
        window()->seticonnonew();
        icon.onActivated(QSystemTrayIcon::DoubleClick);
        QCOMPARE(env->shell.urls.last(), site->baseUrl() + "/browse.php");
    }

    void trayAppearingLater()
    {
        startShown();
        TrayIcon &icon = app->trayIcon();
        QVERIFY(icon.wanted());
        QVERIFY(!icon.shown());
        QVERIFY(icon.TmrTray().isActive());
        QCOMPARE(icon.TmrTray().interval(), 10000);
        app->trayState().checkanimation("stopwitherror");
        app->trayState().setTip("Unable to fetch torrent feed. Check connection.");
        trayAvailable = true;
        icon.onTmrTrayTick();
        QVERIFY(icon.shown());
        QCOMPARE(icon.systemTrayIcon()->toolTip(),
                 QStringLiteral("Unable to fetch torrent feed. Check connection."));
        QVERIFY(!icon.systemTrayIcon()->icon().isNull());
        QCOMPARE(icon.systemTrayIcon()->contextMenu(), window()->mnuFile());
        // The panel restarts: the icon comes back with the same tip.
        trayAvailable = false;
        icon.onTmrTrayTick();
        QVERIFY(!icon.shown());
        trayAvailable = true;
        icon.onTmrTrayTick();
        QVERIFY(icon.shown());
        QCOMPARE(icon.systemTrayIcon()->toolTip(),
                 QStringLiteral("Unable to fetch torrent feed. Check connection."));
    }

    void debugLog()
    {
        startShown();
        QListWidget *list = window()->findChild<QListWidget *>("List1");
        QTRY_COMPARE(list->count(), env->log->lines().size());
        for (int i = list->count(); i < 2001; ++i)
            window()->debug_console(QStringLiteral("line %1").arg(i));
        // The list follows the log once control is back in the event loop.
        QTRY_COMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(),
                 QStringLiteral("Log has exceeded maximum allowed limit and will be cleared."));
        QVERIFY(list->item(1)->text().endsWith(") line 2000"));
        QVERIFY(list->selectedItems().isEmpty());

        QTest::mouseClick(button("Command5"), Qt::LeftButton);
        QTRY_COMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(),
                 "(" + env->log->timeText() + ") The debug log has been cleared by the user.");

        list->setCurrentRow(0);
        emit list->itemDoubleClicked(list->item(0));
        const auto box = env->dialogs.take();
        QCOMPARE(box.text, list->item(0)->text());
        QCOMPARE(box.icon, Dialogs::NoIcon);
    }

    void saveDebugInfo()
    {
        startShown();
        const QString path = env->folder() + "report.txt";
        env->dialogs.answerPath(path);
        QTest::mouseClick(button("Command4"), Qt::LeftButton);
        const auto dialog = env->dialogs.take();
        QCOMPARE(dialog.kind, QStringLiteral("save"));
        QCOMPARE(dialog.caption, QStringLiteral("Save Debug Info"));
        QCOMPARE(env->dialogs.lastStart(), env->folder() + "Pollwick debug info");
        QCOMPARE(env->dialogs.lastFilter(), QStringLiteral("Text Files (*.txt);;All files (*)"));
        QCOMPARE(env->dialogs.take().text, QStringLiteral("Debug Info Saved "));
        const QString report = ReadTextFile(path);
        QVERIFY(
            report.startsWith("Pollwick 1.3.512 Debug Info\r\n-----------------------------\r\n"));
        QVERIFY(report.contains("\r\nUser & Pass Set? (y/n): Yes\r\n"));
        QVERIFY(report.contains(") Pollwick 1.3  (build 512)  loaded\r\n"));
        QVERIFY(!report.contains("&p=demo"));

        // Cancelled: no file, no message.
        env->dialogs.answerPath(QString());
        QTest::mouseClick(button("Command4"), Qt::LeftButton);
        env->dialogs.take();
        QCOMPARE(env->dialogs.pending(), 0);
    }

    void filtersLoadIntoTheList()
    {
        QVERIFY(ReplaceTextFileAtomically(env->file("filters.dat"),
                                          "110linux&&iso\r\nA, B\r\n011x\r\n*\r\n120*\r\nMusic\r\n"
                                          "112y\r\n*\r\n110z\r\n*\r\n"));
        env->store->WriteSettingNumber("filterenabled", 1);
        startShown();
        auto *list = window()->findChild<QTreeWidget *>("ListView1");
        QCOMPARE(list->topLevelItemCount(), 5);
        QCOMPARE(list->headerItem()->text(0), QStringLiteral("Filter"));
        QCOMPARE(list->headerItem()->text(1), QStringLiteral("Action"));
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Contains linux AND iso in A, B"));
        QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("Notify"));
        QCOMPARE(list->topLevelItem(0)->checkState(0), Qt::Checked);
        QCOMPARE(list->topLevelItem(1)->checkState(0), Qt::Unchecked);
        QCOMPARE(list->topLevelItem(1)->text(1), QStringLiteral("Download"));
        QVERIFY(list->selectedItems().isEmpty());
        QVERIFY(checkBox("check_filter")->isChecked());
        QVERIFY(list->isEnabled());
        QVERIFY(!button("command_APPLY")->isEnabled());

        qint16 select = 7;
        window()->loadfilters(select);
        QCOMPARE(select, qint16(5));
        QCOMPARE(list->selectedItems(), QList<QTreeWidgetItem *>{list->topLevelItem(4)});
        select = 2;
        window()->loadfilters(select);
        QCOMPARE(list->selectedItems(), QList<QTreeWidgetItem *>{list->topLevelItem(1)});
        QCOMPARE(state().Filters.count(), 5);
        const QStringList lines = messages();
        QCOMPARE(lines.count("Loading filters..."), 3);
        QCOMPARE(lines.count("Filters successfully loaded."), 3);
    }

    void filteringNeedsAnActiveFilter()
    {
        QVERIFY(ReplaceTextFileAtomically(env->file("filters.dat"), "010x\r\n*\r\n"));
        env->store->WriteSettingNumber("filterenabled", 1);
        startShown();
        QVERIFY(!checkBox("check_filter")->isChecked());
        QVERIFY(!window()->findChild<QTreeWidget *>("ListView1")->isEnabled());

        // With no filters at all the box cannot be ticked.
        state().Filters.clear();
        QTest::mouseClick(checkBox("check_filter"), Qt::LeftButton);
        QVERIFY(!checkBox("check_filter")->isChecked());
        QCOMPARE(env->dialogs.take().text,
                 QStringLiteral("You must have at least 1  filter in order to enable torrent "
                                "filtering.  \r\nTo add a filter, click \"Add New\" below. "));
        QVERIFY(button("command_APPLY")->isEnabled());
    }

    void savefiltersReplacesTheFile()
    {
        QVERIFY(ReplaceTextFileAtomically(env->file("filters.dat"), "110a\r\n*\r\n110b\r\n*\r\n"));
        startShown();
        state().Filters[1].Removed = true;
        QVERIFY(window()->savefilters());
        QCOMPARE(ReadTextFile(env->file("filters.dat")), QStringLiteral("110b\r\n*\r\n"));
        state().Filters.clear();
        QVERIFY(window()->savefilters());
        QVERIFY(!QFile::exists(env->file("filters.dat")));
    }

    void windowSize()
    {
        startShown();
        frmMain *w = window();
        QVERIFY(w->width() >= 456);
        QVERIFY(!w->findChild<QGroupBox *>("frame_debug")->isVisibleTo(w));
        const int without = w->height();
        QVERIFY(without >= 407);
        state().settings.ShowDebugLog = 1;
        w->applyWindowHeight();
        QVERIFY(w->findChild<QGroupBox *>("frame_debug")->isVisibleTo(w));
        QVERIFY(w->height() >= 581);
        QVERIFY(w->height() > without);
    }

    void unwritableSettingsEndTheProgram()
    {
        startShown();
        emit env->store->programKeyWriteFailed("disk full");
        const auto box = env->dialogs.take();
        QCOMPARE(box.text,
                 QStringLiteral("Critical Error: Unable to write userdata to the registry."));
        QCOMPARE(box.icon, Dialogs::Critical);
        QCOMPARE(box.caption, QStringLiteral("Pollwick"));
        QCOMPARE(env->endProgramCalls, QList<int>{1});
    }

private:
    std::unique_ptr<PollwickApp> makeApp(const QStringList &arguments)
    {
        auto a = std::make_unique<PollwickApp>(env->services,
                                               QStringList{"/usr/bin/pollwick"} + arguments);
        a->trayIcon().setAvailabilityProbe([this] { return trayAvailable; });
        return a;
    }
    PollwickApp::LoadEnd start()
    {
        app = makeApp({});
        return app->start();
    }
    void storeUser(const QString &user)
    {
        env->store->WriteSettingText("appbuild", "512");
        env->store->WriteSettingText("site_username", user);
        env->store->WriteSettingText("site_password", ScrambleText(site->password()));
    }
    // A first start: the window is shown.
    void startShown()
    {
        storeUser("demo");
        QCOMPARE(start(), PollwickApp::LoadEnd::FirstStart);
        QVERIFY(window()->isVisible());
    }
    frmMain *window() const { return app ? app->mainWindow() : nullptr; }
    ProgramState &state() { return app->state(); }
    template <typename T> T *child(const char *name) const
    {
        T *w = window()->findChild<T *>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QPushButton *button(const char *name) const { return child<QPushButton>(name); }
    QCheckBox *checkBox(const char *name) const { return child<QCheckBox>(name); }
    QLineEdit *lineEdit(const char *name) const { return child<QLineEdit>(name); }
    QLabel *label(const char *name) const { return child<QLabel>(name); }
    QComboBox *combo(const char *name) const { return child<QComboBox>(name); }
    QAction *action(const char *name) const { return child<QAction>(name); }
    void type(QLineEdit *box, const QString &text)
    {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
        QCOMPARE(box->text(), text);
    }
    QStringList messages() const
    {
        QStringList out;
        for (const QString &line : env->log->lines())
            out << line.mid(line.indexOf(") ") + 2);
        return out;
    }

    std::unique_ptr<TestEnv> env;
    std::unique_ptr<TestSite> site;
    std::unique_ptr<PollwickApp> app;
    bool trayAvailable = false;
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"

#include "core/OptionsStore.h"
#include "core/OptionsValidation.h"
#include "core/Settings.h"
#include "core/WatchedPrograms.h"
#include "Fakes.h"
#include "platform/AppInfo.h"
#include "platform/SettingsStore.h"
#include "platform/TextUtils.h"
#include "TestEnv.h"

#include <QDir>
#include <QLocale>
#include <QTest>

class TestOptions : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QLocale::setDefault(QLocale::c());
        env = std::make_unique<TestEnv>();
        folder = env->folder() + "store/";
        QDir().mkpath(folder);
    }
    void cleanup()
    {
        QLocale::setDefault(QLocale::c());
        QCOMPARE(env->problems(), QString());
        env.reset();
    }

    void validation_data()
    {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<QString>("wait");
        QTest::addColumn<bool>("goodPath");
        QTest::addColumn<int>("failedStep");
        QTest::addColumn<QString>("message");
        QTest::newRow("2 is the lowest interval") << "2"
                                                  << "5" << true << 0 << "";
        QTest::newRow("120 is the highest") << "120"
                                            << "5" << true << 0 << "";
        QTest::newRow("1.99") << "1.99"
                              << "5" << true << 2
                              << "Invalid torrent check interval. Must be between 2 and 120 ";
        QTest::newRow("120.5") << "120.5"
                               << "5" << true << 2
                               << "Invalid torrent check interval. Must be between 2 and 120 ";
        QTest::newRow("words") << "ten"
                               << "5" << true << 1 << "Please enter time in minutes ";
        QTest::newRow("empty") << ""
                               << "5" << true << 1 << "Please enter time in minutes ";
        QTest::newRow("blanks around") << " 10 "
                                       << "5" << true << 0 << "";
        QTest::newRow("grouping is no decimal")
            << "1,5"
            << "5" << true << 1 << "Please enter time in minutes ";
        QTest::newRow("wait words") << "10"
                                    << "x" << true << 3 << "Please enter wait time in minutes ";
        QTest::newRow("wait 0.99")
            << "10"
            << "0.99" << true << 4 << "Invalid startup wait time. Must be between 1 and 20 ";
        QTest::newRow("wait 20") << "10"
                                 << "20" << true << 0 << "";
        QTest::newRow("wait 21") << "10"
                                 << "21" << true << 4
                                 << "Invalid startup wait time. Must be between 1 and 20 ";
        QTest::newRow("interval checked before the wait")
            << "1"
            << "x" << true << 2 << "Invalid torrent check interval. Must be between 2 and 120 ";
        QTest::newRow("missing folder")
            << "10"
            << "5" << false << 6 << "The torrent path you entered is invalid ";
    }
    void validation()
    {
        QFETCH(QString, interval);
        QFETCH(QString, wait);
        QFETCH(bool, goodPath);
        QFETCH(int, failedStep);
        QFETCH(QString, message);
        const QString path = goodPath ? env->folder() : env->folder() + "nowhere/";
        const auto r = OptionsValidation::validate(interval, wait, path);
        QCOMPARE(r.failedStep, failedStep);
        QCOMPARE(r.message, message);
        QCOMPARE(r.critical, failedStep == 6);
    }

    void shortPathIsRejectedBeforeTheFolderTest()
    {
        const auto r = OptionsValidation::validate("10", "5", "/t");
        QCOMPARE(r.failedStep, 5);
        QCOMPARE(r.message, QStringLiteral("Please enter a path to save torrent files "));
    }

    void minutesToSeconds_data()
    {
        QTest::addColumn<double>("minutes");
        QTest::addColumn<int>("seconds");
        QTest::newRow("2.5 stores 150") << 2.5 << 150;
        QTest::newRow("2") << 2.0 << 120;
        QTest::newRow("120") << 120.0 << 7200;
        QTest::newRow("half down to even") << 2.0 + 0.5 / 60 << 120;
        QTest::newRow("half up to even") << 2.0 + 1.5 / 60 << 122;
        QTest::newRow("just above a half") << 2.0 + 0.51 / 60 << 121;
        QTest::newRow("wait 1") << 1.0 << 60;
    }
    void minutesToSeconds()
    {
        QFETCH(double, minutes);
        QFETCH(int, seconds);
        QCOMPARE(int(OptionsValidation::minutesToSeconds(minutes)), seconds);
    }

    void decimalCommaInGermanLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        double minutes = 0;
        QVERIFY(OptionsValidation::parseMinutes("2,5", minutes));
        QCOMPARE(minutes, 2.5);
        QCOMPARE(OptionsValidation::minutesText(150), QStringLiteral("2,5"));
        QCOMPARE(OptionsValidation::validate("2,5", "5", env->folder()).failedStep, 0);
    }

    void minutesText()
    {
        QCOMPARE(OptionsValidation::minutesText(600), QStringLiteral("10"));
        QCOMPARE(OptionsValidation::minutesText(150), QStringLiteral("2.5"));
        // What the box shows reads back as the same seconds.
        double minutes = 0;
        QVERIFY(OptionsValidation::parseMinutes(OptionsValidation::minutesText(125), minutes));
        QCOMPARE(OptionsValidation::minutesToSeconds(minutes), qint16(125));
    }

    void loadWritesDefaultsOnAnEmptyStore()
    {
        Settings s;
        s.CheckIntervalSeconds = 1;
        s.AlertOnce = false;
        OptionsStore options(*env->store, env->services.config, *env->log);
        options.load(s);
        SettingsStore &store = *env->store;
        QCOMPARE(store.ReadSettingNumber("interval"), qint16(600));
        QCOMPARE(store.ReadSettingNumber("playsound"), qint16(1));
        QCOMPARE(store.ReadSettingNumber("onetime"), qint16(1));
        QCOMPARE(store.ReadSettingNumber("startupwait"), qint16(300));
        QCOMPARE(s.CheckIntervalSeconds, qint16(600));
        QCOMPARE(s.PlaySound, qint16(1));
        QVERIFY(s.AlertOnce);
        QCOMPARE(s.StartupWaitSeconds, qint16(300));
        QCOMPARE(s.DoubleClickAction, qint16(1));
        QCOMPARE(s.ShowDebugLog, qint16(0));
        QVERIFY(!s.RunAtStartup);
        QVERIFY(!s.StartupWaitEnabled);
        const QString torrents = env->folder() + "torrents/";
        QCOMPARE(s.TorrentFolder, torrents);
        QVERIFY(QFileInfo(torrents).isDir());
        QCOMPARE(store.ReadSettingText("torrentpath"), torrents);
        QCOMPARE(env->log->lines().size(), 2);
        QVERIFY(env->log->lines()[0].endsWith(") Loading settings..."));
        QVERIFY(env->log->lines()[1].endsWith(") No interval set. Writing default..."));
    }

    void loadReadsStoredValues()
    {
        SettingsStore &store = *env->store;
        store.WriteSettingNumber("interval", 150);
        store.WriteSettingNumber("playsound", 0);
        store.WriteSettingNumber("onetime", 0);
        store.WriteSettingNumber("doubleclick", 2);
        store.WriteSettingNumber("showdebug", 1);
        store.WriteSettingNumber("startupwaitenabled", 1);
        store.WriteSettingNumber("startupwait", 120);
        store.WriteSettingText("site_username", "alice");
        store.WriteSettingText("site_password", ScrambleText("s3cr&t"));
        store.WriteSettingText("torrentpath", folder);
        store.RegWriteText(SettingsStore::HKEY_CURRENT_USER, SettingsStore::RunKey(),
                           AppInfo::Title, "\"/usr/bin/pollwick\" /startup");
        Settings s;
        OptionsStore(store, env->services.config, *env->log).load(s);
        QCOMPARE(s.CheckIntervalSeconds, qint16(150));
        QCOMPARE(s.PlaySound, qint16(0));
        QVERIFY(!s.AlertOnce);
        QCOMPARE(s.DoubleClickAction, qint16(2));
        QCOMPARE(s.ShowDebugLog, qint16(1));
        QVERIFY(s.StartupWaitEnabled);
        QCOMPARE(s.StartupWaitSeconds, qint16(120));
        QCOMPARE(s.SiteUserName, QStringLiteral("alice"));
        QCOMPARE(s.SitePassword, QStringLiteral("s3cr&t"));
        QCOMPARE(s.TorrentFolder, folder);
        QVERIFY(s.RunAtStartup);
        QCOMPARE(env->log->lines().size(), 1);
    }

    // A folder on a drive that is not mounted yet is not replaced in the store.
    void missingStoredFolderIsReplacedForThisRunOnly()
    {
        const QString gone = env->folder() + "usb-drive/torrents/";
        env->store->WriteSettingText("torrentpath", gone);
        Settings s;
        OptionsStore(*env->store, env->services.config, *env->log).load(s);
        QCOMPARE(s.TorrentFolder, env->folder() + "torrents/");
        QCOMPARE(env->store->ReadSettingText("torrentpath"), gone);
    }

    void savingWritesEveryOption()
    {
        SettingsStore &store = *env->store;
        Settings s;
        OptionsStore options(store, env->services.config, *env->log);
        options.load(s);
        s.RunAtStartup = true;
        s.StartupWaitEnabled = true;
        s.DetectProcesses = true;
        s.ShowDebugLog = 1;
        s.AlertOnce = false;
        s.PlaySound = 0;
        s.SiteUserName = "bob";
        s.SitePassword = "pw";
        OptionsStore::PageValues page;
        page.filterEnabled = true;
        page.waitSeconds = 90;
        page.procRows = {"game.exe", "Other.EXE"};
        page.doubleClickAction = 2;
        page.torrentPath = folder.chopped(1); // typed without the final "/"

        QCOMPARE(options.save(page, s), folder);
        QCOMPARE(store.ReadSettingNumber("filterenabled"), qint16(1));
        QCOMPARE(store.ReadSettingNumber("startupwaitenabled"), qint16(1));
        QCOMPARE(store.ReadSettingNumber("startupwait"), qint16(90));
        QCOMPARE(store.ReadSettingNumber("detectprocs"), qint16(1));
        QCOMPARE(store.ReadSettingText("procs"), QStringLiteral("game.exe;Other.EXE"));
        QCOMPARE(store.ReadSettingNumber("doubleclick"), qint16(2));
        QCOMPARE(store.ReadSettingNumber("showdebug"), qint16(1));
        QCOMPARE(store.ReadSettingNumber("onetime"), qint16(0));
        QCOMPARE(store.ReadSettingNumber("playsound"), qint16(0));
        QCOMPARE(store.ReadSettingText("site_username"), QStringLiteral("bob"));
        QCOMPARE(store.ReadSettingText("site_password"), ScrambleText("pw"));
        QCOMPARE(store.ReadSettingText("torrentpath"), folder);
        QCOMPARE(s.StartupWaitSeconds, qint16(90));
        QCOMPARE(s.WatchedProcesses, QStringList({"game.exe", "Other.EXE"}));
        QCOMPARE(store.RegReadText(SettingsStore::HKEY_CURRENT_USER, SettingsStore::RunKey(),
                                   AppInfo::Title),
                 options.runEntryCommandLine());
        QVERIFY(options.runEntryCommandLine().endsWith("\" /startup"));

        // Switching the start at logon off removes the entry; a disabled wait keeps its value.
        s.RunAtStartup = false;
        s.StartupWaitEnabled = false;
        page.waitSeconds = 600;
        options.save(page, s);
        QVERIFY(!options.runEntryPresent());
        QCOMPARE(store.ReadSettingNumber("startupwait"), qint16(90));
        QCOMPARE(store.ReadSettingNumber("startupwaitenabled"), qint16(0));
    }

    void savingAnEmptyProgramListSwitchesDetectionOff()
    {
        Settings s;
        OptionsStore options(*env->store, env->services.config, *env->log);
        options.load(s);
        s.DetectProcesses = true;
        OptionsStore::PageValues page;
        page.torrentPath = folder;
        options.save(page, s);
        QCOMPARE(env->store->ReadSettingNumber("detectprocs"), qint16(0));
        QCOMPARE(env->store->ReadSettingText("procs"), QString());
        QVERIFY(!s.DetectProcesses);
        QCOMPARE(s.WatchedProcesses, QStringList{QString()});
    }

    void cancelRereadsTheCheckBoxes()
    {
        Settings s;
        OptionsStore options(*env->store, env->services.config, *env->log);
        options.load(s);
        s.AlertOnce = false;
        s.PlaySound = 0;
        s.ShowDebugLog = 1;
        s.StartupWaitEnabled = true;
        s.RunAtStartup = true;
        s.DetectProcesses = true;
        s.SiteUserName = "changed";
        options.reloadForCancel(s);
        QVERIFY(s.AlertOnce);
        QCOMPARE(s.PlaySound, qint16(1));
        QCOMPARE(s.ShowDebugLog, qint16(0));
        QVERIFY(!s.StartupWaitEnabled);
        QVERIFY(!s.RunAtStartup);
        QVERIFY(!s.DetectProcesses);
        QCOMPARE(s.SiteUserName, QString());
    }

    void loadprocs_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("nothing") << "" << QStringList{QString()} << QStringList();
        QTest::newRow("one") << "game.exe" << QStringList{"game.exe"} << QStringList{"game.exe"};
        QTest::newRow("two") << "a.exe;b.exe" << QStringList{"a.exe", "b.exe"}
                             << QStringList{"a.exe", "b.exe"};
        QTest::newRow("trailing ;")
            << "a.exe;" << QStringList{"a.exe", ""} << QStringList{"a.exe", ""};
    }
    void loadprocs()
    {
        QFETCH(QString, stored);
        env->store->WriteSettingText("procs", stored);
        env->store->WriteSettingNumber("detectprocs", 5);
        const auto loaded = WatchedPrograms::loadprocs(*env->store);
        QVERIFY(loaded.detect);
        QTEST(loaded.entries, "entries");
        QTEST(loaded.rows, "rows");
    }

    void running_data()
    {
        QTest::addColumn<QStringList>("watched");
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QString>("comm");
        QTest::addColumn<bool>("found");
        QTest::newRow("case ignored") << QStringList{"GAME.EXE"} << "game.exe"
                                      << "game.exe" << true;
        QTest::newRow("wine game by its exe") << QStringList{"game.exe"} << "game.exe"
                                              << "wine64-preload" << true;
        QTest::newRow("comm cut to 15") << QStringList{"averyveryverylongname"} << "wine"
                                        << "averyveryveryl" << false;
        QTest::newRow("comm holds the first 15") << QStringList{"averyveryverylongname"} << ""
                                                 << "averyveryverylo" << true;
        QTest::newRow("short comm is the whole name") << QStringList{"gamexyz"} << ""
                                                      << "game" << false;
        QTest::newRow("second entry") << QStringList{"a.exe", "steam"} << "steam"
                                      << "steam" << true;
        QTest::newRow("nothing watched") << QStringList{QString()} << "x"
                                         << "x" << false;
        QTest::newRow("empty last entry switches off") << QStringList{"steam", ""} << "steam"
                                                       << "steam" << false;
        QTest::newRow("a blank never matches") << QStringList{" ", "z"} << " "
                                               << " " << false;
        QTest::newRow("other program") << QStringList{"game.exe"} << "bash"
                                       << "bash" << false;
    }
    void running()
    {
        QFETCH(QStringList, watched);
        QFETCH(QString, exe);
        QFETCH(QString, comm);
        FakeProcessList processes;
        processes.processes.append({QStringLiteral("init"), QStringLiteral("init")});
        processes.processes.append({exe, comm});
        QTEST(WatchedPrograms::IsListedProcessRunning(watched, processes), "found");
    }

private:
    std::unique_ptr<TestEnv> env;
    QString folder;
};

QTEST_GUILESS_MAIN(TestOptions)
#include "tst_options.moc"

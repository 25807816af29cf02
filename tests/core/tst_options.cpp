#include "core/OptionsStore.h"
#include "core/OptionsValidation.h"
#include "core/WatchedPrograms.h"
#include "EnvTest.h"
#include "FileRewriteCounter.h"
#include "model/Settings.h"
#include "platform/ProcessList.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTest>

using namespace OptionsValidation;

class TestOptions : public EnvTest
{
    Q_OBJECT
private slots:

    // The six checks in order, with their boundaries; the first that fails decides.
    void validation_data()
    {
        QTest::addColumn<QStringList>("page"); // interval, wait, path ("~" = a folder that exists)
        QTest::addColumn<int>("failedStep");
        QTest::addColumn<QString>("message");
        const QString interval = "Invalid torrent check interval. Must be between 2 and 120 ";
        const QString wait = "Invalid startup wait time. Must be between 1 and 20 ";
        const auto row = [](const char *name, const QStringList &page, int step,
                            const QString &message) {
            QTest::newRow(name) << page << step << message;
        };
        row("2", {"2", "5", "~"}, 0, "");
        row("120, wait 20", {"120", "20", "~"}, 0, "");
        row("1.99", {"1.99", "5", "~"}, 2, interval);
        row("120.5", {"120.5", "5", "~"}, 2, interval);
        row("grouping is no decimal", {"1,5", "5", "~"}, 1, "Please enter time in minutes ");
        row("interval before wait", {"1", "x", "~"}, 2, interval);
        row("wait words", {"10", "x", "~"}, 3, "Please enter wait time in minutes ");
        row("wait 0.99", {"10", "0.99", "~"}, 4, wait);
        row("wait 21", {"10", "21", "~"}, 4, wait);
        row("short path", {"10", "5", "/t"}, 5, "Please enter a path to save torrent files ");
        row("missing folder", {"10", "5", "~x/"}, 6, "The torrent path you entered is invalid ");
    }
    void validation()
    {
        QFETCH(QStringList, page);
        const auto r = validate(page[0], page[1], QString(page[2]).replace("~", env->folder()));
        QTEST(r.failedStep, "failedStep");
        QTEST(r.message, "message");
        QCOMPARE(r.critical, r.failedStep == 6);
    }

    // Seconds rounded to the nearest, halves to even; what the box shows reads back as the same
    // seconds, in the user's locale.
    void minutesToSeconds()
    {
        QCOMPARE(OptionsValidation::minutesToSeconds(2.0 + 0.5 / 60), qint16(120));
        QCOMPARE(OptionsValidation::minutesToSeconds(2.0 + 1.5 / 60), qint16(122));
        QCOMPARE(OptionsValidation::minutesToSeconds(2.0 + 0.51 / 60), qint16(121));
        double minutes = 0;
        QVERIFY(parseMinutes(minutesText(125), minutes));
        QCOMPARE(OptionsValidation::minutesToSeconds(minutes), qint16(125));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QVERIFY(parseMinutes("2,5", minutes));
        QCOMPARE(minutes, 2.5);
        QCOMPARE(minutesText(150), QStringLiteral("2,5"));
        QLocale::setDefault(QLocale::c());
    }

    // Defaults on an empty store; a stored folder that does not exist right now (a drive not
    // mounted yet) is replaced for this run only. Saved options load back; start at logon off
    // removes the autostart entry, a disabled wait keeps its value, an empty program list
    // switches detection off. The page's switches come back as saved, on and off, stored as 1
    // or 0 (2 for "View Details").
    void loadAndSave()
    {
        Settings s, loaded;
        OptionsStore::PageValues page;
        OptionsStore options(*env->store, env->services.config, *env->log, *env->sitePassword);
        const auto setSwitches = [&](bool on) {
            s.ShowDebugLog = s.PlaySound = on ? 1 : 0;
            s.AlertOnce = page.filterEnabled = on;
            page.doubleClickAction = on ? 2 : 1;
        };
        const auto expectSwitches = [&](bool on) {
            for (const char *key : {"showdebug", "playsound", "onetime"})
                QVERIFY2(env->store->ReadSettingNumber(key) == (on ? 1 : 0), key);
            QCOMPARE(env->store->ReadSettingNumber("doubleclick"), qint16(on ? 2 : 1));
            QCOMPARE(loaded.ShowDebugLog, qint16(on ? 1 : 0));
            QCOMPARE(loaded.PlaySound, qint16(on ? 1 : 0));
            QCOMPARE(loaded.AlertOnce, on);
            QCOMPARE(loaded.DoubleClickAction, qint16(on ? 2 : 1));
        };
        FileRewriteCounter rewrites(env->services.config.settingsPath());
        QVERIFY(rewrites.isValid());
        options.load(s);
        QCOMPARE(rewrites.count(), 1); // the defaults, written together
        for (const char *key : {"interval", "playsound", "onetime", "startupwait"})
            QVERIFY2(env->store->ReadSettingNumber(key) != 0, key);
        QCOMPARE(s.CheckIntervalSeconds, qint16(600));
        const QString torrents = env->folder() + "torrents/";
        QCOMPARE(env->store->ReadSettingText("torrentpath"), torrents);
        QVERIFY(QFileInfo(torrents).isDir());
        const QString gone = env->folder() + "usb-drive/torrents/";
        env->store->WriteSettingText("torrentpath", gone);
        options.load(s);
        QCOMPARE(s.TorrentFolder, torrents);
        QCOMPARE(env->store->ReadSettingText("torrentpath"), gone);

        const QString folder = env->folder() + "store/";
        QVERIFY(QDir().mkpath(folder));
        s.RunAtStartup = s.StartupWaitEnabled = s.DetectProcesses = true;
        s.SitePassword = "s3cr&t";
        s.SitePasswordChanged = true;
        setSwitches(true);
        page.waitSeconds = 90;
        page.procRows = {"game.exe", "Other.EXE"};
        page.torrentPath = folder.chopped(1); // typed without the final "/"
        rewrites.reset();
        QCOMPARE(options.save(page, s), folder);
        QCOMPARE(rewrites.count(), 1);
        options.load(loaded);
        options.loadprocs(loaded);
        expectSwitches(true);
        QCOMPARE(loaded.SitePassword, QStringLiteral("s3cr&t"));
        QVERIFY(!s.SitePasswordChanged);
        StoredPassword stored("site_password", "password_in_keyring", *env->store, nullptr,
                              *env->log);
        stored.load();
        QCOMPARE(stored.password(), QStringLiteral("s3cr&t"));
        QCOMPARE(loaded.TorrentFolder, folder);
        QVERIFY(loaded.RunAtStartup && loaded.StartupWaitEnabled && loaded.DetectProcesses);
        QCOMPARE(loaded.StartupWaitSeconds, qint16(90));
        QCOMPARE(loaded.WatchedProcesses, page.procRows);

        s.RunAtStartup = s.StartupWaitEnabled = false;
        page.waitSeconds = 600;
        page.procRows.clear();
        setSwitches(false);
        options.save(page, s);
        options.load(loaded);
        options.loadprocs(loaded);
        expectSwitches(false);
        QVERIFY(!loaded.RunAtStartup && !loaded.DetectProcesses);
        QCOMPARE(loaded.StartupWaitSeconds, qint16(90));
    }

    // Watched programs as stored (";" between them) against a running process known by its
    // executable's name or its comm (the name cut to 15 characters).
    void running_data()
    {
        QTest::addColumn<QString>("watched");
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QString>("comm");
        QTest::addColumn<bool>("found");
        const auto row = [](const char *name, const char *watched, const char *exe,
                            const char *comm,
                            bool found) { QTest::newRow(name) << watched << exe << comm << found; };
        row("wine game by its exe, case ignored", "x;GAME.EXE", "game.exe", "wine64-pre", true);
        row("comm holds the first 15", "averyveryverylongname", "", "averyveryverylo", true);
        row("short comm is the whole name", "gamexyz", "", "game", false);
        row("empty last entry switches off", "steam;", "steam", "steam", false);
        row("a blank never matches", " ;z", " ", " ", false);
    }
    void running()
    {
        QFETCH(QString, watched);
        QFETCH(QString, exe);
        QFETCH(QString, comm);
        FakeProcessList processes;
        processes.processes = {{"init", "init"}, {exe, comm}};
        QTEST(WatchedPrograms::IsListedProcessRunning(watched.split(';'), processes), "found");
    }

    // The process list read from a /proc folder: the exe link's file name (without the mark
    // of a deleted file) and comm; a process whose exe link cannot be read is still listed by
    // its comm, one with neither is left out, and only numeric entries are processes.
    void readsProcFs()
    {
        QTemporaryDir proc;
        QVERIFY(proc.isValid());
        const auto process = [&](const QString &entry, const QString &exe, const QString &comm) {
            QVERIFY(QDir(proc.path()).mkdir(entry));
            const QString base = proc.filePath(entry);
            if (!exe.isEmpty())
                QVERIFY(QFile::link(exe, base + "/exe"));
            if (!comm.isEmpty()) {
                QFile file(base + "/comm");
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write(comm.toLocal8Bit() + "\n");
            }
        };
        process("100", "/opt/wine/game.exe", "wine64-preload");
        process("101", "", "bash");
        process("102", "/opt/tool/Tool (deleted)", "Tool");
        process("103", "", "");
        process("self", "/usr/bin/other", "other");
        const QList<RunningProcess> running = ProcFsProcessList(proc.path()).running();
        QStringList seen;
        for (const RunningProcess &p : running)
            seen << p.exeName + "|" + p.comm;
        QCOMPARE(seen, (QStringList{"game.exe|wine64-preload", "|bash", "Tool|Tool"}));
        QVERIFY(ProcFsProcessList(proc.filePath("missing")).running().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestOptions)
#include "tst_options.moc"

#include "core/DebugReport.h"
#include "core/Settings.h"
#include "platform/TextUtils.h"
#include "TestEnv.h"

#include <QTest>

class TestDebugReport : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        env = std::make_unique<TestEnv>();
        settings = Settings();
        settings.TorrentFolder = "/home/u/torrents/";
        in = DebugReport::Input();
        in.settings = &settings;
        in.store = env->store.get();
        in.filtersPath = env->file("filters.dat");
        in.logLines = {"(10:00:00) one", "(10:00:01) two"};
    }
    void cleanup()
    {
        QCOMPARE(env->problems(), QString());
        env.reset();
    }

    void fullReport()
    {
        env->store->WriteSettingText("appbuild", "512");
        env->store->WriteSettingText("lastalerted", "700020");
        env->store->WriteSettingText("lastparsed", "700030");
        env->store->WriteSettingText("filterver", "1.1");
        settings.AlertOnce = true;
        settings.DetectProcesses = false;
        settings.SiteUserName = "alice";
        settings.SitePassword = "hunter2";
        in.procRows = {"game.exe", "other.exe"};
        in.filterEnabled = true;
        in.filterCount = 1;
        QVERIFY(ReplaceTextFileAtomically(in.filtersPath, "110*\r\n*\r\n"));

        const QString expected = "Pollwick 1.3.512 Debug Info\r\n"
                                 "-----------------------------\r\n"
                                 "\r\n"
                                 "\r\n"
                                 "Appbuld: 512\r\n"
                                 "Onetime: True\r\n"
                                 "Detect Procs: False\r\n"
                                 "   game.exe\r\n"
                                 "   other.exe\r\n"
                                 "Torrent path: /home/u/torrents/\r\n"
                                 "User & Pass Set? (y/n): Yes\r\n"
                                 "Filter Torrents: True\r\n"
                                 "Filter Version: 1.1\r\n"
                                 "la: 700020\r\n"
                                 "lp: 700030\r\n"
                                 "Filters (1): \r\n"
                                 "110*\r\n*\r\n\r\n"
                                 "---------\r\n"
                                 "Available debug log entires: \r\n"
                                 "   (10:00:00) one\r\n"
                                 "   (10:00:01) two\r\n";
        const QString report = DebugReport::build(in);
        QCOMPARE(report, expected);
        QVERIFY(!report.contains("hunter2"));
    }

    void withoutFiltersOrCredentials()
    {
        settings.SiteUserName = "alice"; // a user name alone is not enough
        const QString report = DebugReport::build(in);
        QVERIFY(report.contains("\r\nUser & Pass Set? (y/n): No\r\n"));
        QVERIFY(report.contains("\r\nFilter Torrents: False\r\n"));
        QVERIFY(report.contains("\r\nFilter Version: 1.0\r\n"));
        QVERIFY(report.contains("\r\nlp: \r\nAvailable debug log entires: \r\n"));
        QVERIFY(!report.contains("Filters ("));
    }

private:
    std::unique_ptr<TestEnv> env;
    Settings settings;
    DebugReport::Input in;
};

QTEST_GUILESS_MAIN(TestDebugReport)
#include "tst_debugreport.moc"

#include "core/DebugReport.h"
#include "model/Settings.h"
#include "platform/TextUtils.h"
#include "TestEnv.h"

#include <QTest>

class TestDebugReport : public QObject
{
    Q_OBJECT
private slots:
    void report()
    {
        TestEnv env;
        Settings settings;
        settings.TorrentFolder = "/home/u/torrents/";
        settings.SiteUserName = "alice"; // a user name alone is not enough
        DebugReport::Input in;
        in.settings = &settings;
        in.store = env.store.get();
        in.filtersPath = env.file("filters.dat");
        in.logLines = {"(10:00:00) one", "(10:00:01) two"};
        const QString bare = DebugReport::build(in);
        QVERIFY(bare.contains("\r\nUser & Pass Set? (y/n): No\r\nFilter Torrents: False\r\n"
                              "Filter Version: 1.0\r\n"));
        QVERIFY(bare.contains("\r\nlp: \r\nAvailable debug log entires: \r\n"));

        env.store->WriteSettingText("appbuild", "512");
        env.store->WriteSettingText("lastalerted", "700020");
        env.store->WriteSettingText("lastparsed", "700030");
        env.store->WriteSettingText("filterver", "1.1");
        settings.AlertOnce = true;
        settings.SitePassword = "hunter2";
        in.procRows = {"game.exe", "other.exe"};
        in.filterEnabled = true;
        in.filterCount = 1;
        QVERIFY(ReplaceTextFileAtomically(in.filtersPath, "110*\r\n*\r\n"));
        QCOMPARE(DebugReport::build(in),
                 QStringLiteral(
                     "Pollwick 1.3.512 Debug Info\r\n-----------------------------\r\n\r\n\r\n"
                     "Appbuld: 512\r\nOnetime: True\r\nDetect Procs: False\r\n"
                     "   game.exe\r\n   other.exe\r\nTorrent path: /home/u/torrents/\r\n"
                     "User & Pass Set? (y/n): Yes\r\nFilter Torrents: True\r\n"
                     "Filter Version: 1.1\r\nla: 700020\r\nlp: 700030\r\n"
                     "Filters (1): \r\n110*\r\n*\r\n\r\n---------\r\n"
                     "Available debug log entires: \r\n"
                     "   (10:00:00) one\r\n   (10:00:01) two\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestDebugReport)
#include "tst_debugreport.moc"

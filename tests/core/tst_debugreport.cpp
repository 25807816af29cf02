#include "core/DebugLog.h"
#include "core/DebugReport.h"
#include "EnvTest.h"
#include "model/Settings.h"
#include "platform/WholeFiles.h"

#include <QTest>

class TestDebugReport : public EnvTest
{
    Q_OBJECT
private slots:
    // Each line starts with the time of day in brackets, which follows the clock from one
    // second to the next (the text is made once per second).
    void linesCarryTheTimeOfDay()
    {
        env->clock.set(QDateTime(QDate(2026, 12, 6), QTime(14, 30, 0)));
        env->log->debug_console("a");
        env->clock.advanceSeconds(1);
        env->log->debug_console("b");
        env->log->debug_console("c");
        env->clock.advanceSeconds(60);
        env->log->debug_console("d");
        QStringList times, texts;
        for (const QString &line : env->log->lines()) {
            QVERIFY2(line.startsWith('(') && line.contains(") "), qPrintable(line));
            times << line.mid(1, line.indexOf(") ") - 1);
            texts << line.mid(line.indexOf(") ") + 2);
        }
        QCOMPARE(texts, (QStringList{"a", "b", "c", "d"}));
        // The hour's form follows the system's language; minutes and seconds always show.
        QVERIFY2(times[0].contains("30:00"), qPrintable(times[0]));
        QVERIFY2(times[1].contains("30:01") && times[2] == times[1], qPrintable(times[1]));
        QVERIFY2(times[3].contains("31:01"), qPrintable(times[3]));
    }

    void report()
    {
        Settings settings;
        settings.TorrentFolder = "/home/u/torrents/";
        settings.SiteUserName = "alice"; // a user name alone is not enough
        DebugReport::Input in;
        in.settings = &settings;
        in.store = env->store.get();
        in.filtersPath = env->file("filters.dat");
        in.logLines = {"(10:00:00) one", "(10:00:01) two"};
        const QString bare = DebugReport::build(in);
        QVERIFY(bare.contains("\r\nUser & Pass Set? (y/n): No\r\nFilter Torrents: False\r\n"
                              "Filter Version: 1.0\r\n"));
        QVERIFY(bare.contains("\r\nlp: \r\nAvailable debug log entires: \r\n"));

        env->store->WriteSettingText("appbuild", "512");
        env->store->WriteSettingText("lastalerted", "700020");
        env->store->WriteSettingText("lastparsed", "700030");
        env->store->WriteSettingText("filterver", "1.1");
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

#include "EnvTest.h"
#include "feed/TorrentDb.h"
#include "model/ProgramState.h"
#include "platform/WholeFiles.h"

#include <QtTest>

// The check's rows after its start row are appended to torrents.db only when the file is in
// step with the check (search_newest equal to lastparsed), after the larger of search_newest
// and the file's last id; a write that fails is cut back.
class TestTorrentDb : public EnvTest
{
    Q_OBJECT

    static QString line(const QString &id)
    {
        return id + "\t" + id + "00\tAppz\t1\tName " + id + "\t" + id + ".torrent\r\n";
    }

private slots:
    void append_data()
    {
        QTest::addColumn<QString>("newest");
        QTest::addColumn<int>("lastparsed");
        // "-": none; "<folder>": cannot be written (a write cut short and cut back is
        // tst_searchrules' failedAppendIsCutBack)
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QStringList>("feed");
        QTest::addColumn<QString>("expectedFile"); // the same as file: skipped
        QTest::addColumn<QString>("expectedNewest");
        const QString start = line("999") + line("1000");
        const QStringList two{"1000", "1001"};
        // clang-format off
        QTest::newRow("file behind the check: out of step") << "998" << 1000 << start << false
            << two << start << "998";
        QTest::newRow("no torrents.db: nothing written") << "1000" << 1000 << "-" << false << two
            << "-" << "1000";
        QTest::newRow("busy: skipped") << "1000" << 1000 << start << true << two << start << "1000";
        QTest::newRow("search_newest not a number: out of step") << "10x0" << 1000 << start
            << false << two << start << "10x0";
        QTest::newRow("first run never appends") << "0" << 0 << start << false
            << QStringList{"5", "6"} << start << "0";
        QTest::newRow("new rows after the start row, unreadable ids left out") << "1000" << 1000
            << start << false << QStringList{"1000", "x", "1001", "1002"}
            << start + line("1001") + line("1002") << "1002";
        QTest::newRow("start row gone from the site, a last line without CR LF closed first")
            << "1000" << 1000 << "1000\tx" << false << QStringList{"1003", "1004"}
            << "1000\tx\r\n" + line("1003") + line("1004") << "1004";
        QTest::newRow("more digits compare as numbers") << "99999" << 99999 << line("99999")
            << false << QStringList{"99999", "100000"} << line("99999") + line("100000")
            << "100000";
        QTest::newRow("path is a folder: reported, nothing changed") << "1000" << 1000
            << "<folder>" << false << two << "<folder>" << "1000";
        QTest::newRow("file ahead of search_newest (a crash before storing): rows after its "
            "last id") << "1000" << 1000 << start + line("1001") << false
            << QStringList{"1000", "1001", "1002"} << start + line("1001") + line("1002")
            << "1002";
        const QString longLine = "1001\t1\tAppz\t1\t" + QString(5000, 'x') + "\tx.torrent\r\n";
        QTest::newRow("file ahead by a line longer than 4 KiB") << "1000" << 1000
            << start + longLine << false << QStringList{"1000", "1001", "1002"}
            << start + longLine + line("1002") << "1002";
        QTest::newRow("file holds the check's rows already: search_newest catches up") << "1000"
            << 1000 << start + line("1001") + line("1002") << false
            << QStringList{"1000", "1001", "1002"} << start + line("1001") + line("1002")
            << "1002";
        QTest::newRow("file behind search_newest: rows after search_newest") << "1001" << 1001
            << start << false << QStringList{"1001", "1002"} << start + line("1002") << "1002";
        // clang-format on
    }
    void append()
    {
        QFETCH(QString, newest);
        QFETCH(QString, file);
        QFETCH(bool, busy);
        QFETCH(QStringList, feed);
        QFETCH(QString, expectedFile);
        env->clock.set(QDateTime(QDate(2027, 3, 4), QTime(17, 5, 9)));
        const QString path = env->file("torrents.db");
        env->store->WriteSettingText("search_newest", newest);
        env->store->WriteSettingText("search_updated", "01-01-2027|00:00:00");
        if (file == "<folder>")
            QVERIFY(QDir().mkpath(path));
        else if (file != "-")
            QVERIFY(ReplaceTextFileAtomically(path, file));
        ProgramState state;
        state.TorrentDbBusy = busy;
        for (const QString &id : feed)
            state.feed.append({id, id + "00", "Appz", "Name " + id, id + ".torrent"});
        QFETCH(int, lastparsed);
        const TorrentDb::AppendResult result =
            TorrentDb(state, *env->store, env->clock, env->log.get(), path)
                .appendFromCheck(lastparsed);
        QStringList log = env->log->lines();

        const bool failed = file.startsWith('<');
        const bool appended = !failed && expectedFile != file;
        QCOMPARE(result.status, failed     ? TorrentDb::AppendStatus::Failed
                                : appended ? TorrentDb::AppendStatus::Appended
                                           : TorrentDb::AppendStatus::Skipped);
        if (!file.startsWith('<'))
            QCOMPARE(QFile::exists(path) ? ReadTextFile(path) : "-", expectedFile);
        QTEST(env->store->ReadSettingText("search_newest"), "expectedNewest");
        QFETCH(QString, expectedNewest);
        QCOMPARE(env->store->ReadSettingText("search_updated"),
                 QString(expectedNewest != newest ? "04-03-2027|17:05:09" : "01-01-2027|00:00:00"));
        for (QString &l : log)
            l = l.mid(l.indexOf(") ") + 2).section(": ", 0, 0);
        const QStringList updating{"Updating torrent db.", "Update successful."};
        const QStringList failing{"Updating torrent db.", "Failed to update torrent db"};
        QCOMPARE(log, appended ? updating : failed ? failing : QStringList());
    }
};

QTEST_GUILESS_MAIN(TestTorrentDb)
#include "tst_torrentdb.moc"

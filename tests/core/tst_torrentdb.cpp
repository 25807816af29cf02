#include "core/ProgramState.h"
#include "feed/TorrentDb.h"
#include "platform/TextUtils.h"
#include "TestEnv.h"

#include <QtTest>

class TestTorrentDb : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> env;
    ProgramState state;

    static TorrentRecord row(const QString &id)
    {
        return {id, id + "00", "Appz", "Name " + id, id + ".torrent"};
    }
    static QString line(const QString &id)
    {
        return id + "\t" + id + "00\tAppz\t1\tName " + id + "\t" + id + ".torrent\r\n";
    }
    QString dbPath() const { return env->file("torrents.db"); }
    QStringList logLines() const
    {
        QStringList out;
        for (QString l : env->log->lines())
            out.append(l.remove(QRegularExpression(QStringLiteral("^\\([^)]*\\) "))));
        return out;
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnv>();
        env->clock.set(QDateTime(QDate(2027, 3, 4), QTime(17, 5, 9)));
        state = ProgramState();
    }
    void cleanup()
    {
        QVERIFY2(env->problems().isEmpty(), qPrintable(env->problems()));
        env.reset();
    }

    void append_data()
    {
        QTest::addColumn<QString>("newest"); // "-" for a missing value
        QTest::addColumn<int>("lastparsed");
        QTest::addColumn<QString>("file"); // "-" for no file
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QStringList>("feed");
        QTest::addColumn<QString>("expectedFile");
        QTest::addColumn<QString>("expectedNewest");

        const QString start = line("999") + line("1000");
        QTest::newRow("new rows after the start row")
            << "1000" << 1000 << start << false << QStringList{"1000", "1001", "1002"}
            << start + line("1001") + line("1002") << "1002";
        QTest::newRow("count 1: only the start row, nothing appended")
            << "1000" << 1000 << start << false << QStringList{"1000"} << start << "1000";
        QTest::newRow("developer mode starts 30 below: out of step")
            << "1000" << 970 << start << false << QStringList{"970", "1000", "1001"} << start
            << "1000";
        QTest::newRow("file behind the check: out of step")
            << "998" << 1000 << start << false << QStringList{"1000", "1001"} << start << "998";
        QTest::newRow("no torrents.db: nothing written")
            << "1000" << 1000 << "-" << false << QStringList{"1000", "1001"} << "-"
            << "1000";
        QTest::newRow("busy: skipped")
            << "1000" << 1000 << start << true << QStringList{"1000", "1001"} << start << "1000";
        QTest::newRow("search_newest not a number: out of step")
            << "10x0" << 1000 << start << false << QStringList{"1000", "1001"} << start << "10x0";
        QTest::newRow("search_newest missing: out of step")
            << "-" << 1000 << start << false << QStringList{"1000", "1001"} << start << "";
        QTest::newRow("first run never appends")
            << "0" << 0 << start << false << QStringList{"5", "6"} << start << "0";
        QTest::newRow("start row gone from the site: the first row is still new")
            << "1000" << 1000 << start << false << QStringList{"1003", "1004"}
            << start + line("1003") + line("1004") << "1004";
        QTest::newRow("unreadable ids are left out")
            << "1000" << 1000 << start << false << QStringList{"1000", "x", "1001"}
            << start + line("1001") << "1001";
        QTest::newRow("a last line without CR LF is closed first")
            << "1000" << 1000 << "1000\tx" << false << QStringList{"1000", "1001"}
            << "1000\tx\r\n" + line("1001") << "1001";
        QTest::newRow("more digits compare as numbers")
            << "99999" << 99999 << line("99999") << false << QStringList{"99999", "100000"}
            << line("99999") + line("100000") << "100000";
    }
    void append()
    {
        QFETCH(QString, newest);
        QFETCH(int, lastparsed);
        QFETCH(QString, file);
        QFETCH(bool, busy);
        QFETCH(QStringList, feed);
        QFETCH(QString, expectedFile);
        QFETCH(QString, expectedNewest);

        if (newest != "-")
            env->store->WriteSettingText("search_newest", newest);
        env->store->WriteSettingText("search_updated", "01-01-2027|00:00:00");
        if (file != "-")
            QVERIFY(ReplaceTextFileAtomically(dbPath(), file));
        state.TorrentDbBusy = busy;
        for (const QString &id : feed)
            state.feed.append(row(id));

        TorrentDb db(state, *env->store, env->clock, env->log.get(), dbPath());
        const TorrentDb::AppendResult result = db.appendFromCheck(lastparsed);

        const bool appended = expectedFile != file;
        QCOMPARE(result.status,
                 appended ? TorrentDb::AppendStatus::Appended : TorrentDb::AppendStatus::Skipped);
        if (expectedFile == "-")
            QVERIFY(!QFile::exists(dbPath()));
        else
            QCOMPARE(ReadTextFile(dbPath()), expectedFile);
        QCOMPARE(env->store->ReadSettingText("search_newest"), expectedNewest);
        QCOMPARE(env->store->ReadSettingText("search_updated"),
                 appended ? QStringLiteral("04-03-2027|17:05:09")
                          : QStringLiteral("01-01-2027|00:00:00"));
        const QStringList expectedLog =
            appended ? QStringList{"Updating torrent db.", "Update successful."} : QStringList{};
        QCOMPARE(logLines(), expectedLog);
        QCOMPARE(state.TorrentDbBusy, busy);
    }

    void failedWriteIsReportedAndChangesNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("path is a folder") << "folder";
        QTest::newRow("device full") << "full";
    }
    void failedWriteIsReportedAndChangesNothing()
    {
        QFETCH(QString, kind);
        if (kind == "folder") {
            QVERIFY(QDir().mkpath(dbPath()));
        } else {
            if (!QFileInfo::exists("/dev/full"))
                QSKIP("no /dev/full on this system");
            QVERIFY(QFile::link("/dev/full", dbPath()));
        }
        env->store->WriteSettingText("search_newest", "1000");
        state.feed = {row("1000"), row("1001")};

        TorrentDb db(state, *env->store, env->clock, env->log.get(), dbPath());
        const TorrentDb::AppendResult result = db.appendFromCheck(1000);

        QCOMPARE(result.status, TorrentDb::AppendStatus::Failed);
        QVERIFY(!result.error.isEmpty());
        QCOMPARE(env->store->ReadSettingText("search_newest"), QStringLiteral("1000"));
        QVERIFY(env->store->ReadSettingText("search_updated").isEmpty());
        QVERIFY(!state.TorrentDbBusy);
        const QStringList log = logLines();
        QCOMPARE(log.size(), 2);
        QCOMPARE(log[0], QStringLiteral("Updating torrent db."));
        QVERIFY(log[1].startsWith("Failed to update torrent db: "));
    }

    void lineFormat()
    {
        const TorrentRecord parsed{"1001", "2048", "n/a", "A B C", "A.B.C.torrent"};
        QCOMPARE(TorrentDb::lineFor(parsed),
                 QStringLiteral("1001\t2048\tn/a\t1\tA B C\tA.B.C.torrent"));
        QCOMPARE(TorrentDb::timestampText(QDateTime(QDate(2026, 12, 31), QTime(0, 0, 5))),
                 QStringLiteral("31-12-2026|00:00:05"));
    }

    void readLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<TorrentRecord>("record");
        QTest::newRow("as the site sent it")
            << "5\t100\t\tx\tA.B.C\tf.torrent" << true
            << TorrentRecord{"5", "100", "n/a", "A B C", "f.torrent"};
        QTest::newRow("as the check appends it")
            << "6\t200\tMusic\t1\tA B\tA.B.torrent" << true
            << TorrentRecord{"6", "200", "Music", "A B", "A.B.torrent"};
        QTest::newRow("short row") << "7\t300" << true << TorrentRecord{"7", "300", "n/a", "", ""};
        QTest::newRow("no tab") << "garbage" << false << TorrentRecord{};
    }
    void readLine()
    {
        QFETCH(QString, line);
        QFETCH(bool, ok);
        QFETCH(TorrentRecord, record);
        TorrentRecord read;
        QCOMPARE(TorrentDb::readLine(line, &read), ok);
        if (ok)
            QCOMPARE(read, record);
    }
};

QTEST_GUILESS_MAIN(TestTorrentDb)
#include "tst_torrentdb.moc"

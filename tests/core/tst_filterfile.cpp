#include "filters/FilterFile.h"
#include "platform/TextUtils.h"
#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestFilterFile : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        env = std::make_unique<TestEnv>();
        path = env->file("filters.dat");
    }
    void cleanup()
    {
        QCOMPARE(env->problems(), QString());
        env.reset();
    }

    // Bytes on disk -> table -> the same bytes.
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("count");
        QTest::newRow("one star filter") << QByteArray("110*\r\n*\r\n") << 1;
        QTest::newRow("keywords and categories")
            << QByteArray("111linux&&iso\r\nAppz/PC ISO, Appz/misc\r\n020x\r\nMusic\r\n") << 2;
        QTest::newRow("latin-1 keyword") << QByteArray("130caf\xe9\r\n*\r\n") << 1;
    }
    void roundTrip()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(ReplaceFileAtomically(path, bytes));
        bool found = false;
        const FilterTable table = FilterFile::read(path, &found);
        QVERIFY(found);
        QTEST(table.count(), "count");
        QVERIFY(FilterFile::write(path, table));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
    }

    void malformed_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("lastDescription");
        QTest::newRow("short rule line")
            << QByteArray("021\r\n*\r\n") << 1 << "Exactly Matches  in all categories";
        QTest::newRow("unknown codes") << QByteArray("19xkw\r\nA\r\n") << 1 << " kw in A";
        QTest::newRow("odd line count")
            << QByteArray("110a\r\nA\r\n110b\r\n") << 2 << "Contains b in ";
        QTest::newRow("no final CR LF")
            << QByteArray("110a\r\nA\r\n110b\r\nB") << 2 << "Contains b in B";
        QTest::newRow("LF only is one line") << QByteArray("110a\nA\n") << 0 << "";
    }
    void malformed()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, count);
        QVERIFY(ReplaceFileAtomically(path, bytes));
        const FilterTable table = FilterFile::read(path);
        QCOMPARE(table.count(), count);
        if (count > 0)
            QTEST(table.ffname(count), "lastDescription");
    }

    void missingAndEmptyFiles()
    {
        bool found = true;
        QVERIFY(FilterFile::read(path, &found).isEmpty());
        QVERIFY(!found);
        QVERIFY(!QFile::exists(path));
        QVERIFY(ReplaceFileAtomically(path, QByteArray()));
        found = true;
        QVERIFY(FilterFile::read(path, &found).isEmpty());
        QVERIFY(!found);
    }

    void emptyTableRemovesTheFile()
    {
        QVERIFY(ReplaceFileAtomically(path, "110*\r\n*\r\n"));
        QVERIFY(FilterFile::write(path, FilterTable()));
        QVERIFY(!QFile::exists(path));
        QVERIFY(FilterFile::write(path, FilterTable()));
    }

    void removedRecordsAreLeftOut()
    {
        FilterTable table = FilterTable::parse("110a\r\nA\r\n110b\r\nB\r\n");
        table[1].Removed = true;
        QVERIFY(FilterFile::write(path, table));
        QCOMPARE(ReadTextFile(path), QStringLiteral("110b\r\nB\r\n"));
    }

    void failedWriteIsReported()
    {
        // A folder in the file's place cannot be replaced, whatever the user's rights.
        QVERIFY(QDir().mkpath(path));
        QString error;
        QVERIFY(!FilterFile::write(path, FilterTable::parse("110new\r\n*\r\n"), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(QFileInfo(path).isDir());
        error.clear();
        QVERIFY(!FilterFile::write(path, FilterTable(), &error));
        QVERIFY(!error.isEmpty());
    }

private:
    std::unique_ptr<TestEnv> env;
    QString path;
};

QTEST_GUILESS_MAIN(TestFilterFile)
#include "tst_filterfile.moc"

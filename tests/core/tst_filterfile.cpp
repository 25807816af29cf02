#include "filters/FilterFile.h"
#include "platform/TextUtils.h"
#include "TestEnv.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestFilterFile : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> env;
    QString path;

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

    // Bytes on disk (none: no file) -> table -> bytes written back (none: the file is gone,
    // as it is when the table is empty).
    void readAndWriteBack_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QByteArray>("written");
        const QByteArray two("111linux&&iso\r\nAppz/PC ISO, Appz/misc\r\n020x\r\nMusic\r\n");
        const QByteArray latin1("130caf\xe9\r\n*\r\n");
        QTest::newRow("two filters") << two << true << 2 << "Exactly Matches x in Music" << two;
        QTest::newRow("latin-1 keyword")
            << latin1 << true << 1 << "Does Not Contain caf\u00e9 in all categories" << latin1;
        QTest::newRow("short rule line")
            << QByteArray("021\r\n*\r\n") << true << 1 << "Exactly Matches  in all categories"
            << QByteArray("021\r\n*\r\n");
        QTest::newRow("odd line count")
            << QByteArray("110a\r\nA\r\n110b\r\n") << true << 2 << "Contains b in "
            << QByteArray("110a\r\nA\r\n110b\r\n\r\n");
        QTest::newRow("LF only is one line")
            << QByteArray("110a\nA\n") << true << 0 << "" << QByteArray();
        QTest::newRow("empty file") << QByteArray("") << false << 0 << "" << QByteArray();
        QTest::newRow("no file") << QByteArray() << false << 0 << "" << QByteArray();
    }
    void readAndWriteBack()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, found);
        QFETCH(QByteArray, written);
        if (!bytes.isNull())
            QVERIFY(ReplaceFileAtomically(path, bytes));
        bool seen = !found;
        const FilterTable table = FilterFile::read(path, &seen);
        QCOMPARE(seen, found);
        QTEST(table.count(), "count");
        QTEST(table.ffname(table.count()), "last");
        QVERIFY(FilterFile::write(path, table));
        QFile file(path);
        QCOMPARE(file.exists(), !written.isNull());
        if (file.open(QIODevice::ReadOnly))
            QCOMPARE(file.readAll(), written);
    }

    // A folder in the file's place can be neither replaced nor removed.
    void failedWriteIsReported()
    {
        QVERIFY(QDir().mkpath(path));
        for (const FilterTable &table : {FilterTable::parse("110new\r\n*\r\n"), FilterTable()}) {
            QString error;
            QVERIFY(!FilterFile::write(path, table, &error));
            QVERIFY(!error.isEmpty());
        }
        QVERIFY(QFileInfo(path).isDir());
    }
};

QTEST_GUILESS_MAIN(TestFilterFile)
#include "tst_filterfile.moc"

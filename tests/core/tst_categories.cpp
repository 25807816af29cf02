#include "feed/Categories.h"
#include "platform/TextUtils.h"
#include "TestEnv.h"

#include <QFile>
#include <QTest>

class TestCategories : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        env = std::make_unique<TestEnv>();
        path = env->file("categories.db");
    }
    void cleanup()
    {
        QCOMPARE(env->problems(), QString());
        env.reset();
    }

    void builtInListWithoutAFile()
    {
        const QStringList names = Categories::load(path, *env->log);
        QCOMPARE(names.size(), 25);
        QCOMPARE(names.first(), QStringLiteral("Appz/PC ISO"));
        QCOMPARE(names[6], QStringLiteral("Games/Xbox 360"));
        QCOMPARE(names.last(), QStringLiteral("Movies/HD"));
        QVERIFY(env->log->lines().last().endsWith(") 25 cats loaded statically"));
        QVERIFY(!QFile::exists(path));
    }

    void loadedFromFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("three") << QByteArray("A\tB b\tC") << QStringList{"A", "B b", "C"};
        QTest::newRow("empty file holds none") << QByteArray() << QStringList();
        QTest::newRow("latin-1") << QByteArray("Caf\xe9\tX") << QStringList{"Caf\u00e9", "X"};
    }
    void loadedFromFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, names);
        QVERIFY(ReplaceFileAtomically(path, content));
        QCOMPARE(Categories::load(path, *env->log), names);
        QVERIFY(env->log->lines().last().endsWith(
            QStringLiteral(") %1 cats loaded from file").arg(names.size())));
    }

    void sync_data()
    {
        QTest::addColumn<QStringList>("current");
        QTest::addColumn<QStringList>("site");
        QTest::addColumn<QStringList>("logTail");
        QTest::addColumn<bool>("rewritten");
        const QStringList builtIn = Categories::builtIn();
        QStringList more = builtIn;
        more << "Ebooks";
        QStringList reordered = builtIn;
        reordered.swapItemsAt(0, 1);
        QStringList recased = builtIn;
        recased[3] = "MUSIC";
        QTest::newRow("same list")
            << builtIn << builtIn << QStringList{"Cats up-to-date."} << false;
        QTest::newRow("26 names")
            << builtIn << more
            << QStringList{"Cat numbers differ between hosts. Full update needed", "New cats added",
                           "26 cats loaded from file"}
            << true;
        QTest::newRow("other order")
            << builtIn << reordered
            << QStringList{"Full cat update needed", "New cats added", "25 cats loaded from file"}
            << true;
        QTest::newRow("letter case")
            << builtIn << recased
            << QStringList{"Full cat update needed", "New cats added", "25 cats loaded from file"}
            << true;
        QTest::newRow("nothing loaded")
            << QStringList() << QStringList{"A", "B"}
            << QStringList{"Full cat update needed", "New cats added", "2 cats loaded from file"}
            << true;
    }
    void sync()
    {
        QFETCH(QStringList, current);
        QFETCH(QStringList, site);
        QFETCH(QStringList, logTail);
        QFETCH(bool, rewritten);
        const QStringList now = Categories::sync(site, current, path, *env->log);
        QCOMPARE(now, site);
        QStringList tail;
        for (const QString &line : env->log->lines())
            tail << line.mid(line.indexOf(") ") + 2);
        QCOMPARE(tail, logTail);
        QCOMPARE(QFile::exists(path), rewritten);
        if (rewritten)
            QCOMPARE(ReadTextFile(path), site.join('\t'));
    }

    void unwritableFileKeepsTheListInUse()
    {
        // A folder in the file's place cannot be replaced.
        QVERIFY(QDir().mkpath(path));
        const QStringList current = {"A", "B"};
        const QStringList now = Categories::sync({"A", "C"}, current, path, *env->log);
        QCOMPARE(now, current);
        QVERIFY(env->log->lines().last().contains(") Unable to write categories.db: "));
    }

private:
    std::unique_ptr<TestEnv> env;
    QString path;
};

QTEST_GUILESS_MAIN(TestCategories)
#include "tst_categories.moc"

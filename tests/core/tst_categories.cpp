#include "EnvTest.h"
#include "feed/Categories.h"
#include "platform/WholeFiles.h"

#include <QFile>
#include <QTest>

class TestCategories : public EnvTest
{
    Q_OBJECT
private slots:
    void init()
    {
        EnvTest::init();
        path = env->file("categories.db");
    }

    void loader()
    {
        const QStringList names = Categories::load(path, *env->log);
        QCOMPARE(names.size(), 25);
        QCOMPARE(names.first(), QStringLiteral("Appz/PC ISO"));
        QCOMPARE(lastLine(), QStringLiteral("25 cats loaded statically"));
        QVERIFY(!QFile::exists(path));
        QVERIFY(ReplaceFileAtomically(path, "A\tB b\tC"));
        QCOMPARE(Categories::load(path, *env->log), QStringList({"A", "B b", "C"}));
        QCOMPARE(lastLine(), QStringLiteral("3 cats loaded from file"));
        QVERIFY(ReplaceFileAtomically(path, QByteArray()));
        QCOMPARE(Categories::load(path, *env->log), QStringList());
    }

    // The site's line 2 against the names in use: a full update rewrites categories.db.
    void sync_data()
    {
        QTest::addColumn<QStringList>("current");
        QTest::addColumn<QStringList>("site");
        QTest::addColumn<QString>("firstLine");
        const QStringList builtIn = Categories::builtIn();
        QStringList recased = builtIn;
        recased[3] = "MUSIC";
        QTest::newRow("same list") << builtIn << builtIn << "Cats up-to-date.";
        QTest::newRow("26 names") << builtIn << (builtIn + QStringList{"Ebooks"})
                                  << "Cat numbers differ between hosts. Full update needed";
        QTest::newRow("letter case") << builtIn << recased << "Full cat update needed";
    }
    void sync()
    {
        QFETCH(QStringList, current);
        QFETCH(QStringList, site);
        QCOMPARE(Categories::sync(site, current, path, *env->log), site);
        QTEST(env->messages().first(), "firstLine");
        const bool rewritten = site != current;
        QCOMPARE(QFile::exists(path), rewritten);
        if (rewritten) {
            QCOMPARE(env->messages().mid(1),
                     QStringList(
                         {"New cats added", QString("%1 cats loaded from file").arg(site.size())}));
            QCOMPARE(ReadTextFile(path), site.join('\t'));
        }
    }

    void unwritableFileKeepsTheListInUse()
    {
        QVERIFY(QDir().mkpath(path)); // a folder in the file's place cannot be replaced
        const QStringList current = {"A", "B"};
        QCOMPARE(Categories::sync({"A", "C"}, current, path, *env->log), current);
        QVERIFY(lastLine().startsWith("Unable to write categories.db: "));
    }

private:
    QString lastLine() const
    {
        const QString line = env->log->lines().last();
        return line.mid(line.indexOf(") ") + 2);
    }

    QString path;
};

QTEST_GUILESS_MAIN(TestCategories)
#include "tst_categories.moc"

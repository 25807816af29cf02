#include "EnvTest.h"
#include "filters/FilterFile.h"
#include "filters/FilterLimitsFile.h"
#include "filters/FilterListOps.h"
#include "platform/WholeFiles.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestFilterFile : public EnvTest
{
    Q_OBJECT

    QString path;
    QString limitsPath;

    // filters.dat lines with the limits of filterlimits.dat lines attached.
    static FilterTable withLimits(const QString &filtersDat, const QString &limits)
    {
        FilterTable table = FilterTable::parse(filtersDat);
        QList<FilterLimitsFile::Entry> entries;
        if (!FilterLimitsFile::parse(limits, &entries) ||
            !FilterLimitsFile::attach(&table, entries).isEmpty())
            qFatal("limits that do not fit their filters");
        return table;
    }
    static QStringList descriptions(const FilterTable &table)
    {
        QStringList out;
        for (int slot = 1; slot <= table.count(); ++slot)
            out.append(table.ffname(slot));
        return out;
    }
    static QByteArray fileBytes(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void init()
    {
        EnvTest::init();
        path = env->file("filters.dat");
        limitsPath = env->file("filterlimits.dat");
    }

    // Bytes on disk (none: no file) -> table -> bytes written back (none: the file is gone,
    // as it is when the table is empty). filterlimits.dat, when there is one, names each
    // filter by its lines (the box left out) and its occurrence; filters.dat stays as it is.
    void readAndWriteBack_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("limits");
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QByteArray>("written");
        const QByteArray two("111linux&&iso\r\nAppz/PC ISO, Appz/misc\r\n020x\r\nMusic\r\n");
        const QByteArray latin1("130caf\xe9\r\n*\r\n");
        const QByteArray thrice("110a\r\n*\r\n110a\r\n*\r\n010a\r\n*\r\n");
        const QByteArray odd("121a\tb\\c\rd\r\nX\\, Y\r\n");
        const QByteArray none;
        // clang-format off
        QTest::newRow("two filters") << two << none << true << 2 << "Exactly Matches x in Music"
            << two;
        QTest::newRow("latin-1 keyword") << latin1 << none << true << 1
            << "Does Not Contain caf\u00e9 in all categories" << latin1;
        QTest::newRow("short rule line") << QByteArray("021\r\n*\r\n") << none << true << 1
            << "Exactly Matches  in all categories" << QByteArray("021\r\n*\r\n");
        QTest::newRow("odd line count") << QByteArray("110a\r\nA\r\n110b\r\n") << none << true
            << 2 << "Contains b in " << QByteArray("110a\r\nA\r\n110b\r\n\r\n");
        QTest::newRow("LF only is one line") << QByteArray("110a\nA\n") << none << true << 0
            << "" << QByteArray();
        QTest::newRow("empty file") << QByteArray("") << none << false << 0 << "" << QByteArray();
        QTest::newRow("no file") << QByteArray() << none << false << 0 << "" << QByteArray();
        QTest::newRow("the same lines three times, on and off") << thrice
            << QByteArray("700 MB\t\t2\t10a\t*\r\n0.5 GB\t1.25 GB\t3\t10a\t*\r\n") << true << 3
            << "Contains a in all categories between 0.5 GB and 1.25 GB" << thrice;
        QTest::newRow("tab, backslash and a lone CR in the lines") << odd
            << QByteArray("\t8 GB\t1\t21a\\tb\\\\c\\rd\tX\\\\, Y\r\n") << true << 1
            << "Exactly Matches a\tb\\c\rd in X\\, Y at most 8 GB" << odd;
        // clang-format on
    }
    void readAndWriteBack()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, limits);
        QFETCH(bool, found);
        QFETCH(QByteArray, written);
        if (!bytes.isNull())
            QVERIFY(ReplaceFileAtomically(path, bytes));
        if (!limits.isNull())
            QVERIFY(ReplaceFileAtomically(limitsPath, limits));
        bool seen = !found;
        FilterFile::LimitsReport report;
        const FilterTable table = FilterFile::read(path, &seen, &report);
        QCOMPARE(seen, found);
        QTEST(table.count(), "count");
        QTEST(table.ffname(table.count()), "last");
        QCOMPARE(report.dropped, QStringList());
        QCOMPARE(report.setAside, QString());
        QVERIFY(FilterFile::write(path, table));
        QCOMPARE(QFileInfo::exists(path), !written.isNull());
        QCOMPARE(fileBytes(path), written);
        QCOMPARE(QFileInfo::exists(limitsPath), !limits.isNull());
        QCOMPARE(fileBytes(limitsPath), limits);
    }

    // A folder in a file's place can be neither replaced nor removed; the limits are not
    // written when filters.dat could not be.
    void failedWriteIsReported_data()
    {
        QTest::addColumn<bool>("limitsFile");
        QTest::newRow("filters.dat") << false;
        QTest::newRow("filterlimits.dat") << true;
    }
    void failedWriteIsReported()
    {
        QFETCH(bool, limitsFile);
        const QString blocked = limitsFile ? limitsPath : path;
        QVERIFY(QDir().mkpath(blocked));
        const FilterTable limited = withLimits("110new\r\n*\r\n", "\t1 GB\t1\t10new\t*\r\n");
        for (const FilterTable &table : {limited, FilterTable()}) {
            QString error, failed;
            QVERIFY(!FilterFile::write(path, table, &error, &failed));
            QVERIFY(!error.isEmpty());
            QCOMPARE(failed, blocked);
        }
        QVERIFY(QFileInfo(blocked).isDir());
        QCOMPARE(QFileInfo::exists(limitsPath), limitsFile);
    }

    // Every list operation saves, and the reload finds each limit on its filter again.
    void listOperationsKeepLimits_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QStringList>("after");
        const QString a = "Contains a in all categories at most 1 GB";
        const QString b = "Contains b in all categories";
        const QString c = "Contains c in all categories at least 2 MB";
        QTest::newRow("move up") << "up 3" << QStringList{a, c, b};
        QTest::newRow("move down") << "down 1" << QStringList{b, a, c};
        QTest::newRow("remove") << "remove 2" << QStringList{a, c};
        QTest::newRow("switch off") << "off 3" << QStringList{a, b, c};
        QTest::newRow("change action") << "action 1" << QStringList{a, b, c};
        QTest::newRow("remove all limited") << "remove 1,remove 2" << QStringList{b};
    }
    void listOperationsKeepLimits()
    {
        QFETCH(QString, operation);
        FilterTable table = withLimits("110a\r\n*\r\n110b\r\n*\r\n110c\r\n*\r\n",
                                       "\t1 GB\t1\t10a\t*\r\n2 MB\t\t1\t10c\t*\r\n");
        QVERIFY(FilterFile::write(path, table));
        for (const QString &step : operation.split(',')) {
            FilterListOps ops(&table);
            const QString name = step.section(' ', 0, 0);
            const int slot = step.section(' ', 1).toInt();
            const FilterListOps::Outcome done = name == "remove" ? ops.listrem(slot)
                                                : name == "off"  ? ops.setRowEnabled(slot, false)
                                                : name == "action"
                                                    ? ops.changeaction(slot, "Ignore")
                                                    : ops.movefilter(slot, name);
            QVERIFY(done.changed);
            QVERIFY(FilterFile::write(path, table));
            table = FilterFile::read(path);
        }
        QTEST(descriptions(table), "after");
        bool limited = false;
        for (int slot = 1; slot <= table.count(); ++slot)
            limited = limited || !table[slot].Limits.isEmpty();
        QCOMPARE(QFileInfo::exists(limitsPath), limited);
    }

    // filters.dat changed by something else: a limit whose filter is gone is dropped with one
    // log line, and never given to another filter; the others stay.
    void handEditedFiltersDat_data()
    {
        QTest::addColumn<QString>("edited");
        QTest::addColumn<QStringList>("loaded");
        QTest::addColumn<int>("dropped");
        QTest::newRow("unchanged") << "110a\r\n*\r\n111b\r\nTV\r\n"
                                   << QStringList{"Contains a in all categories at most 1 GB",
                                                  "Contains b in TV at least 2 MB"}
                                   << 0;
        QTest::newRow("a box ticked by an older version")
            << "010a\r\n*\r\n111b\r\nTV\r\n"
            << QStringList{"Contains a in all categories at most 1 GB",
                           "Contains b in TV at least 2 MB"}
            << 0;
        QTest::newRow("a filter removed") << "111b\r\nTV\r\n"
                                          << QStringList{"Contains b in TV at least 2 MB"} << 1;
        QTest::newRow("keywords, category and action changed")
            << "110b\r\n*\r\n111a\r\nTV, X\r\n112b\r\nTV\r\n"
            << QStringList{"Contains b in all categories", "Contains a in TV, X",
                           "Contains b in TV"}
            << 2;
        QTest::newRow("no filters left") << "" << QStringList{} << 2;
    }
    void handEditedFiltersDat()
    {
        QFETCH(QString, edited);
        QVERIFY(FilterFile::write(path, withLimits("110a\r\n*\r\n111b\r\nTV\r\n",
                                                   "\t1 GB\t1\t10a\t*\r\n"
                                                   "2 MB\t\t1\t11b\tTV\r\n")));
        QVERIFY(ReplaceFileAtomically(path, edited.toLatin1()));
        FilterFile::LimitsReport report;
        QTEST(descriptions(FilterFile::read(path, nullptr, &report)), "loaded");
        QTEST(int(report.dropped.size()), "dropped");
        if (!report.dropped.isEmpty())
            QVERIFY2(report.dropped.first().startsWith("Size limit dropped, its filter is no "
                                                       "longer in filters.dat ("),
                     qPrintable(report.dropped.first()));
    }

    // A limits file that cannot be read is set aside with the notice of every stored file, and
    // the filters load without limits; a file that can be read stays.
    void brokenLimitsFile_data()
    {
        QTest::addColumn<QByteArray>("limits");
        QTest::addColumn<bool>("broken");
        QTest::newRow("largest equal to smallest")
            << QByteArray("1 GB\t1024 MB\t1\t10a\t*\r\n") << false;
        QTest::newRow("without the last CR LF") << QByteArray("1 GB\t\t1\t10a\t*") << false;
        QTest::newRow("empty") << QByteArray("") << false;
        QTest::newRow("largest below smallest")
            << QByteArray("1 GB\t1023.99 MB\t1\t10a\t*\r\n") << true;
        QTest::newRow("four fields") << QByteArray("1 GB\t\t1\t10a\r\n") << true;
        QTest::newRow("six fields") << QByteArray("1 GB\t\t1\t10a\t*\t\r\n") << true;
        QTest::newRow("no limit") << QByteArray("\t\t1\t10a\t*\r\n") << true;
        QTest::newRow("unknown unit") << QByteArray("1 TB\t\t1\t10a\t*\r\n") << true;
        QTest::newRow("no blank before the unit") << QByteArray("1GB\t\t1\t10a\t*\r\n") << true;
        QTest::newRow("a dot without decimals") << QByteArray("1. GB\t\t1\t10a\t*\r\n") << true;
        QTest::newRow("occurrence 0") << QByteArray("1 GB\t\t0\t10a\t*\r\n") << true;
        QTest::newRow("unknown escape") << QByteArray("1 GB\t\t1\t10\\a\t*\r\n") << true;
        QTest::newRow("escape at the end") << QByteArray("1 GB\t\t1\t10a\t*\\\r\n") << true;
        QTest::newRow("NUL") << QByteArray("1 GB\t\t1\t10a\0\t*\r\n", 16) << true;
        QTest::newRow("named twice")
            << QByteArray("1 GB\t\t1\t10a\t*\r\n2 GB\t\t1\t10a\t*\r\n") << true;
        QTest::newRow("an empty line") << QByteArray("\r\n1 GB\t\t1\t10a\t*\r\n") << true;
    }
    void brokenLimitsFile()
    {
        QFETCH(QByteArray, limits);
        QFETCH(bool, broken);
        QVERIFY(ReplaceFileAtomically(path, "110a\r\n*\r\n"));
        QVERIFY(ReplaceFileAtomically(limitsPath, limits));
        FilterFile::LimitsReport report;
        const FilterTable table = FilterFile::read(path, nullptr, &report);
        QCOMPARE(table.count(), 1);
        QCOMPARE(table[1].Limits.isEmpty(), broken || limits.isEmpty());
        QCOMPARE(report.setAside,
                 broken ? "filterlimits.dat could not be read; kept as " + limitsPath + ".bad"
                        : QString());
        QCOMPARE(fileBytes(broken ? limitsPath + ".bad" : limitsPath), limits);
        QCOMPARE(QFileInfo::exists(limitsPath), !broken);
    }
};

QTEST_GUILESS_MAIN(TestFilterFile)
#include "tst_filterfile.moc"

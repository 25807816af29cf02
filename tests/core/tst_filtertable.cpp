#include "model/FilterTable.h"

#include <QtTest>

class TestFilterTable : public QObject
{
    Q_OBJECT

private slots:
    // filters.dat lines -> filter and description -> the same lines again.
    void parseDescribeAndSerialize_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("file");
        QTest::newRow("disabled exact download, anything everywhere")
            << "Exactly Matches anything in all categories" << QStringLiteral("Download")
            << "021*\r\n*\r\n";
        QTest::newRow("veto ignore, two keywords, two categories")
            << "Does Not Contain linux AND iso in A, B" << QStringLiteral("Ignore")
            << "132linux&&iso\r\nA, B\r\n";
        // A hand-edited rule line with codes the program does not know keeps its keywords.
        QTest::newRow("unknown codes") << " x in Music" << QString() << "109x\r\nMusic\r\n";
    }
    void parseDescribeAndSerialize()
    {
        QFETCH(QString, file);
        const FilterTable table = FilterTable::parse(file);
        QCOMPARE(table.count(), 1);
        QTEST(table.ffname(1), "description");
        QTEST(table[1].Action, "action");
        QCOMPARE(table.serialize(), file);
    }

    // Slots run from 1 to count(); any other slot describes nothing.
    void describesOnlyItsSlots_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("description");
        QTest::newRow("before the first") << -1 << "";
        QTest::newRow("the placeholder slot") << 0 << "";
        QTest::newRow("first") << 1 << "Contains a in all categories";
        QTest::newRow("last") << 2 << "Contains b in all categories";
        QTest::newRow("past the last") << 3 << "";
    }
    void describesOnlyItsSlots()
    {
        QFETCH(int, slot);
        const FilterTable table = FilterTable::parse("110a\r\n*\r\n110b\r\n*\r\n");
        QCOMPARE(table.count(), 2);
        QTEST(table.ffname(slot), "description");
    }
};

QTEST_GUILESS_MAIN(TestFilterTable)
#include "tst_filtertable.moc"

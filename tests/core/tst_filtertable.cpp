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

    // A number as a wizard's box holds it: read, in bytes (rounded), and shown again.
    void sizeLimitNumbers_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("gb");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty: no limit") << "" << false << true << qint64(0) << "";
        QTest::newRow("zero") << "0" << true << true << qint64(0) << "0";
        QTest::newRow("a hundredth of a MB rounds up")
            << "0.01" << false << true << qint64(10486) << "0.01";
        QTest::newRow("trailing zeros go")
            << "008.50" << true << true << qint64(9126805504) << "8.5";
        QTest::newRow("a dot without decimals") << "5." << false << true << qint64(5242880) << "5";
        QTest::newRow("seven digits")
            << "9999999.99" << true << true << qint64(10737418229262582) << "9999999.99";
        QTest::newRow("eight digits") << "10000000" << false << false << qint64(0) << "";
        QTest::newRow("three decimals") << "1.234" << false << false << qint64(0) << "";
        QTest::newRow("no digit before the dot") << ".5" << false << false << qint64(0) << "";
        QTest::newRow("comma") << "1,5" << false << false << qint64(0) << "";
        QTest::newRow("sign") << "-1" << false << false << qint64(0) << "";
    }
    void sizeLimitNumbers()
    {
        QFETCH(QString, typed);
        QFETCH(bool, gb);
        QFETCH(bool, valid);
        SizeLimit limit;
        QCOMPARE(
            SizeLimit::fromNumber(typed, gb ? SizeLimit::Unit::GB : SizeLimit::Unit::MB, &limit),
            valid);
        QTEST(limit.bytes(), "bytes");
        QTEST(limit.number(), "shown");
        // The limits file's form reads back the same limit.
        SizeLimit reread;
        QCOMPARE(SizeLimit::fromText(limit.text(), &reread), limit.isSet());
        QCOMPARE(reread, limit.isSet() ? limit : SizeLimit());
    }

    // A feed size is a whole decimal number of 64 bits, or no number at all.
    void feedSizes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("size");
        const qint64 none = SizeLimits::NotANumber;
        QTest::newRow("plain") << "734003200" << qint64(734003200);
        QTest::newRow("zero") << "0" << qint64(0);
        QTest::newRow("largest 64-bit") << "9223372036854775807" << qint64(9223372036854775807);
        QTest::newRow("one past it") << "9223372036854775808" << none;
        QTest::newRow("empty") << "" << none;
        QTest::newRow("blank") << " 5" << none;
        QTest::newRow("sign") << "-5" << none;
        QTest::newRow("decimals") << "5.0" << none;
        QTest::newRow("words") << "n/a" << none;
    }
    void feedSizes()
    {
        QFETCH(QString, text);
        QTEST(SizeLimits::readSize(QStringView(text)), "size");
        QTEST(SizeLimits::readSize(QByteArrayView(text.toLatin1())), "size");
    }
};

QTEST_GUILESS_MAIN(TestFilterTable)
#include "tst_filtertable.moc"

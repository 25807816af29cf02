#include "filters/FilterTable.h"

#include <QtTest>

class TestFilterTable : public QObject
{
    Q_OBJECT

    static FilterRecord make(bool enabled, const QString &mode, const QString &action,
                             const QStringList &keywords, const QStringList &categories)
    {
        FilterRecord f;
        f.Enabled = enabled;
        f.MatchMode = mode;
        f.Action = action;
        f.Keywords = keywords;
        f.Categories = categories;
        return f;
    }

private slots:
    void serializeAndDescribe_data()
    {
        QTest::addColumn<FilterRecord>("filter");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("description");
        QTest::newRow("anything everywhere")
            << make(true, "Contains", "Notify", {"*"}, {"*"}) << "110*\r\n*\r\n"
            << "Contains anything in all categories";
        QTest::newRow("two keywords two categories")
            << make(true, "Contains", "Notify", {"linux", "iso"}, {"A", "B"})
            << "110linux&&iso\r\nA, B\r\n"
            << "Contains linux AND iso in A, B";
        QTest::newRow("disabled exact download")
            << make(false, "Exactly Matches", "Download", {"show*"}, {"TV/HD"})
            << "021show*\r\nTV/HD\r\n"
            << "Exactly Matches show* in TV/HD";
        QTest::newRow("veto ignore")
            << make(true, "Does Not Contain", "Ignore", {"cam"}, {"*"}) << "132cam\r\n*\r\n"
            << "Does Not Contain cam in all categories";
        QTest::newRow("unknown words keep their positions")
            << make(true, "Sounds Like", "Shout", {"x"}, {"Music"}) << "109x\r\nMusic\r\n"
            << "Sounds Like x in Music";
    }
    void serializeAndDescribe()
    {
        QFETCH(FilterRecord, filter);
        QFETCH(QString, file);
        QFETCH(QString, description);
        FilterTable table;
        table.append(filter);
        QCOMPARE(table.serialize(), file);
        QCOMPARE(table.ffname(1), description);
    }

    void roundTripKeepsOrderAndSkipsRemoved()
    {
        FilterTable table;
        table.append(make(true, "Contains", "Notify", {"a", "b"}, {"X", "Y"}));
        table.append(make(false, "Does Not Contain", "Ignore", {"cam"}, {"*"}));
        FilterRecord removed = make(true, "Contains", "Download", {"gone"}, {"*"});
        removed.Removed = true;
        table.append(removed);
        table.append(make(true, "Exactly Matches", "Download", {"s01e0#"}, {"TV/HD"}));
        const FilterTable back = FilterTable::parse(table.serialize());
        QCOMPARE(back.count(), 3);
        QCOMPARE(back[1], table[1]);
        QCOMPARE(back[2], table[2]);
        QCOMPARE(back[3], table[4]);
        QCOMPARE(back.CountActiveFilters(), 2);
    }

    void parseOddFiles_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<FilterRecord>("last");
        QTest::newRow("short rule line")
            << "021\r\n*\r\n" << 1 << make(false, "Exactly Matches", "Download", {""}, {"*"});
        QTest::newRow("no final line break")
            << "110a\r\n*\r\n110b\r\nMusic" << 2 << make(true, "Contains", "Notify", {"b"}, {"Music"});
        QTest::newRow("odd number of lines")
            << "110a\r\n*\r\n110b\r\n" << 2 << make(true, "Contains", "Notify", {"b"}, {""});
        QTest::newRow("unknown codes")
            << "19xkw\r\n*\r\n" << 1 << make(true, "", "", {"kw"}, {"*"});
        QTest::newRow("empty rule line") << "\r\nA, B\r\n" << 1 << make(false, "", "", {""}, {"A", "B"});
        QTest::newRow("LF only is one piece") << "110a\n*\n" << 0 << FilterRecord();
    }
    void parseOddFiles()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(FilterRecord, last);
        const FilterTable table = FilterTable::parse(text);
        QCOMPARE(table.count(), count);
        if (count > 0)
            QCOMPARE(table[count], last);
    }

    void unknownCodesSurviveASaveWithTheirKeywords()
    {
        // A hand-edited rule line with codes the program does not know.
        const FilterTable loaded = FilterTable::parse(QStringLiteral("1xylinux&&iso\r\n*\r\n"));
        QCOMPARE(loaded[1].MatchMode, QString());
        QCOMPARE(loaded[1].Action, QString());
        const FilterTable again = FilterTable::parse(loaded.serialize());
        QCOMPARE(again[1], loaded[1]);
        QCOMPARE(again[1].Keywords, QStringList({"linux", "iso"}));
    }

    void separatorsInsideValuesDoNotSurvive()
    {
        FilterTable table;
        table.append(make(true, "Contains", "Notify", {"a&&b"}, {"Movies, HD"}));
        const FilterTable back = FilterTable::parse(table.serialize());
        QCOMPARE(back[1].Keywords, QStringList({"a", "b"}));
        QCOMPARE(back[1].Categories, QStringList({"Movies", "HD"}));
    }

    void swapAndClear()
    {
        FilterTable table;
        table.append(make(true, "Contains", "Notify", {"one"}, {"*"}));
        table.append(make(false, "Contains", "Notify", {"two"}, {"*"}));
        table.swap(1, 2);
        QCOMPARE(table[1].Keywords.first(), QStringLiteral("two"));
        QCOMPARE(table.ffname(3), QString());
        table.clear();
        QCOMPARE(table.count(), 0);
        QCOMPARE(table.serialize(), QString());
    }
};

QTEST_GUILESS_MAIN(TestFilterTable)
#include "tst_filtertable.moc"

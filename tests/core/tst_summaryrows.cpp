#include "model/FilterTable.h"
#include "notify/FilterInfoText.h"
#include "notify/SummaryRows.h"

#include <QtTest>

// The "New Torrents" rows, and the way from a row back to its result.
class TestSummaryRows : public QObject
{
    Q_OBJECT

    // "id|name|category|size|d" where d is 1 for downloaded.
    static ResultList resultsOf(const QStringList &rows)
    {
        ResultList out;
        for (const QString &row : rows) {
            const QStringList f = row.split(QLatin1Char('|'));
            out.append({1, f[1] + ".torrent", f[3], f[4].toFloat(), f[2], f[1], f[0].toInt()});
        }
        return out;
    }

private slots:
    void loadresults_data()
    {
        QTest::addColumn<QStringList>("results");
        QTest::addColumn<bool>("showAll");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("rows");
        // A size that is not a number shows nothing.
        const QStringList three{"101|Alpha|Appz|1572864|0", "102|Beta|TV|1048576|1",
                                "103|Gamma|Music|lots|0"};
        // clang-format off
        QTest::newRow("three results, one downloaded, box ticked") << three << false
            << "2 new torrents" << QStringList{"T2 103 Gamma Music  none",
                                               "T0 101 Alpha Appz 1.50 none"};
        QTest::newRow("three results, all shown") << three << true << "3 new torrents"
            << QStringList{"T2 103 Gamma Music  none", "T1 102 Beta TV 1.00 downloaded",
                           "T0 101 Alpha Appz 1.50 none"};
        QTest::newRow("one result over 2 GB") << QStringList{"7|Solo|Appz|3000000000|0"} << true
            << "1 new torrent" << QStringList{"T0 7 Solo Appz 2861.02 none"};
        QTest::newRow("all downloaded and hidden") << QStringList{"1|A|X|10|1", "2|B|X|10|1"}
            << false << "0 new torrents" << QStringList{};
        // clang-format on
    }
    void loadresults()
    {
        QFETCH(QStringList, results);
        QFETCH(bool, showAll);
        QFETCH(QStringList, rows);
        SummaryRows summary(QLocale::c());
        summary.loadresults(resultsOf(results), showAll);
        QTEST(summary.caption(), "caption");
        QStringList texts;
        for (const SummaryRows::Row &r : summary.rows())
            texts << QString("%1 %2 %3 %4 %5 %6")
                         .arg(r.key, QString::number(r.id), r.name, r.category, r.sizeMb, r.action);
        QCOMPARE(texts, rows);
        QCOMPARE(summary.actionsEnabled(), !rows.isEmpty());
    }

    void sizeFollowsTheLocale()
    {
        QCOMPARE(SummaryRows::sizeInMb("1293942784", QLocale("de_DE")), QStringLiteral("1.234,00"));
    }

    // A row made before the results changed never reaches another result or past the list.
    void staleRowsFindNothing_data()
    {
        QTest::addColumn<QStringList>("now");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("position");
        const QStringList two{"101|A|X|1|0", "102|B|X|1|0"};
        QTest::newRow("unchanged") << two << "T1" << 1;
        QTest::newRow("list got shorter") << QStringList{"101|A|X|1|0"} << "T1" << -1;
        QTest::newRow("not a row key") << two << "X1" << -1;
        QTest::newRow("no position") << two << "T" << -1;
        QTest::newRow("a position before the first") << two << "T-1" << -1;
        QTest::newRow("one past the last") << two << "T2" << -1;
    }
    void staleRowsFindNothing()
    {
        QFETCH(QStringList, now);
        QFETCH(QString, key);
        QTEST(SummaryRows::positionOf(resultsOf(now), key, 102), "position");
    }

    // The "Filter Info" answer for a result: its filter's slot within the table (two filters
    // here), filtering off (slot 0), or a slot the table no longer has (tst_summary: 2 and 3).
    void filterInfoForASlot_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("text"); // empty: the filter's own description
        QTest::addColumn<bool>("gotoEnabled");
        QTest::newRow("below the first slot") << -1 << FilterInfoText::UnavailableText << false;
        QTest::newRow("filtering off") << 0 << FilterInfoText::NotEnabledText << false;
        QTest::newRow("first filter") << 1 << "" << true;
    }
    void filterInfoForASlot()
    {
        QFETCH(int, slot);
        QFETCH(QString, text);
        FilterTable filters;
        filters.append(FilterRecord{true, "Contains", "Notify", {"alpha"}, {"*"}});
        filters.append(FilterRecord{true, "Contains", "Download", {"beta"}, {"TV"}});
        MatchRecord record = resultsOf({"101|Alpha|Appz|1|0"}).first();
        record.FilterIndex = slot;
        const FilterInfoText::Info info = FilterInfoText::forRecord(record, filters);
        QCOMPARE(info.caption, QStringLiteral("Alpha"));
        QCOMPARE(info.text, text.isEmpty() ? filters.ffname(slot) : text);
        QVERIFY(!info.text.isEmpty());
        QTEST(info.gotoEnabled, "gotoEnabled");
        QCOMPARE(info.filterIndex, slot);
    }

    // A position the result list no longer holds (acknowledged meanwhile) has no answer.
    void filterInfoForAPosition_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("caption"); // empty: no answer
        QTest::newRow("before the first") << -1 << "";
        QTest::newRow("first") << 0 << "Alpha";
        QTest::newRow("last") << 1 << "Beta";
    }
    void filterInfoForAPosition()
    {
        QFETCH(int, position);
        QFETCH(QString, caption);
        const ResultList results = resultsOf({"101|Alpha|Appz|1|0", "102|Beta|TV|1|0"});
        const std::optional<FilterInfoText::Info> info =
            FilterInfoText::forPosition(results, position, FilterTable());
        QCOMPARE(info.has_value(), !caption.isEmpty());
        if (info)
            QCOMPARE(info->caption, caption);
    }
};

QTEST_APPLESS_MAIN(TestSummaryRows)
#include "tst_summaryrows.moc"

#include "core/ProgramState.h"
#include "filters/FilterTable.h"
#include "notify/FilterInfoText.h"
#include "notify/SummaryRows.h"

#include <QtTest>

// The "New Torrents" rows and the "Filter Info" answers.
class TestSummaryRows : public QObject
{
    Q_OBJECT

    // "id|name|category|size|d" where d is 1 for downloaded.
    static ResultList resultsOf(const QStringList &rows)
    {
        ResultList out;
        for (const QString &row : rows) {
            const QStringList f = row.split(QLatin1Char('|'));
            MatchRecord r;
            r.Id = f[0].toInt();
            r.Name = f[1];
            r.Category = f[2];
            r.Size = f[3];
            r.Downloaded = f[4].toFloat();
            r.FileName = f[1] + ".torrent";
            r.FilterIndex = 1;
            out.append(r);
        }
        return out;
    }
    static QStringList rowTexts(const QList<SummaryRows::Row> &rows)
    {
        QStringList out;
        for (const SummaryRows::Row &r : rows)
            out.append(
                QStringList{r.key, QString::number(r.id), r.name, r.category, r.sizeMb, r.action}
                    .join(QLatin1Char(' ')));
        return out;
    }

private slots:
    void loadresults_data()
    {
        QTest::addColumn<QStringList>("results");
        QTest::addColumn<bool>("showAll");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("actions");

        const QStringList three{"101|Alpha|Appz|1572864|0", "102|Beta|TV|1048576|1",
                                "103|Gamma|Music|0|0"};
        QTest::newRow("three results, one downloaded, box ticked")
            << three << false << "2 new torrents"
            << QStringList{"T2 103 Gamma Music 0.00 none", "T0 101 Alpha Appz 1.50 none"} << true;
        QTest::newRow("three results, all shown")
            << three << true << "3 new torrents"
            << QStringList{"T2 103 Gamma Music 0.00 none", "T1 102 Beta TV 1.00 downloaded",
                           "T0 101 Alpha Appz 1.50 none"}
            << true;
        QTest::newRow("one result")
            << QStringList{"7|Solo|Appz|3000000000|0"} << true << "1 new torrent"
            << QStringList{"T0 7 Solo Appz 2861.02 none"} << true;
        QTest::newRow("all downloaded and hidden")
            << QStringList{"1|A|X|10|1", "2|B|X|10|1"} << false << "0 new torrents" << QStringList{}
            << false;
        QTest::newRow("acknowledged: nothing left")
            << QStringList{} << true << "0 new torrents" << QStringList{} << false;
        QTest::newRow("size that is not a number shows nothing")
            << QStringList{"5|Odd|X|lots|0"} << true << "1 new torrent"
            << QStringList{"T0 5 Odd X  none"} << true;
    }
    void loadresults()
    {
        QFETCH(QStringList, results);
        QFETCH(bool, showAll);
        QFETCH(QString, caption);
        QFETCH(QStringList, rows);
        QFETCH(bool, actions);

        SummaryRows summary(QLocale::c());
        summary.loadresults(resultsOf(results), showAll);
        QCOMPARE(summary.caption(), caption);
        QCOMPARE(rowTexts(summary.rows()), rows);
        QCOMPARE(summary.actionsEnabled(), actions);
        QCOMPARE(summary.hideDownloadedChecked(), !showAll);
    }

    void sizeFollowsTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("C, one and a half") << "C"
                                           << "1572864"
                                           << "1.50";
        QTest::newRow("German decimal comma") << "de_DE"
                                              << "1572864"
                                              << "1,50";
        QTest::newRow("German thousands") << "de_DE"
                                          << "1293942784"
                                          << "1.234,00";
        QTest::newRow("rounded to two places") << "C"
                                               << "1"
                                               << "0.00";
    }
    void sizeFollowsTheLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QString, bytes);
        QFETCH(QString, text);
        QCOMPARE(SummaryRows::sizeInMb(bytes, QLocale(locale)), text);
    }

    // A row made before the results changed must not reach another result or read past the
    // list.
    void staleRowsFindNothing_data()
    {
        QTest::addColumn<QStringList>("now");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("position");
        const QStringList two{"101|A|X|1|0", "102|B|X|1|0"};
        QTest::newRow("unchanged") << two << "T1" << 102 << 1;
        QTest::newRow("acknowledged and emptied") << QStringList{} << "T1" << 102 << -1;
        QTest::newRow("replaced by another torrent")
            << QStringList{"200|N|X|1|0", "201|M|X|1|0"} << "T1" << 102 << -1;
        QTest::newRow("list got shorter") << QStringList{"101|A|X|1|0"} << "T1" << 102 << -1;
        QTest::newRow("not a row key") << two << "X1" << 102 << -1;
        QTest::newRow("negative position") << two << "T-1" << 102 << -1;
        QTest::newRow("no position") << two << "T" << 101 << -1;
    }
    void staleRowsFindNothing()
    {
        QFETCH(QStringList, now);
        QFETCH(QString, key);
        QFETCH(int, id);
        QFETCH(int, position);
        QCOMPARE(SummaryRows::positionOf(resultsOf(now), key, id), position);
    }

    void downloadNowMarksOnlyTheRowsResult()
    {
        ProgramState state;
        state.settings.TorrentFolder = "/t/";
        state.settings.SiteUserName = "u";
        state.settings.SitePassword = "p";
        state.results = resultsOf({"101|A|X|1|0", "102|B|X|1|0"});
        SummaryRows summary(QLocale::c());
        summary.loadresults(state.results, false);
        const SummaryRows::Row newest = summary.rows().first();

        const auto request = SummaryRows::downloadNow(state, newest);
        QVERIFY(request.has_value());
        QCOMPARE(*request,
                 (DownloadRequest{"/download.php?id=102", "/t/B.torrent", "u", "p", "B"}));
        QCOMPARE(state.results[1].Downloaded, 1.0f);
        QCOMPARE(state.results[0].Downloaded, 0.0f);

        // Hidden after a refresh with the box ticked.
        summary.loadresults(state.results, false);
        QCOMPARE(summary.caption(), QStringLiteral("1 new torrent"));

        // The results are acknowledged while the window is open: the old row does nothing.
        state.results = resultsOf({"300|Other|X|1|0", "301|Next|X|1|0"});
        QVERIFY(!SummaryRows::downloadNow(state, newest).has_value());
        QCOMPARE(state.results[1].Downloaded, 0.0f);
    }

    void filterInfo_data()
    {
        QTest::addColumn<int>("filterIndex");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("gotoEnabled");
        QTest::newRow("found with filtering off")
            << 0 << "Torrent filtering not enabled. You will be notified of all new torrents."
            << false;
        QTest::newRow("filter 3 but only 2 left")
            << 3
            << "Unabled to display filter info.\r\nYour filters may have changed since this "
               "torrent was uploaded."
            << false;
        QTest::newRow("filter 2 names the filter in slot 2")
            << 2 << "Exactly Matches show* in TV, Music" << true;
        QTest::newRow("filter 1") << 1 << "Contains anything in all categories" << true;
        QTest::newRow("a negative slot is no filter")
            << -1
            << "Unabled to display filter info.\r\nYour filters may have changed since this "
               "torrent was uploaded."
            << false;
    }
    void filterInfo()
    {
        QFETCH(int, filterIndex);
        QFETCH(QString, text);
        QFETCH(bool, gotoEnabled);
        const FilterTable filters = FilterTable::parse("110*\r\n*\r\n120show*\r\nTV, Music\r\n");
        ResultList results = resultsOf({"101|Some Name|TV|1|0"});
        results[0].FilterIndex = filterIndex;

        const auto info = FilterInfoText::forPosition(results, 0, filters);
        QVERIFY(info.has_value());
        QCOMPARE(info->caption, QStringLiteral("Some Name"));
        QCOMPARE(info->text, text);
        QCOMPARE(info->gotoEnabled, gotoEnabled);
        QCOMPARE(info->filterIndex, filterIndex);
        QVERIFY(!FilterInfoText::forPosition(results, 1, filters).has_value());
        QVERIFY(!FilterInfoText::forPosition(ResultList(), 0, filters).has_value());
    }
};

QTEST_APPLESS_MAIN(TestSummaryRows)
#include "tst_summaryrows.moc"

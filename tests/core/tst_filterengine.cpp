#include "core/ProgramState.h"
#include "filters/FilterEngine.h"
#include "TestEnv.h"

#include <QtTest>

// The filter stage run on a program state, with every log line and download request recorded.
class TestFilterEngine : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> env;
    ProgramState state;
    QList<DownloadRequest> downloads;

    // "id|name|category" rows; the file name is the id followed by ".torrent".
    static ParsedFeed feedOf(const QStringList &rows)
    {
        ParsedFeed feed;
        for (const QString &row : rows) {
            const QStringList f = row.split(QLatin1Char('|'));
            feed.append({f[0], QStringLiteral("1048576"), f[2], f[1], f[0] + ".torrent"});
        }
        return feed;
    }

    // Log lines without their "(time) " prefix.
    QStringList logLines() const
    {
        QStringList out;
        for (QString line : env->log->lines())
            out.append(line.remove(QRegularExpression(QStringLiteral("^\\([^)]*\\) "))));
        return out;
    }

    // One result as "id f<slot> dl" (downloaded) or "id f<slot> -".
    QStringList resultTexts() const
    {
        QStringList out;
        for (const MatchRecord &r : state.results)
            out.append(QStringLiteral("%1 f%2 %3")
                           .arg(r.Id)
                           .arg(r.FilterIndex)
                           .arg(r.Downloaded != 0 ? "dl" : "-"));
        return out;
    }

    void runEngine(bool filtering, qint32 lastparsed)
    {
        FilterEngine engine(state, env->log.get(),
                            [this](const DownloadRequest &r) { downloads.append(r); });
        engine.run(filtering, lastparsed);
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnv>();
        state = ProgramState();
        state.settings.TorrentFolder = QStringLiteral("/home/u/torrents/");
        state.settings.SiteUserName = QStringLiteral("demo");
        state.settings.SitePassword = QStringLiteral("pa&ss");
        downloads.clear();
    }
    void cleanup()
    {
        QVERIFY2(env->problems().isEmpty(), qPrintable(env->problems()));
        env.reset();
    }

    void check_data()
    {
        QTest::addColumn<QString>("filtersDat");
        QTest::addColumn<QStringList>("feed");
        QTest::addColumn<bool>("filtering");
        QTest::addColumn<int>("lastparsed");
        QTest::addColumn<QStringList>("results");
        QTest::addColumn<QStringList>("exclusion");
        QTest::addColumn<QStringList>("downloadedIds");
        QTest::addColumn<QStringList>("log");

        QTest::newRow("two notify filters: one result, then the duplicate line")
            << "110linux\r\n*\r\n110iso\r\n*\r\n"
            << QStringList{"101|Linux ISO|Appz"} << true << 100 << QStringList{"101 f1 -"}
            << QStringList{} << QStringList{}
            << QStringList{"Applying filters to torrents...",
                           "checking 101 (Linux ISO)",
                           "afhits = 1/1",
                           "cat check 1",
                           "Torrent found matching \"Contains linux in all categories\" Name: "
                           "Linux ISO Type: Appz ID: 101",
                           "afhits = 1/1",
                           "cat check 1",
                           "Duplicate result for ID: 101",
                           "All torrents filtered."};

        QTest::newRow("does not contain vetoes a later contains filter")
            << "130cam\r\n*\r\n110cam\r\n*\r\n"
            << QStringList{"101|Movie CAM|Movies", "102|Movie BluRay|Movies"} << true << 100
            << QStringList{"102 f1 -"} << QStringList{"101"} << QStringList{}
            << QStringList{"Applying filters to torrents...",
                           "checking 101 (Movie CAM)",
                           "id 101 found in exc array. no hit",
                           "checking 102 (Movie BluRay)",
                           "Torrent found matching \"Does Not Contain cam in all categories\" "
                           "Name: Movie BluRay Type: Movies ID: 102",
                           "afhits = 0/1",
                           "All torrents filtered."};

        QTest::newRow("ignore above download: neither result nor download")
            << "112cam\r\n*\r\n111*\r\n*\r\n"
            << QStringList{"101|Movie CAM|Movies", "102|Other Film|Movies"} << true << 100
            << QStringList{"102 f2 dl"} << QStringList{"101"} << QStringList{"102"}
            << QStringList{"Applying filters to torrents...",
                           "checking 101 (Movie CAM)",
                           "afhits = 1/1",
                           "cat check 1",
                           "type 2. adding to exc array",
                           "id 101 found in exc array. no hit",
                           "checking 102 (Other Film)",
                           "afhits = 0/1",
                           "display_all_overide",
                           "cat check 1",
                           "Torrent found matching \"Contains anything in all categories\" "
                           "Name: Other Film Type: Movies ID: 102",
                           "Autodownloading Other Film",
                           "All torrents filtered."};

        QTest::newRow("filtering off with filters defined: all new torrents, no download")
            << "111*\r\n*\r\n"
            << QStringList{"100|Seen Before|Appz", "101|New One|Appz", "102|New Two|Music"} << false
            << 100 << QStringList{"101 f0 -", "102 f0 -"} << QStringList{} << QStringList{}
            << QStringList{"No active filters detected, showing all torrents.",
                           "Torrent: New One Found. Filtering not enabled.",
                           "Torrent: New Two Found. Filtering not enabled.",
                           "All torrents loaded."};

        QTest::newRow("switch on but no enabled filter counts as off")
            << "011*\r\n*\r\n"
            << QStringList{"101|New One|Appz"} << true << 100 << QStringList{"101 f0 -"}
            << QStringList{} << QStringList{}
            << QStringList{"No active filters detected, showing all torrents.",
                           "Torrent: New One Found. Filtering not enabled.",
                           "All torrents loaded."};

        QTest::newRow("first run with a download filter starts no download")
            << "111*\r\n*\r\n"
            << QStringList{"5|Old A|Appz", "6|Old B|Appz"} << true << 0
            << QStringList{"5 f1 -", "6 f1 -"} << QStringList{} << QStringList{}
            << QStringList{"Applying filters to torrents...",
                           "checking 5 (Old A)",
                           "display_all_overide",
                           "cat check 1",
                           "Torrent found matching \"Contains anything in all categories\" "
                           "Name: Old A Type: Appz ID: 5",
                           "checking 6 (Old B)",
                           "display_all_overide",
                           "cat check 1",
                           "Torrent found matching \"Contains anything in all categories\" "
                           "Name: Old B Type: Appz ID: 6",
                           "All torrents filtered."};

        QTest::newRow("id equal to lastparsed is logged and never filtered")
            << "110*\r\n*\r\n"
            << QStringList{"100|Start Row|Appz", "99|Older|Appz"} << true << 100 << QStringList{}
            << QStringList{} << QStringList{}
            << QStringList{"Applying filters to torrents...",
                           "checking 100 (Start Row)",
                           "100 < lp",
                           "checking 99 (Older)",
                           "99 < lp",
                           "All torrents filtered."};

        QTest::newRow("category compared without letter case")
            << "110*\r\nMusic\r\n"
            << QStringList{"101|Song|MUSIC", "102|Film|Movies"} << true << 100
            << QStringList{"101 f1 -"} << QStringList{} << QStringList{}
            << QStringList{"Applying filters to torrents...",
                           "checking 101 (Song)",
                           "display_all_overide",
                           "cat check 1",
                           "Torrent found matching \"Contains anything in Music\" Name: Song "
                           "Type: MUSIC ID: 101",
                           "checking 102 (Film)",
                           "display_all_overide",
                           "cat check 0",
                           "All torrents filtered."};

        QTest::newRow("exactly matches needs the whole name")
            << "120show*\r\nTV\r\n120s01e05\r\nTV\r\n110s01e0#\r\nTV\r\n"
            << QStringList{"101|Show S01E05|TV"} << true << 100 << QStringList{"101 f1 -"}
            << QStringList{} << QStringList{}
            << QStringList{"Applying filters to torrents...",
                           "checking 101 (Show S01E05)",
                           "Torrent found matching \"Exactly Matches show* in TV\" Name: Show "
                           "S01E05 Type: TV ID: 101",
                           "afhits = 1/1",
                           "cat check 1",
                           "Duplicate result for ID: 101",
                           "All torrents filtered."};

        QTest::newRow("every keyword must be found")
            << "110linux&&iso\r\n*\r\n"
            << QStringList{"101|Linux DVD|Appz", "102|Linux Mint ISO|Appz"} << true << 100
            << QStringList{"102 f1 -"} << QStringList{} << QStringList{}
            << QStringList{"Applying filters to torrents...",
                           "checking 101 (Linux DVD)",
                           "afhits = 1/2",
                           "checking 102 (Linux Mint ISO)",
                           "afhits = 2/2",
                           "cat check 1",
                           "Torrent found matching \"Contains linux AND iso in all categories\" "
                           "Name: Linux Mint ISO Type: Appz ID: 102",
                           "All torrents filtered."};

        // Filter 1 keeps 101, filter 2 then ignores it; the next torrent's "Does Not Contain"
        // evaluation drops the result again before it looks at that torrent.
        QTest::newRow("a result ignored later is dropped by the next veto filter")
            << "130xyz\r\n*\r\n112cam\r\n*\r\n"
            << QStringList{"101|Movie CAM|Movies", "102|Clean Film|Movies"} << true << 100
            << QStringList{"102 f1 -"} << QStringList{"101"} << QStringList{}
            << QStringList{"Applying filters to torrents...",
                           "checking 101 (Movie CAM)",
                           "Torrent found matching \"Does Not Contain xyz in all categories\" "
                           "Name: Movie CAM Type: Movies ID: 101",
                           "afhits = 1/1",
                           "cat check 1",
                           "type 2. adding to exc array",
                           "checking 102 (Clean Film)",
                           "Torrent found matching \"Does Not Contain xyz in all categories\" "
                           "Name: Clean Film Type: Movies ID: 102",
                           "afhits = 0/1",
                           "All torrents filtered."};

        QTest::newRow("unknown mode word and disabled filter give nothing")
            << "1x0*\r\n*\r\n010*\r\n*\r\n130zzz\r\nAppz\r\n"
            << QStringList{"101|Thing|Appz"} << true << 100 << QStringList{"101 f3 -"}
            << QStringList{} << QStringList{}
            << QStringList{"Applying filters to torrents...", "checking 101 (Thing)",
                           "Torrent found matching \"Does Not Contain zzz in Appz\" Name: Thing "
                           "Type: Appz ID: 101",
                           "All torrents filtered."};

        QTest::newRow("a feed id that is not a number is passed over")
            << "110*\r\n*\r\n"
            << QStringList{"x1|Broken|Appz", "101|Fine|Appz"} << true << 100
            << QStringList{"101 f1 -"} << QStringList{} << QStringList{}
            << QStringList{"Applying filters to torrents...",
                           "checking x1 (Broken)",
                           "Skipping torrent with an unreadable ID: x1",
                           "checking 101 (Fine)",
                           "display_all_overide",
                           "cat check 1",
                           "Torrent found matching \"Contains anything in all categories\" "
                           "Name: Fine Type: Appz ID: 101",
                           "All torrents filtered."};

        QTest::newRow("a malformed keyword accepts nothing and vetoes nothing")
            << "130[cam\r\n*\r\n110[z-a]\r\n*\r\n110film\r\n*\r\n"
            << QStringList{"101|Film|Movies"} << true << 100 << QStringList{"101 f3 -"}
            << QStringList{} << QStringList{}
            << QStringList{"Applying filters to torrents...",
                           "Skipping filter 1 (Does Not Contain [cam in all categories): its "
                           "keywords or categories cannot be used.",
                           "Skipping filter 2 (Contains [z-a] in all categories): its keywords "
                           "or categories cannot be used.",
                           "checking 101 (Film)",
                           "afhits = 1/1",
                           "cat check 1",
                           "Torrent found matching \"Contains film in all categories\" Name: "
                           "Film Type: Movies ID: 101",
                           "All torrents filtered."};
    }
    void check()
    {
        QFETCH(QString, filtersDat);
        QFETCH(QStringList, feed);
        QFETCH(bool, filtering);
        QFETCH(int, lastparsed);
        QFETCH(QStringList, results);
        QFETCH(QStringList, exclusion);
        QFETCH(QStringList, downloadedIds);
        QFETCH(QStringList, log);

        state.Filters = FilterTable::parse(filtersDat);
        state.feed = feedOf(feed);
        runEngine(filtering, lastparsed);

        QCOMPARE(logLines(), log);
        QCOMPARE(resultTexts(), results);
        QCOMPARE(state.exclusion, exclusion);
        QStringList paths;
        for (const QString &id : downloadedIds)
            paths.append("/download.php?id=" + id);
        QStringList requested;
        for (const DownloadRequest &r : std::as_const(downloads))
            requested.append(r.path);
        QCOMPARE(requested, paths);
    }

    void downloadCarriesTargetAndCredentials()
    {
        state.Filters = FilterTable::parse("111linux\r\n*\r\n");
        state.feed = {{"4711", "3000", "Appz", "Linux Mint", "Linux.Mint.torrent"}};
        runEngine(true, 4000);
        QCOMPARE(downloads.size(), 1);
        const DownloadRequest expected{"/download.php?id=4711",
                                       "/home/u/torrents/Linux.Mint.torrent", "demo", "pa&ss",
                                       "Linux Mint"};
        QCOMPARE(downloads.first(), expected);
        QCOMPARE(state.results.first().Size, QStringLiteral("3000"));
        QCOMPARE(state.results.first().FileName, QStringLiteral("Linux.Mint.torrent"));
        QCOMPARE(state.results.first().Category, QStringLiteral("Appz"));
    }

    void downloadTargetStaysInTheFolder_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("target");
        QTest::newRow("plain") << "a.torrent"
                               << "/home/u/torrents/a.torrent";
        // No hidden files either: the downloader saves what is left after the leading dots.
        QTest::newRow("climbing out") << "../../.profile"
                                      << "/home/u/torrents/profile";
        QTest::newRow("control characters")
            << QString("a\tb\x01.torrent") << "/home/u/torrents/ab.torrent";
        QTest::newRow("absolute") << "/etc/passwd"
                                  << "/home/u/torrents/passwd";
        QTest::newRow("back-slashes") << "C:\\x\\c.torrent"
                                      << "/home/u/torrents/c.torrent";
        QTest::newRow("empty") << ""
                               << "/home/u/torrents/7.torrent";
        QTest::newRow("parent only") << "x/.."
                                     << "/home/u/torrents/7.torrent";
    }
    void downloadTargetStaysInTheFolder()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, target);
        QCOMPARE(FilterEngine::downloadRequestFor(state, 7, fileName, "n").target, target);
    }

    // Records the program never writes itself (a filters.dat edited by hand, or built in code).
    void damagedFiltersAcceptNothing_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("keywords");
        QTest::addColumn<QStringList>("categories");
        QTest::newRow("contains, no keywords") << "Contains" << QStringList{} << QStringList{"*"};
        QTest::newRow("veto, no keywords")
            << "Does Not Contain" << QStringList{} << QStringList{"*"};
        QTest::newRow("exact, no keywords")
            << "Exactly Matches" << QStringList{} << QStringList{"*"};
        QTest::newRow("contains, no categories") << "Contains" << QStringList{"*"} << QStringList{};
        QTest::newRow("veto, no categories")
            << "Does Not Contain" << QStringList{"film"} << QStringList{};
        QTest::newRow("exact, reversed range")
            << "Exactly Matches" << QStringList{"[z-a]*"} << QStringList{"*"};
    }
    void damagedFiltersAcceptNothing()
    {
        QFETCH(QString, mode);
        QFETCH(QStringList, keywords);
        QFETCH(QStringList, categories);
        FilterRecord damaged;
        damaged.Enabled = true;
        damaged.MatchMode = mode;
        damaged.Action = QStringLiteral("Download");
        damaged.Keywords = keywords;
        damaged.Categories = categories;
        state.Filters.append(damaged);
        state.feed = feedOf({"101|Film|Movies"});
        runEngine(true, 100);
        QVERIFY(state.results.isEmpty());
        QVERIFY(state.exclusion.isEmpty());
        QVERIFY(downloads.isEmpty());
    }

    // Results of an earlier, unacknowledged check stay, and a torrent read again (a
    // developer-mode check re-reads older ids) is not added a second time.
    void earlierResultsStayAndBlockDuplicates()
    {
        state.Filters = FilterTable::parse("110*\r\n*\r\n");
        state.results = {MatchRecord{1, "a.torrent", "10", 1.0f, "Appz", "Earlier", 95}};
        state.feed = feedOf({"95|Earlier|Appz", "96|Newer|Appz"});
        runEngine(true, 90);
        QCOMPARE(resultTexts(), (QStringList{"95 f1 dl", "96 f1 -"}));
        QVERIFY(logLines().contains("Duplicate result for ID: 95"));
    }

    void categoryFits_data()
    {
        QTest::addColumn<QStringList>("categories");
        QTest::addColumn<QString>("category");
        QTest::addColumn<bool>("fits");
        QTest::newRow("star first") << QStringList{"*"} << "Anything" << true;
        QTest::newRow("star not first is a name") << QStringList{"Music", "*"} << "TV" << false;
        QTest::newRow("second entry")
            << QStringList{"Music", "Appz/PC ISO"} << "appz/pc iso" << true;
        QTest::newRow("n/a category") << QStringList{"n/a"} << "N/A" << true;
        QTest::newRow("no wildcards in categories") << QStringList{"App?"} << "Appz" << false;
        QTest::newRow("empty list") << QStringList{} << "Music" << false;
    }
    void categoryFits()
    {
        QFETCH(QStringList, categories);
        QFETCH(QString, category);
        QFETCH(bool, fits);
        QCOMPARE(FilterEngine::categoryFits(categories, category), fits);
    }
};

QTEST_GUILESS_MAIN(TestFilterEngine)
#include "tst_filterengine.moc"

#include "EnvTest.h"
#include "filters/FilterEngine.h"
#include "filters/FilterLimitsFile.h"
#include "model/ProgramState.h"

#include <QtTest>

// The filter stage run on a program state, with every log line and download recorded.
class TestFilterEngine : public EnvTest
{
    Q_OBJECT

    ProgramState state;
    QList<DownloadRequest> downloads;

    // "id|name|category" rows, or "id|name|category|size" (1048576 bytes unless given); the
    // file name is the id followed by ".torrent".
    static ParsedFeed feedOf(const QStringList &rows)
    {
        ParsedFeed feed;
        for (const QString &row : rows) {
            const QStringList f = row.split(QLatin1Char('|'));
            feed.append(
                {f[0], f.value(3, QStringLiteral("1048576")), f[2], f[1], f[0] + ".torrent"});
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
        FilterEngine engine(state, env->log.get(), [this](const DownloadRequest &r) {
            downloads.append(r);
            return true;
        });
        engine.run(filtering, lastparsed);
    }

private slots:
    void init()
    {
        EnvTest::init();
        state = ProgramState();
        state.settings.TorrentFolder = QStringLiteral("/home/u/torrents/");
        downloads.clear();
    }

    void check_data()
    {
        check_data_columns();

        QTest::newRow("two notify filters: one result, then the duplicate line")
            << "110linux\r\n*\r\n110iso\r\n*\r\n"
            << QStringList{"101|Linux ISO|Appz"} << true << 100 << QStringList{"101 f1 -"}
            << QStringList{}
            << "Applying filters to torrents...|checking 101 (Linux ISO)|afhits = 1/1|cat check 1|"
               "Torrent found matching \"Contains linux in all categories\" Name: Linux ISO "
               "Type: Appz ID: 101|afhits = 1/1|cat check 1|Duplicate result for ID: 101|"
               "All torrents filtered.";
        QTest::newRow("does not contain vetoes a later contains filter")
            << "130cam\r\n*\r\n110cam\r\n*\r\n"
            << QStringList{"101|Movie CAM|Movies", "102|Movie BluRay|Movies"} << true << 100
            << QStringList{"102 f1 -"} << QStringList{"101"}
            << "Applying filters to torrents...|checking 101 (Movie CAM)|"
               "id 101 found in exc array. no hit|checking 102 (Movie BluRay)|"
               "Torrent found matching \"Does Not Contain cam in all categories\" "
               "Name: Movie BluRay Type: Movies ID: 102|afhits = 0/1|All torrents filtered.";
        // With several keywords the veto needs all of them: one of two is no veto.
        QTest::newRow("does not contain with two keywords vetoes only when both are found")
            << "130cam&&ts\r\n*\r\n"
            << QStringList{"101|Movie CAM|Movies", "102|Movie CAM TS|Movies", "103|Movie TS|Movies"}
            << true << 100 << QStringList{"101 f1 -", "103 f1 -"} << QStringList{"102"} << "";
        QTest::newRow("ignore above download: neither result nor download")
            << "112cam\r\n*\r\n111*\r\n*\r\n"
            << QStringList{"101|Movie CAM|Movies", "102|Other Film|Movies"} << true << 100
            << QStringList{"102 f2 dl"} << QStringList{"101"}
            << "Applying filters to torrents...|checking 101 (Movie CAM)|afhits = 1/1|cat check 1|"
               "type 2. adding to exc array|id 101 found in exc array. no hit|"
               "checking 102 (Other Film)|afhits = 0/1|display_all_overide|cat check 1|"
               "Torrent found matching \"Contains anything in all categories\" "
               "Name: Other Film Type: Movies ID: 102|Autodownloading Other Film|"
               "All torrents filtered.";
        // Only "Contains" says that a torrent was found in the exclusion list.
        QTest::newRow("an ignored torrent meets a later exactly matches filter silently")
            << "112cam\r\n*\r\n120movie cam\r\n*\r\n"
            << QStringList{"101|Movie CAM|Movies"} << true << 100 << QStringList{}
            << QStringList{"101"}
            << "Applying filters to torrents...|checking 101 (Movie CAM)|afhits = 1/1|cat check 1|"
               "type 2. adding to exc array|All torrents filtered.";
        QTest::newRow("filtering off with filters defined: all new torrents, no download")
            << "111*\r\n*\r\n"
            << QStringList{"100|Seen Before|Appz", "101|New One|Appz", "102|New Two|Music"} << false
            << 100 << QStringList{"101 f0 -", "102 f0 -"} << QStringList{}
            << "No active filters detected, showing all torrents.|"
               "Torrent: New One Found. Filtering not enabled.|"
               "Torrent: New Two Found. Filtering not enabled.|All torrents loaded.";
        QTest::newRow("switch on but no enabled filter counts as off")
            << "011*\r\n*\r\n"
            << QStringList{"101|New One|Appz"} << true << 100 << QStringList{"101 f0 -"}
            << QStringList{} << "";
        QTest::newRow("first run with a download filter starts no download")
            << "111*\r\n*\r\n"
            << QStringList{"5|Old A|Appz", "6|Old B|Appz"} << true << 0
            << QStringList{"5 f1 -", "6 f1 -"} << QStringList{} << "";
        QTest::newRow("id equal to lastparsed is logged and never filtered")
            << "110*\r\n*\r\n"
            << QStringList{"100|Start Row|Appz", "99|Older|Appz"} << true << 100 << QStringList{}
            << QStringList{} << "...|100 < lp|99 < lp";
        QTest::newRow("exactly matches needs the whole name")
            << "120show*\r\nTV\r\n120s01e05\r\nTV\r\n110s01e0#\r\nTV\r\n"
            << QStringList{"101|Show S01E05|TV"} << true << 100 << QStringList{"101 f1 -"}
            << QStringList{} << "";
        // A "*" that is not the first category is a name like any other.
        QTest::newRow("every keyword in one of the categories, without letter case")
            << "110linux&&iso\r\nMusic, *, Appz\r\n"
            << QStringList{"101|Linux DVD|Appz", "102|Linux Mint ISO|APPZ", "103|Linux ISO|TV"}
            << true << 100 << QStringList{"102 f1 -"} << QStringList{}
            << "...|checking 101 (Linux DVD)|afhits = 1/2|checking 103 (Linux ISO)|afhits = 2/2|"
               "cat check 0";
        // Filter 1 keeps 101, filter 2 then ignores it; the next torrent's "Does Not Contain"
        // evaluation drops the result again before it looks at that torrent.
        QTest::newRow("a result ignored later is dropped by the next veto filter")
            << "130xyz\r\n*\r\n112cam\r\n*\r\n"
            << QStringList{"101|Movie CAM|Movies", "102|Clean Film|Movies"} << true << 100
            << QStringList{"102 f1 -"} << QStringList{"101"} << "";
        QTest::newRow("a malformed keyword accepts nothing and vetoes nothing")
            << "130[cam\r\n*\r\n110[z-a]\r\n*\r\n110film\r\n*\r\n"
            << QStringList{"101|Film|Movies"} << true << 100 << QStringList{"101 f3 -"}
            << QStringList{}
            << "...|Skipping filter 1 (Does Not Contain [cam in all categories): "
               "its keywords or categories cannot be used.|"
               "Skipping filter 2 (Contains [z-a] in all categories): "
               "its keywords or categories cannot be used.";
    }
    void check() { checkRow(QString()); }

    // Size limits (filterlimits.dat lines) decide first whether a filter meets a torrent: one
    // outside them skips the filter as a disabled one would.
    void sizeLimits_data()
    {
        check_data_columns();
        QTest::addColumn<QString>("limits");
        const QString both = "700 MB\t8 GB\t1\t10x264\t*\r\n";
        QTest::newRow("each edge of both limits")
            << "110x264\r\n*\r\n"
            << QStringList{"101|A x264|TV|734003199",  "102|B x264|TV|734003200",
                           "103|C x264|TV|734003201",  "104|D x264|TV|8589934591",
                           "105|E x264|TV|8589934592", "106|F x264|TV|8589934593"}
            << true << 100 << QStringList{"102 f1 -", "103 f1 -", "104 f1 -", "105 f1 -"}
            << QStringList{}
            << "...|checking 101 (A x264)|checking 102 (B x264)|afhits = 1/1|cat check 1|"
               "Torrent found matching \"Contains x264 in all categories between 700 MB and "
               "8 GB\" Name: B x264 Type: TV ID: 102"
            << both;
        QTest::newRow("the smallest alone")
            << "110x264\r\n*\r\n"
            << QStringList{"101|A x264|TV|734003199", "102|B x264|TV|734003200",
                           "103|C x264|TV|99999999999999"}
            << true << 100 << QStringList{"102 f1 -", "103 f1 -"} << QStringList{} << ""
            << "700 MB\t\t1\t10x264\t*\r\n";
        QTest::newRow("the largest alone")
            << "110x264\r\n*\r\n"
            << QStringList{"101|A x264|TV|0", "102|B x264|TV|8589934592",
                           "103|C x264|TV|8589934593"}
            << true << 100 << QStringList{"101 f1 -", "102 f1 -"} << QStringList{} << ""
            << "\t8 GB\t1\t10x264\t*\r\n";
        QTest::newRow("a size that is no number passes no limit; the filter logs nothing")
            << "110x264\r\n*\r\n110*\r\n*\r\n"
            << QStringList{"101|A x264|TV|", "102|B x264|TV|1e9"} << true << 100
            << QStringList{"101 f2 -", "102 f2 -"} << QStringList{}
            << "Applying filters to torrents...|checking 101 (A x264)|display_all_overide|"
               "cat check 1|Torrent found matching \"Contains anything in all categories\" "
               "Name: A x264 Type: TV ID: 101|checking 102 (B x264)|display_all_overide|"
               "cat check 1|Torrent found matching \"Contains anything in all categories\" "
               "Name: B x264 Type: TV ID: 102|All torrents filtered."
            << both;
        QTest::newRow("exactly matches within its limits only")
            << "120movie*\r\n*\r\n"
            << QStringList{"101|Movie One|Movies|2147483648", "102|Movie Two|Movies|1073741824"}
            << true << 100 << QStringList{"102 f1 -"} << QStringList{} << ""
            << "\t1 GB\t1\t20movie*\t*\r\n";
        QTest::newRow("does not contain vetoes only within its limits")
            << "130cam\r\n*\r\n110movie\r\n*\r\n"
            << QStringList{"101|Movie CAM|Movies|2147483648", "102|Movie CAM|Movies|1000"} << true
            << 100 << QStringList{"101 f2 -"} << QStringList{"102"} << ""
            << "\t1 MB\t1\t30cam\t*\r\n";
        // Within its limit filter 1 would drop result 101, ignored by filter 2, when it met 102.
        QTest::newRow("does not contain outside its limits drops no result")
            << "130zzz\r\n*\r\n112cam\r\n*\r\n"
            << QStringList{"101|Movie CAM|Movies|1000", "102|Film|Movies|2147483648"} << true << 100
            << QStringList{"101 f1 -"} << QStringList{"101"} << ""
            << "\t1 MB\t1\t30zzz\t*\r\n";
        QTest::newRow("ignore outside its limits leaves the torrent to a download filter")
            << "112cam\r\n*\r\n111*\r\n*\r\n"
            << QStringList{"101|Movie CAM|Movies|5368709120", "102|Movie CAM|Movies|1073741824",
                           "103|Other|Movies|5368709120"}
            << true << 100 << QStringList{"102 f2 dl", "103 f2 dl"} << QStringList{"101"} << ""
            << "4 GB\t\t1\t12cam\t*\r\n";
        // A filter outside its limits does not even look at the exclusion list.
        QTest::newRow("an excluded torrent outside a contains filter's limits: no line")
            << "112cam\r\n*\r\n110cam\r\n*\r\n"
            << QStringList{"101|Movie CAM|Movies|2147483648"} << true << 100 << QStringList{}
            << QStringList{"101"}
            << "Applying filters to torrents...|checking 101 (Movie CAM)|afhits = 1/1|"
               "cat check 1|type 2. adding to exc array|All torrents filtered."
            << "\t1 MB\t1\t10cam\t*\r\n";
    }
    void sizeLimits()
    {
        QFETCH(QString, limits);
        checkRow(limits);
    }

private:
    void check_data_columns()
    {
        QTest::addColumn<QString>("filtersDat");
        QTest::addColumn<QStringList>("feed");
        QTest::addColumn<bool>("filtering");
        QTest::addColumn<int>("lastparsed");
        QTest::addColumn<QStringList>("results");
        QTest::addColumn<QStringList>("exclusion");
        // The whole log, word for word, its lines parted by "|"; or, after "...|", lines the
        // log holds in this order.
        QTest::addColumn<QString>("log");
    }

    // One row of check or sizeLimits, with the filters' limits in the file's form.
    void checkRow(const QString &limits)
    {
        QFETCH(QString, filtersDat);
        QFETCH(QStringList, feed);
        QFETCH(bool, filtering);
        QFETCH(int, lastparsed);
        QFETCH(QString, log);

        state.Filters = FilterTable::parse(filtersDat);
        QList<FilterLimitsFile::Entry> entries;
        QVERIFY(FilterLimitsFile::parse(limits, &entries));
        QCOMPARE(FilterLimitsFile::attach(&state.Filters, entries).size(), 0);
        state.feed = feedOf(feed);
        runEngine(filtering, lastparsed);

        QTEST(resultTexts(), "results");
        QTEST(state.exclusion, "exclusion");
        // Each result marked downloaded, and only those, had its own id asked for.
        QStringList requested, marked;
        for (const DownloadRequest &r : std::as_const(downloads))
            requested.append(r.path.mid(r.path.indexOf('=') + 1));
        for (const QString &result : resultTexts().filter(" dl"))
            marked.append(result.section(' ', 0, 0));
        QCOMPARE(requested, marked);
        QStringList lines = logLines();
        if (!log.startsWith(QLatin1String("...|"))) {
            if (!log.isEmpty())
                QCOMPARE(lines, log.split(QLatin1Char('|')));
            return;
        }
        for (const QString &line : log.mid(4).split(QLatin1Char('|'))) {
            const qsizetype at = lines.indexOf(line);
            QVERIFY2(at >= 0, qPrintable("no log line in its place: " + line));
            lines = lines.mid(at + 1);
        }
    }

private slots:
    // Hostile feed file names: the download stays in the torrent folder.
    void downloadTargetStaysInTheFolder_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("target");
        QTest::newRow("climbing out") << "../../.profile" << QStringLiteral("profile");
        QTest::newRow("back-slashes") << "C:\\x\\c.torrent" << QStringLiteral("c.torrent");
        QTest::newRow("empty") << "" << QStringLiteral("7.torrent");
        QTest::newRow("parent only") << "x/.." << QStringLiteral("7.torrent");
    }
    void downloadTargetStaysInTheFolder()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, target);
        QCOMPARE(FilterEngine::downloadRequestFor(state, 7, fileName, "n").target,
                 "/home/u/torrents/" + target);
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
};

QTEST_GUILESS_MAIN(TestFilterEngine)
#include "tst_filterengine.moc"

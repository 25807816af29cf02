#include "core/TrayIconState.h"
#include "download/DownloadWindows.h"
#include "feed/FeedCheck.h"
#include "NotifyTestApp.h"

#include <QDir>
#include <QLabel>

// Whole checks of the running program against the local test site, from the feed to the popup
// and the stored bookkeeping, and failed checks that must leave everything as it was.
class TestWholeCheck : public NotifyTest
{
    Q_OBJECT

    QString m_folder;

    static constexpr int Start = 700040; // the newest torrent of the site's fixed catalogue

    // Two filters, an earlier check's bookkeeping and torrents.db; four new uploads on the site.
    void prepare()
    {
        SettingsStore &store = *env->store;
        store.WriteSettingNumber("playsound", 0);
        store.WriteSettingNumber("filterenabled", 1);
        store.WriteSettingText("lastparsed", QString::number(Start));
        store.WriteSettingText("lastalerted", QString::number(Start));
        store.WriteSettingText("search_newest", QString::number(Start));
        m_folder = env->folder() + "torrents/";
        QVERIFY(QDir().mkpath(m_folder));
        store.WriteSettingText("torrentpath", m_folder);
        NotifyTestApp::writeFile(env->file("filters.dat"), "110harbour\r\n*\r\n111linux\r\n*\r\n");
        NotifyTestApp::writeFile(env->file("torrents.db"),
                                 "700040\t1000\tTV/XviD\t5\tOld.Show\tOld.Show.torrent\r\n");
        SiteCatalogue &c = t->site.catalogue();
        c.addTorrent("Harbour.Patrol.S02E01.720p.HDTV.x264-PWK", "TV/XviD", 367001600);
        c.addTorrent("Debian.Linux.12.Live.amd64.ISO-GRP", "Appz/Misc", 3 * 524288);
        c.addTorrent("Some.Other.Movie.2008.DVDRip.XviD-NOiR", "Movies/XviD", 734003200);
        c.addTorrent("Harbour.Linux-iNK", "Appz/Misc", 52428800);
    }
    QString stored(const char *name) const { return env->store->ReadSettingText(name); }
    // Each result as "id, accepting filter, download started".
    QStringList results() const
    {
        QStringList out;
        for (const MatchRecord &r : std::as_const(t->state().results))
            out << QString("%1 %2 %3").arg(r.Id).arg(r.FilterIndex).arg(r.Downloaded);
        return out;
    }
    static QList<frmDownload *> downloadWindows()
    {
        return WidgetFinder::shownWindows<frmDownload>();
    }

private slots:
    void cleanup()
    {
        for (frmDownload *w : downloadWindows())
            w->close();
        NotifyTest::cleanup();
    }

    // Feed, torrents.db, filters with a Download filter's file saved and opened, the popup, the
    // tray, the bookkeeping; the popup leads to the "New Torrents" window.
    void successfulCheck()
    {
        prepare();
        QCOMPARE(t->start(), PollwickApp::LoadEnd::NormalStart);
        QCOMPARE(results(), QStringList({"700041 1 0", "700042 2 1", "700044 1 0"}));
        QCOMPARE(downloadWindows().size(), 1);
        QVERIFY(downloadWindows().first()->isMinimized());
        const QString target = m_folder + t->site.catalogue().torrent(700042)->fileName;
        QTRY_COMPARE(env->shell.files, QStringList{target});
        QCOMPARE(NotifyTestApp::readFile(target),
                 t->site.server().pages().torrentFile(*t->site.catalogue().torrent(700042),
                                                      *t->site.catalogue().user("demo")));
        QVERIFY(t->popup()->isVisible());
        QCOMPARE(NotifyTestApp::child<QLabel>(t->popup(), "lblMessage")->text(),
                 QStringLiteral("3  new torrents have just been uploaded."));
        QCOMPARE(t->app->trayState().IconState(), QStringLiteral("new"));
        QCOMPARE(stored("lastparsed"), QStringLiteral("700044"));
        QCOMPARE(stored("lastalerted"), QStringLiteral("700044"));
        // torrents.db was in step: the four new rows follow the old one.
        QCOMPARE(ReadTextFile(env->file("torrents.db")).count("\r\n"), 5);
        QCOMPARE(stored("search_newest"), QStringLiteral("700044"));
        QTest::mouseClick(NotifyTestApp::child<QWidget>(t->popup(), "lblMessage"), Qt::LeftButton);
        QCOMPARE(t->summary()->windowTitle(), QStringLiteral("3 new torrents"));
    }

    // A name of a mebibyte, matched by a Download filter (which shows the popup too): the popup
    // and the download window shorten it at once (the shortening rules are tst_downloadcore's),
    // the check completes and stores its bookkeeping.
    void mebibyteName()
    {
        prepare();
        NotifyTestApp::writeFile(env->file("filters.dat"), "111aaaa\r\n*\r\n");
        const QString name(1 << 20, QLatin1Char('a'));
        t->site.catalogue().addTorrent(name, "TV/XviD", 1000, 700045);
        QCOMPARE(t->start(), PollwickApp::LoadEnd::NormalStart);
        QCOMPARE(stored("lastparsed"), QStringLiteral("700045"));
        QCOMPARE(t->state().results.size(), 1);
        const QString popup = NotifyTestApp::child<QLabel>(t->popup(), "lblMessage")->text();
        QVERIFY2(popup.endsWith("a... has just been uploaded.") && popup.size() < 100,
                 qPrintable(popup));
        QCOMPARE(downloadWindows().size(), 1);
        frmDownload *window = downloadWindows().first();
        const QString shown = NotifyTestApp::child<QLabel>(window, "info_filename")->text();
        QVERIFY(shown.endsWith("...") && shown.size() < 100);
        const QString path = NotifyTestApp::child<QLabel>(window, "Label5")->text();
        QVERIFY(path.startsWith(m_folder.left(8)) && path.contains("...") && path.size() < 100);
    }

    // A check's downloads never open a box: a second match whose file name comes to a target
    // already being downloaded, and a missing torrent folder (once per check), are logged; the
    // later rows, the bookkeeping and the popup follow as always.
    void automaticDownloadsNeverAsk_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QStringList>("results");
        QTest::newRow("two matches, one target")
            << true << QStringList{"700041 1 1", "700042 1 0", "700043 1 1"};
        QTest::newRow("no torrent folder")
            << false << QStringList{"700041 1 0", "700042 1 0", "700043 1 0"};
    }
    void automaticDownloadsNeverAsk()
    {
        QFETCH(bool, folder);
        prepare();
        NotifyTestApp::writeFile(env->file("filters.dat"), "111linux\r\n*\r\n");
        SiteCatalogue &c = t->site.catalogue();
        c.clear();
        c.addTorrent(TestSite::torrent(Start, "Linux.Old"));
        QCOMPARE(t->start(), PollwickApp::LoadEnd::NormalStart);
        // The folder goes while the program runs (a missing one is made again at start).
        if (!folder)
            QVERIFY(QDir(m_folder).removeRecursively());
        int id = Start + 1;
        for (const char *file : {"a/Same.torrent", "b\\Same.torrent", "Last.torrent"}) {
            SiteTorrent row = TestSite::torrent(id, QString("Linux.%1").arg(id));
            row.fileName = file;
            c.addTorrent(row);
            ++id;
        }
        t->main()->checkfeed();
        QTEST(results(), "results");
        QCOMPARE(stored("lastparsed"), QString::number(Start + 3));
        QVERIFY(t->popup());
        const QStringList log = t->messages();
        QCOMPARE(log.filter("Autodownloading ").size(), 3);
        const QString missing = "Critical Error: Pollwick was unable to save the .torrent file to "
                                "the path you have specified. Please check to see if the path is "
                                "correct, and the appropriate permissions exist. ";
        QCOMPARE(log.count(missing), folder ? 0 : 1);
        QCOMPARE(log.count("Unable to download file. File is already being downloaded. (" +
                           m_folder + "Same.torrent)"),
                 folder ? 1 : 0);
        QCOMPARE(downloadWindows().size(), folder ? 2 : 0);
        if (folder)
            QTRY_COMPARE(env->shell.files.size(), 2);
        // The next check says it again.
        c.addTorrent(TestSite::torrent(id, "Linux.Next"));
        t->main()->checkfeed();
        QCOMPARE(t->messages().count(missing), folder ? 0 : 2);
    }

    // Twenty Download matches: four downloads at once, the others wait their turn and start as
    // running ones end (a closed window counts; the queue's order is tst_downloadcore's); every
    // result is listed.
    void checkDownloadsFourAtATime()
    {
        prepare();
        NotifyTestApp::writeFile(env->file("filters.dat"), "111linux\r\n*\r\n");
        for (int i = 0; i < 20; ++i)
            t->site.catalogue().addTorrent(QString("Linux.%1").arg(i), "Appz/Misc", 1000);
        // The first four transfers hang after the login.
        t->site.misbehave("/download.php", SiteMisbehaviour::Stall, 4);
        QCOMPARE(t->start(), PollwickApp::LoadEnd::NormalStart);
        QCOMPARE(t->state().results.size(), 22); // two of the four new uploads match too
        QCOMPARE(downloadWindows().size(), 4);
        QVERIFY(t->site.waitForRequests(4, "/download.php"));

        QPointer<frmDownload> closed = downloadWindows().first();
        const QString closedTarget = closed->targetPath();
        closed->close();
        int most = 0;
        QVERIFY(QTest::qWaitFor(
            [&] {
                most = std::max(most, int(downloadWindows().size()));
                return env->shell.files.size() == 18;
            },
            20000));
        QCOMPARE(most, 4);
        QCOMPARE(t->app->downloadWindows().queue().running(), 3);
        QCOMPARE(t->messages().filter(QRegularExpression("^Saved " + m_folder)).size(), 18);
        // The closed one is not downloaded; the hanging ones still count as downloading.
        QStringList notDownloaded;
        for (const MatchRecord &r : std::as_const(t->state().results))
            if (r.Downloaded == 0)
                notDownloaded << m_folder + r.FileName;
        QCOMPARE(notDownloaded, QStringList{closedTarget});
    }

    // Active filters with "Filter Torrents?" unticked: the check asks the main window whether
    // the filters run, and every new torrent becomes a result of no filter, none downloaded.
    void checkWithTheFilteringSwitchOff()
    {
        prepare();
        env->store->WriteSettingNumber("filterenabled", 0);
        QCOMPARE(t->start(), PollwickApp::LoadEnd::NormalStart);
        QCOMPARE(results(), QStringList({"700041 0 0", "700042 0 0", "700043 0 0", "700044 0 0"}));
        QVERIFY(downloadWindows().isEmpty());
    }

    // A row whose id is not 1 to 2147483647 is left out of the filters, torrents.db and the
    // position, with one log line; a valid row after it counts.
    void badIdsAreLeftOut_data()
    {
        QTest::addColumn<QByteArray>("id");
        QTest::addColumn<bool>("validAfter");
        for (const char *id : {"0", "-1", "2147483648", "x12"}) {
            QTest::addRow("%s last", id) << QByteArray(id) << false;
            QTest::addRow("%s, then a valid id", id) << QByteArray(id) << true;
        }
        QTest::addRow("2147483647 last") << QByteArray("2147483647") << false;
    }
    void badIdsAreLeftOut()
    {
        QFETCH(QByteArray, id);
        QFETCH(bool, validAfter);
        prepare();
        const QByteArray row = "\t1\tTV\t1\tHarbour.Show\tH.torrent\r\n";
        QByteArray reply = "#PWKF12#\r\n\r\n700040" + row + "700041" + row + id + row;
        if (validAfter)
            reply += "700043" + row;
        t->site.setRawReply("/bots.php", 200, reply);
        QCOMPARE(t->start(), PollwickApp::LoadEnd::NormalStart);
        const bool valid = id == "2147483647";
        const QString newest = validAfter ? "700043" : valid ? QString::fromLatin1(id) : "700041";
        QCOMPARE(stored("lastparsed"), newest);
        QCOMPARE(stored("search_newest"), newest);
        QCOMPARE(results().size(), 1 + int(validAfter) + int(valid));
        QCOMPARE(
            ReadTextFile(env->file("torrents.db")).contains('\n' + QString::fromLatin1(id) + '\t'),
            valid);
        QCOMPARE(env->log->lines()
                     .filter(") Left out 1 row whose id is not a number from 1 to 2147483647.")
                     .size(),
                 valid ? 0 : 1);
    }

    // A failed check leaves the bookkeeping, filters.dat and torrents.db as they were, whether it
    // ends before parsing (no reply, or a page kept for support: every other class of failure
    // the reply shows ends the same way, tst_feedcheck tells them apart) or where the parser
    // stops.
    void failedCheckChangesNothing_data()
    {
        QTest::addColumn<SiteMisbehaviour::Kind>("kind");
        QTest::addColumn<QByteArray>("body");
        const auto raw = SiteMisbehaviour::Raw;
        // clang-format off
        // How each reply fails is the feed check's tests' (tst_feedcheck); here a failure
        // before any row and one after good rows.
        QTest::newRow("refused") << SiteMisbehaviour::Refuse << QByteArray();
        QTest::newRow("Error(3) row without a TAB") << raw << QByteArray("#PWKF12#\r\n\r\n"
            "700040\t1\tTV\t1\tA\tA.torrent\r\n700041\t2\tTV\t1\tHarbour.Linux\tB.torrent\r\n"
            "broken\r\n");
        // clang-format on
    }
    void failedCheckChangesNothing()
    {
        QFETCH(SiteMisbehaviour::Kind, kind);
        QFETCH(QByteArray, body);
        prepare();
        // Every request misbehaves, resends by the network layer included, until cleared.
        if (kind == SiteMisbehaviour::Raw)
            t->site.setRawReply("/bots.php", 200, body);
        else
            t->site.misbehave("/bots.php", kind);
        const QByteArray filters = NotifyTestApp::readFile(env->file("filters.dat"));
        const QByteArray db = NotifyTestApp::readFile(env->file("torrents.db"));

        QCOMPARE(t->start(), PollwickApp::LoadEnd::NormalStart);
        QCOMPARE(t->app->mainWindow()->feedCheck().attempts(), 2);
        QCOMPARE(stored("lastparsed"), QString::number(Start));
        QCOMPARE(stored("lastalerted"), QString::number(Start));
        QCOMPARE(NotifyTestApp::readFile(env->file("filters.dat")), filters);
        QCOMPARE(NotifyTestApp::readFile(env->file("torrents.db")), db);
        QVERIFY(t->state().results.isEmpty());
        QVERIFY(!t->popup());
        QVERIFY(downloadWindows().isEmpty());

        // The next check that succeeds picks up where the last good one ended.
        t->site.clearMisbehaviour();
        t->main()->checkfeed();
        QCOMPARE(stored("lastparsed"), QStringLiteral("700044"));
        QCOMPARE(t->state().results.size(), 3);
        QTRY_COMPARE(env->shell.files.size(), 1);
    }
};

QTEST_MAIN(TestWholeCheck)
#include "tst_wholecheck.moc"

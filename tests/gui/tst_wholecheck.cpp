#include "core/TrayIconState.h"
#include "download/frmDownload.h"
#include "feed/FeedCheck.h"
#include "feed/TorrentDb.h"
#include "NotifyTestApp.h"

#include <QDir>
#include <QLabel>

// Whole checks of the running program against the local test site: the feed, the torrents.db
// append, the filters with an automatic download saved in the torrent folder, the popup, the
// tray and the stored bookkeeping; and failed checks that must leave every stored value and
// file as it was.
class TestWholeCheck : public QObject
{
    Q_OBJECT

    std::unique_ptr<NotifyTestApp> t;
    QString m_folder;

    static constexpr int Start = 700040; // the newest torrent of the site's fixed catalogue

    void addUploads()
    {
        SiteCatalogue &c = t->site->catalogue();
        c.addTorrent("Harbour.Patrol.S02E01.720p.HDTV.x264-PWK", "TV/XviD", 367001600);
        c.addTorrent("Debian.Linux.12.Live.amd64.ISO-GRP", "Appz/Misc", 3 * 524288);
        c.addTorrent("Some.Other.Movie.2008.DVDRip.XviD-NOiR", "Movies/XviD", 734003200);
        c.addTorrent("Harbour.Linux-iNK", "Appz/Misc", 52428800);
    }
    // What a user has before the check: two filters, the bookkeeping of an earlier check,
    // torrents.db in step with it, a torrent folder.
    void prepare(bool filtering, bool onetime, int lastalerted)
    {
        SettingsStore &store = *t->env->store;
        store.WriteSettingNumber("interval", 600);
        store.WriteSettingNumber("playsound", 0);
        store.WriteSettingNumber("onetime", onetime ? 1 : 0);
        store.WriteSettingNumber("filterenabled", filtering ? 1 : 0);
        store.WriteSettingText("lastparsed", QString::number(Start));
        store.WriteSettingText("lastalerted", QString::number(lastalerted));
        store.WriteSettingText("search_newest", QString::number(Start));
        store.WriteSettingText("search_updated", "01-12-2026|10:00:00");
        m_folder = t->env->folder() + "torrents/";
        QVERIFY(QDir().mkpath(m_folder));
        store.WriteSettingText("torrentpath", m_folder);
        NotifyTestApp::writeFile(t->env->file("filters.dat"),
                                 "110harbour\r\n*\r\n111linux\r\n*\r\n");
        NotifyTestApp::writeFile(t->env->file("torrents.db"),
                                 "700040\t1000\tTV/XviD\t5\tOld.Show\tOld.Show.torrent\r\n");
    }
    QString stored(const char *name) const { return t->env->store->ReadSettingText(name); }
    QByteArray torrentBytes(int id) const
    {
        return t->site->server().pages().torrentFile(*t->site->catalogue().torrent(id),
                                                     *t->site->catalogue().user("demo"));
    }
    static QList<frmDownload *> downloadWindows()
    {
        QList<frmDownload *> out;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *d = qobject_cast<frmDownload *>(w); d && d->isVisible())
                out << d;
        return out;
    }
    QString popupText()
    {
        return t->popup() ? NotifyTestApp::child<QLabel>(t->popup(), "lblMessage")->text()
                          : QString();
    }

private slots:
    void init() { t = std::make_unique<NotifyTestApp>(); }
    void cleanup()
    {
        for (frmDownload *w : downloadWindows())
            w->close();
        const QString problems = t->env->problems();
        t.reset();
        QCOMPARE(problems, QString());
    }

    void successfulCheck_data()
    {
        QTest::addColumn<bool>("filtering");
        QTest::addColumn<bool>("onetime");
        QTest::addColumn<int>("lastalerted");
        QTest::addColumn<QList<int>>("results");
        QTest::addColumn<QList<int>>("filterSlots");
        QTest::addColumn<QList<int>>("downloaded");
        QTest::addColumn<QString>("popup");
        QTest::addColumn<QString>("tip");
        QTest::newRow("two filters, alert every result")
            << true << false << Start << QList<int>{700041, 700042, 700044} << QList<int>{1, 2, 1}
            << QList<int>{700042} << "3  new torrents have just been uploaded."
            << "3 new torrents";
        QTest::newRow("two filters, alert once: only what is newer than lastalerted")
            << true << true << 700042 << QList<int>{700041, 700042, 700044} << QList<int>{1, 2, 1}
            << QList<int>{700042} << "Harbour Linux-iNK has just been uploaded."
            << "3 new torrents";
        QTest::newRow("filtering off: every new torrent, no download")
            << false << false << Start << QList<int>{700041, 700042, 700043, 700044}
            << QList<int>{0, 0, 0, 0} << QList<int>{} << "4  new torrents have just been uploaded."
            << "4 new torrents";
    }
    void successfulCheck()
    {
        QFETCH(bool, filtering);
        QFETCH(bool, onetime);
        QFETCH(int, lastalerted);
        QFETCH(QList<int>, results);
        QFETCH(QList<int>, filterSlots);
        QFETCH(QList<int>, downloaded);
        prepare(filtering, onetime, lastalerted);
        addUploads();
        QCOMPARE(t->start(), PollwickApp::LoadEnd::NormalStart);
        QCOMPARE(t->site->requestsTo("/bots.php").size(), 1);

        QList<int> ids;
        QList<int> accepting;
        QList<int> started;
        for (const MatchRecord &r : std::as_const(t->state().results)) {
            ids << r.Id;
            accepting << r.FilterIndex;
            if (r.Downloaded != 0)
                started << r.Id;
        }
        QCOMPARE(ids, results);
        QCOMPARE(accepting, filterSlots);
        QCOMPARE(started, downloaded);

        // The automatic download: a minimised window that saves the file and hands it over.
        const QList<frmDownload *> windows = downloadWindows();
        QCOMPARE(windows.size(), downloaded.size());
        QStringList targets;
        for (int id : downloaded) {
            const QString target = m_folder + t->site->catalogue().torrent(id)->fileName;
            targets << target;
            QVERIFY(windows.first()->isMinimized());
            QVERIFY(t->messages().contains(
                "Autodownloading " +
                QString(t->site->catalogue().torrent(id)->name).replace('.', ' ')));
        }
        QTRY_COMPARE(t->env->shell.files, targets);
        for (int id : downloaded)
            QCOMPARE(NotifyTestApp::readFile(m_folder + t->site->catalogue().torrent(id)->fileName),
                     torrentBytes(id));

        QTEST(popupText(), "popup");
        QVERIFY(t->popup()->isVisible());
        QCOMPARE(t->app->trayState().IconState(), QStringLiteral("new"));
        QTEST(t->app->trayState().tip(), "tip");
        QCOMPARE(t->state().AlertAddress, t->site->baseUrl() + "/browse.php");
        QCOMPARE(NotifyTestApp::child<QLabel>(t->main(), "info_timetocheck")->text(),
                 QStringLiteral("Next check in 10m 00s"));
        QCOMPARE(stored("lastparsed"), QStringLiteral("700044"));
        QCOMPARE(stored("lastalerted"), QStringLiteral("700044"));

        // torrents.db was in step: the four new rows follow the old one.
        const QStringList lines = ReadTextFile(t->env->file("torrents.db")).split("\r\n");
        QCOMPARE(lines.size(), 6);
        QVERIFY(lines[1].startsWith("700041\t367001600\tTV/XviD\t1\tHarbour Patrol S02E01"));
        QVERIFY(lines[4].startsWith("700044\t"));
        QCOMPARE(lines[5], QString());
        QCOMPARE(stored("search_newest"), QStringLiteral("700044"));
        QCOMPARE(stored("search_updated"), TorrentDb::timestampText(t->env->clock.now()));

        // The popup leads to the window with the same results.
        QTest::mouseClick(NotifyTestApp::child<QWidget>(t->popup(), "lblMessage"), Qt::LeftButton);
        QVERIFY(t->summary()->isVisible());
        QCOMPARE(t->summary()->windowTitle(),
                 QString::number(results.size()) + QStringLiteral(" new torrents"));
    }

    // A check that fails in any way leaves lastparsed, lastalerted, filters.dat and
    // torrents.db exactly as they were, and shows nothing new.
    void failedCheckChangesNothing_data()
    {
        QTest::addColumn<SiteMisbehaviour::Kind>("kind");
        QTest::addColumn<QByteArray>("body");
        const auto raw = SiteMisbehaviour::Raw;
        QTest::newRow("empty reply") << SiteMisbehaviour::Empty << QByteArray();
        QTest::newRow("refused") << SiteMisbehaviour::Refuse << QByteArray();
        QTest::newRow("404") << SiteMisbehaviour::NotFound << QByteArray();
        QTest::newRow("busy") << SiteMisbehaviour::Busy << QByteArray();
        QTest::newRow("Error(1) html page") << SiteMisbehaviour::Html << QByteArray();
        QTest::newRow("Error(2) no rows") << raw << QByteArray("#PWKF12#\r\n\r\n");
        QTest::newRow("Error(3) row without a TAB")
            << raw
            << QByteArray(
                   "#PWKF12#\r\n\r\n700040\t1\tTV\t1\tA\tA.torrent\r\n700041\t2\tTV\t1\tHarbour"
                   ".Linux\tB.torrent\r\nbroken\r\n");
        QTest::newRow("Error(4) database") << SiteMisbehaviour::MySqlError << QByteArray();
        QTest::newRow("Error(5) version") << raw << QByteArray("#PWKF13#\r\n\r\n");
        QTest::newRow("Error(6) unauthorised") << SiteMisbehaviour::None << QByteArray();
        QTest::newRow("Error(7) other") << raw << QByteArray("#pwkf12#\r\n");
        QTest::newRow("Error(8) one category")
            << raw << QByteArray("#PWKF12#\r\nMusic\r\n700041\t2\tTV\t1\tHarbour\tB.torrent\r\n");
    }
    void failedCheckChangesNothing()
    {
        QFETCH(SiteMisbehaviour::Kind, kind);
        QFETCH(QByteArray, body);
        prepare(true, false, Start);
        addUploads();
        // Every request misbehaves, resends by the network layer included, until cleared.
        if (kind == SiteMisbehaviour::Raw)
            t->site->setRawReply("/bots.php", 200, body);
        else if (kind != SiteMisbehaviour::None)
            t->site->misbehave("/bots.php", kind);
        else
            t->env->store->WriteSettingText("site_password", ScrambleText("wrong"));
        const QByteArray filters = NotifyTestApp::readFile(t->env->file("filters.dat"));
        const QByteArray db = NotifyTestApp::readFile(t->env->file("torrents.db"));

        QCOMPARE(t->start(), PollwickApp::LoadEnd::NormalStart);
        // Two attempts (the network layer itself may resend a request whose connection was
        // closed unanswered).
        QVERIFY(t->site->requestsTo("/bots.php").size() >= 2);
        QCOMPARE(t->app->mainWindow()->feedCheck().attempts(), 2);
        QCOMPARE(stored("lastparsed"), QString::number(Start));
        QCOMPARE(stored("lastalerted"), QString::number(Start));
        QCOMPARE(stored("search_newest"), QString::number(Start));
        QCOMPARE(stored("search_updated"), QStringLiteral("01-12-2026|10:00:00"));
        QCOMPARE(NotifyTestApp::readFile(t->env->file("filters.dat")), filters);
        QCOMPARE(NotifyTestApp::readFile(t->env->file("torrents.db")), db);
        QVERIFY(t->state().results.isEmpty());
        QVERIFY(!t->popup());
        QVERIFY(downloadWindows().isEmpty());
        QVERIFY(t->site->requestsTo("/takelogin.php").isEmpty());
        QCOMPARE(t->app->trayState().IconState(), QStringLiteral("error"));

        // The next check that succeeds picks up where the last good one ended.
        t->site->clearMisbehaviour();
        t->env->store->WriteSettingText("site_password", ScrambleText("demo"));
        t->state().settings.SitePassword = "demo";
        t->main()->checkfeed();
        QCOMPARE(stored("lastparsed"), QStringLiteral("700044"));
        QCOMPARE(t->state().results.size(), 3);
        QTRY_COMPARE(t->env->shell.files.size(), 1);
    }

    // A torrents.db that cannot be written is logged, and the check goes on to the filters,
    // the alerts and the bookkeeping.
    void torrentDbFailureDoesNotStopTheCheck()
    {
        prepare(true, false, Start);
        addUploads();
        QFile::remove(t->env->file("torrents.db"));
        QVERIFY(QDir().mkdir(t->env->file("torrents.db")));
        QCOMPARE(t->start(), PollwickApp::LoadEnd::NormalStart);
        const QStringList lines = t->messages();
        QVERIFY(std::any_of(lines.begin(), lines.end(), [](const QString &line) {
            return line.startsWith("Failed to update torrent db: ");
        }));
        QCOMPARE(stored("search_newest"), QString::number(Start));
        QCOMPARE(t->state().results.size(), 3);
        QCOMPARE(popupText(), QStringLiteral("3  new torrents have just been uploaded."));
        QCOMPARE(stored("lastparsed"), QStringLiteral("700044"));
        QTRY_COMPARE(t->env->shell.files.size(), 1);
    }
};

QTEST_MAIN(TestWholeCheck)
#include "tst_wholecheck.moc"

#include "core/frmMain.h"
#include "core/PollwickApp.h"
#include "core/TrayIcon.h"
#include "download/DownloadWindows.h"
#include "download/frmDownload.h"
#include "EnvTest.h"
#include "feed/TorrentDb.h"
#include "FeedWriter.h"
#include "model/ProgramState.h"
#include "platform/HttpTransfer.h"
#include "platform/PasswordScramble.h"
#include "platform/SettingsStore.h"
#include "platform/TextUtils.h"
#include "platform/WholeFiles.h"
#include "search/frmSearch.h"
#include "search/SearchDatabase.h"
#include "search/SearchDatabaseUpdater.h"
#include "search/SearchWindows.h"
#include "TestSite.h"
#include "WidgetFinder.h"

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using WidgetFinder::control;

// "Search Torrents" against the local test site: creating, updating and loading torrents.db,
// every failure box, closing during a download, and searching, sorting, downloading and
// opening pages from the result list, driven through the window's controls.
class TestFrmSearch : public EnvTest
{
    Q_OBJECT

    std::unique_ptr<TestSite> site;
    std::unique_ptr<ProgramState> state;
    std::unique_ptr<DownloadWindows> downloads;
    std::unique_ptr<SearchWindows> windows;
    QPointer<frmSearch> w;

    QString dbPath() const { return env->file("torrents.db"); }
    QDateTime now() const { return env->clock.now(); }
    QString hoursAgo(int hours) const
    {
        return TorrentDb::timestampText(now().addSecs(-qint64(hours) * 3600));
    }
    // The catalogue's rows from..to as the site sends them.
    QByteArray rows(int from, int to) const
    {
        QByteArray out;
        for (const SiteTorrent &t : site->catalogue().torrents()) {
            if (t.id >= from && t.id <= to)
                out += FeedWriter::row(t);
        }
        return out;
    }
    // A copy of torrents.db with its stored times and newest id.
    void storeCopy(const QByteArray &bytes, int createdAgo, int updatedAgo, const QString &newest)
    {
        QVERIFY(ReplaceFileAtomically(dbPath(), bytes));
        env->store->WriteSettingText("search_created", hoursAgo(createdAgo));
        env->store->WriteSettingText("search_updated", hoursAgo(updatedAgo));
        env->store->WriteSettingText("search_newest", newest);
    }
    // Opens the window and lets it bring the database up to date; false when it did not
    // settle in time.
    bool open()
    {
        windows->showSearchWindow();
        w = windows->window();
        return QTest::qWaitFor(
            [&] { return !w || (!w->timer1()->isActive() && !w->updater().downloadRunning()); },
            20000);
    }
    QList<QPair<QString, QString>> boxes()
    {
        QList<QPair<QString, QString>> out;
        while (env->dialogs.pending() > 0) {
            const ScriptedDialogs::Shown box = env->dialogs.take();
            out.append({box.caption, box.text});
            if (box.icon != Dialogs::Critical)
                out.append({"icon", QString::number(box.icon)});
        }
        return out;
    }
    QStringList names(int column = 0) const
    {
        QStringList out;
        SearchResultModel &m = w->model();
        for (int r = 0; r < m.rowCount(); ++r)
            out << m.data(m.index(r, column)).toString();
        return out;
    }
    QList<int> shownIds() const
    {
        QList<int> out;
        SearchResultModel &m = w->model();
        for (int r = 0; r < m.rowCount(); ++r)
            out << m.record(m.resultAt(r)).Id;
        return out;
    }
    QString nameOf(int id) const
    {
        return QString(site->catalogue().torrent(id)->name).replace('.', ' ');
    }
    QTreeView *list() const { return control<QTreeView>(w, "list"); }
    QLineEdit *text1() const { return control<QLineEdit>(w, "Text1"); }
    QPoint centreOfRow(int row) const
    {
        return list()->visualRect(w->model().index(row, 0)).center();
    }
    static frmDownload *downloadWindow()
    {
        return WidgetFinder::shownWindows<frmDownload>().value(0);
    }
private slots:
    void init()
    {
        EnvTest::init();
        site = std::make_unique<TestSite>();
        QVERIFY(site->isListening());
        env->useSite(site->baseUrl());
        state = std::make_unique<ProgramState>();
        state->settings.SiteUserName = "demo";
        state->settings.SitePassword = "demo";
        state->settings.TorrentFolder = env->folder() + "torrents/";
        QVERIFY(QDir().mkpath(state->settings.TorrentFolder));
        state->categories = QStringList{"Movies", "TV", "Appz", "Music"};
        downloads = std::make_unique<DownloadWindows>(env->services, *state);
        windows = std::make_unique<SearchWindows>(env->services, *state, *downloads);
    }
    void cleanup()
    {
        if (frmDownload *d = downloadWindow())
            d->close();
        windows.reset();
        downloads.reset();
        state.reset();
        site.reset();
        EnvTest::cleanup();
    }

    // A first opening downloads the site's newest 30000 rows into torrents.db, stores the times
    // and the newest id, and lists every row newest first. (An opening that only loads the file
    // is typingRules'.)
    void firstOpeningCreates()
    {
        site->catalogue().generate(30000, 11);
        QVERIFY(open());
        const QList<SiteRequest> asked = site->requestsTo("/bots.php");
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].target, QByteArray("/bots.php?limit=30000&u=demo&p=demo&v=11&c=0"));
        QCOMPARE(TestEnv::readFile(dbPath()), rows(700001, 730000));
        QCOMPARE(env->store->ReadSettingText("search_newest"), QStringLiteral("730000"));
        QCOMPARE(w->model().rowCount(), 30000);
        QCOMPARE(names().first(), nameOf(730000));
        QCOMPARE(w->panel(1)->text(), QStringLiteral("Idle"));
        QCOMPARE(w->panel(2)->text(), QStringLiteral("30000/30000 torrents"));
        QVERIFY(!control<QWidget>(w, "Frame3")->isVisible());
        QVERIFY(text1()->isEnabled() && list()->isEnabled());
        QCOMPARE(windows->databases().current(), w->database());
    }

    // How the window acts on the reply classes (their texts and which retry silently are
    // tst_searchrules'): its box (title, text, critical icon, Retry and Cancel), a silent first
    // retry, and what Cancel leaves; one row per course of events.
    void replyClasses_data()
    {
        QTest::addColumn<QString>("mode"); // "create", "recreate" (an old copy exists), "update"
        QTest::addColumn<int>("kind");     // a misbehaviour, or -1 for the scripted body
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("bad");         // bad replies before good ones
        QTest::addColumn<QString>("answers"); // R and C, in order
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("end"); // "new", "old" or "closed"
        using M = SiteMisbehaviour;
        const QString c = ". Your torrent database could not be created.  ";
        const QString u = ". Your torrent database might not be up-to-date.  ";
        const QString failed = "Download failed" + c;
        // clang-format off
        QTest::newRow("create: empty once, silent retry") << "create" << int(M::Empty)
            << QByteArray() << 1 << "" << QStringList{} << "new";
        QTest::newRow("create: 404 at once, Retry") << "create" << int(M::NotFound) << QByteArray()
            << 1 << "R" << QStringList{"Download failed (File not found)" + c} << "new";
        QTest::newRow("create: server error three times") << "create" << int(M::MySqlError)
            << QByteArray() << 3 << "RC"
            << QStringList{"Download failed (Server-side error)" + c,
                           "Download failed (Server-side error)" + c} << "closed";
        QTest::newRow("create: unauthorised, second attempt's box") << "create" << -1
            << QByteArray("Unauthorised:2") << 2 << "R"
            << QStringList{"Download failed (Unauthorised)" + c} << "new";
        QTest::newRow("re-create: 404, Cancel keeps the old copy") << "recreate"
            << int(M::NotFound) << QByteArray() << 1 << "C"
            << QStringList{"Download failed (File not found)" + c} << "old";
        QTest::newRow("re-create: cut short twice keeps the old copy") << "recreate"
            << int(M::Truncated) << QByteArray() << 2 << "C" << QStringList{failed} << "old";
        QTest::newRow("update: empty at once, Retry") << "update" << int(M::Empty) << QByteArray()
            << 1 << "R" << QStringList{"Update failed" + u} << "new";
        QTest::newRow("update: unspecified once, silent retry") << "update" << -1
            << QByteArray("#PWKF11#\r\n\r\n") << 1 << "" << QStringList{} << "new";
        QTest::newRow("update: unspecified twice") << "update" << -1
            << QByteArray("#PWKF11#\r\n\r\n") << 2 << "C"
            << QStringList{"Update failed (unspecified)" + u} << "old";
        QTest::newRow("update: nothing new keeps the copy, no box") << "update" << -1
            << QByteArray("#PWKF12#\r\n\r\n") << 1 << "" << QStringList{} << "old";
        QTest::newRow("update: rows without a line break") << "update" << -1
            << QByteArray("#PWKF12#\r\n\r\n700035\t1\tTV\t0\tn\tf") << 1 << "C"
            << QStringList{"Update failed" + u} << "old";
        // clang-format on
    }
    void replyClasses()
    {
        QFETCH(QString, mode);
        QFETCH(int, kind);
        QFETCH(QByteArray, body);
        QFETCH(int, bad);
        QFETCH(QString, answers);
        QFETCH(QStringList, texts);
        QFETCH(QString, end);
        const QByteArray old = rows(700001, 700035);
        const int created = mode == "update" ? 10 : 63; // hours ago, for an old copy
        if (mode != "create")
            storeCopy(old, created, mode == "update" ? 7 : 63, "700035");
        if (kind < 0)
            site->scriptReply("/bots.php", body, 200, {}, bad);
        else
            site->misbehave("/bots.php", SiteMisbehaviour::Kind(kind), bad);
        for (const QChar answer : answers)
            answer == 'R' ? env->dialogs.answerRetry() : env->dialogs.answerCancel();

        QVERIFY(open());
        const QString title = mode == "update" ? "Update Failed" : "Download Failed";
        QList<QPair<QString, QString>> expected;
        for (const QString &text : texts)
            expected.append({title, text});
        QCOMPARE(boxes(), expected);
        QCOMPARE(site->requestsTo("/bots.php").size(), bad + (end == "new" ? 1 : 0));
        if (end == "closed") {
            QTRY_VERIFY(!w);
            QVERIFY(!QFile::exists(dbPath()));
            QCOMPARE(env->store->ReadSettingText("search_created"), QString());
            return;
        }
        QVERIFY(w && w->isVisible());
        if (end == "old") {
            // The old copy, its times and its newest id are as they were, and searchable.
            QCOMPARE(TestEnv::readFile(dbPath()), old);
            QCOMPARE(env->store->ReadSettingText("search_created"), hoursAgo(created));
            QCOMPARE(env->store->ReadSettingText("search_newest"), QStringLiteral("700035"));
            QCOMPARE(w->model().rowCount(), 35);
            QTest::keyClicks(text1(), nameOf(700020).left(12));
            QVERIFY(shownIds().contains(700020));
            return;
        }
        QCOMPARE(TestEnv::readFile(dbPath()), rows(700001, 700040));
        QCOMPARE(env->store->ReadSettingText("search_newest"), QStringLiteral("700040"));
        QCOMPARE(w->model().rowCount(), 40);
    }

    // A reply's tail after its last CR LF (cut short) never reaches the file; an update with
    // no readable newest id makes a new copy instead of appending everything again. (When an
    // opening creates, updates or only loads is tst_searchrules'.)
    void tailsAndNewest_data()
    {
        QTest::addColumn<QString>("newest"); // stored search_newest; "-" for a first opening
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<QByteArray>("request");
        const QByteArray create = "/bots.php?limit=30000&u=demo&p=demo&v=11&c=0";
        const QByteArray update = "/bots.php?limit=30000&u=demo&p=demo&v=11&startid=700035&c=0";
        // clang-format off
        QTest::newRow("create drops a tail") << "-" << QByteArray("700041	5	TV	0	Half") << create;
        QTest::newRow("update drops a tail") << "700035" << QByteArray("700041	5	TV	0	Half")
            << update;
        QTest::newRow("newest id not a number: new copy") << "7x" << QByteArray() << create;
        QTest::newRow("newest id 0: new copy") << "0" << QByteArray() << create;
        // clang-format on
    }
    void tailsAndNewest()
    {
        QFETCH(QString, newest);
        QFETCH(QByteArray, tail);
        if (newest != "-")
            storeCopy(rows(700001, 700035), 10, 7, newest);
        if (!tail.isEmpty()) {
            const int from = newest == "-" ? 700001 : 700035;
            site->scriptReply("/bots.php", "#PWKF12#\r\n\r\n" + rows(from, 700040) + tail);
        }
        QVERIFY(open());
        QFETCH(QByteArray, request);
        QCOMPARE(site->requestsTo("/bots.php").value(0).target, request);
        QCOMPARE(TestEnv::readFile(dbPath()), rows(700001, 700040));
        QCOMPARE(env->store->ReadSettingText("search_newest"), QStringLiteral("700040"));
        QCOMPARE(w->model().rowCount(), 40);
        // An update keeps the copy's creation time; both times are stamped on success.
        QCOMPARE(env->store->ReadSettingText("search_updated"), TorrentDb::timestampText(now()));
        QCOMPARE(env->store->ReadSettingText("search_created"),
                 request.contains("startid") ? hoursAgo(10) : TorrentDb::timestampText(now()));
    }

    // A reply past the fetch's limit fails as too large and says so (the limit's two sides are
    // tst_httptransfer's).
    void replyLimit()
    {
        const QByteArray body = TestSite::feedBody(site->catalogue().newest(20));
        HttpTransfer transfer(&env->network);
        bool tooLarge = false;
        const QString reply =
            FetchUrlText(site->feedUrl(0, false), transfer, body.size() - 1, &tooLarge);
        QVERIFY(tooLarge);
        QCOMPARE(reply, QString());
        QVERIFY(transfer.failed());
    }

    // torrents.db that cannot be written: the box, then the old copy when there is one.
    void writeFailure()
    {
        const QByteArray old = rows(700001, 700035);
        storeCopy(old, 63, 63, "700035");
        // A file size limit below the new copy's size makes its write fail (permissions would
        // not stop a test run as root).
        rlimit before{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &before), 0);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = before;
        small.rlim_cur = rlim_t(old.size());
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool settled = open();
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, previous);
        QVERIFY(settled);
        QCOMPARE(TestEnv::readFile(dbPath()), old);
        const ScriptedDialogs::Shown box = env->dialogs.take();
        QCOMPARE(box.kind, QStringLiteral("message"));
        QCOMPARE(box.text, QStringLiteral("Critical Error - Could not write torrentdb to file "));
        QCOMPARE(box.icon, Dialogs::Critical);
        QVERIFY(w);
        QCOMPARE(w->model().rowCount(), 35);
        QCOMPARE(env->store->ReadSettingText("search_created"), hoursAgo(63));
        QVERIFY(env->log->lines().join('\n').contains("Unable to write torrents.db: "));
    }

    // Unreadable rows are left out (said once in the log); a file with none gives the "Load
    // Failed" box, whose Retry makes a new copy and whose Cancel closes the window.
    void loadFailures_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("shown");
        // clang-format off
        QTest::newRow("one bad row") << QByteArray("700001\tx\r\nbad row\r\n700002\ty\r\n") << ""
            << 2;
        QTest::newRow("no CR LF, Cancel") << QByteArray("700001\tx") << "C" << -1;
        QTest::newRow("no row with a TAB, Retry") << QByteArray("bad\r\n") << "R" << 40;
        // clang-format on
    }
    void loadFailures()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, answer);
        QFETCH(int, shown);
        storeCopy(file, 1, 1, "700002");
        for (const QChar a : answer)
            a == 'R' ? env->dialogs.answerRetry() : env->dialogs.answerCancel();
        QVERIFY(open());
        if (!answer.isEmpty()) {
            const ScriptedDialogs::Shown box = env->dialogs.take();
            QCOMPARE(box.caption, QStringLiteral("Load Failed"));
            QCOMPARE(box.text,
                     QStringLiteral("Loading failed. Your torrent database could not be read.  "));
            QCOMPARE(box.kind, QStringLiteral("retrycancel"));
        }
        if (shown < 0) {
            QTRY_VERIFY(!w);
            return;
        }
        QCOMPARE(w->model().rowCount(), shown);
        // Said once, however many rows were left out.
        QCOMPARE(env->log->lines().filter("unreadable row").size(), 1);
    }

    // Closing during a download hides the window and cancels the request; the window closes
    // when the request returns, and nothing is written.
    void closingDuringADownload()
    {
        site->misbehave("/bots.php", SiteMisbehaviour::Stall, 1);
        windows->showSearchWindow();
        w = windows->window();
        QPointer<frmSearch> window = w;
        int hiddenWhileRunning = 0;
        connect(&site->server(), &SiteServer::requestReceived, w, [&] {
            QTimer::singleShot(0, window, [&] {
                window->close();
                // The request is cancelled at once, with a 1-second time-out for what remains.
                const HttpTransfer *inet2 = control<HttpTransfer>(window, "Inet2");
                QVERIFY(!inet2->StillExecuting());
                QCOMPARE(inet2->RequestTimeout(), 1);
                hiddenWhileRunning += !window->isVisible() && window->isClosing();
                QCOMPARE(windows->window(), nullptr);
                window->close(); // a second close changes nothing
            });
        });
        QVERIFY(QTest::qWaitFor([&] { return !window; }, 10000));
        QCOMPARE(hiddenWhileRunning, 1);
        QVERIFY(!QFile::exists(dbPath()));
        QCOMPARE(env->store->ReadSettingText("search_created"), QString());
        QVERIFY(env->store->ReadSettingNumber("search_width") > 0);
        QCOMPARE(site->requestsTo("/bots.php").size(), 1);
    }

    // An update waits while the feed check writes torrents.db, and writes after it.
    void waitsForTheFeedCheck()
    {
        const QByteArray old = rows(700001, 700035);
        storeCopy(old, 10, 7, "700035");
        state->TorrentDbBusy = true;
        QByteArray whileWaiting;
        QTimer feedCheck;
        feedCheck.setInterval(20);
        connect(&feedCheck, &QTimer::timeout, this, [&] {
            if (w && w->updater().waitingForTorrentDb()) {
                whileWaiting = TestEnv::readFile(dbPath());
                state->TorrentDbBusy = false;
                feedCheck.stop();
            }
        });
        feedCheck.start();
        QVERIFY(open());
        QCOMPARE(whileWaiting, old);
        QCOMPARE(TestEnv::readFile(dbPath()), rows(700001, 700040));
        QVERIFY(!state->TorrentDbBusy);
    }

    // A feed check that appends rows while an update's request runs: the update appends only
    // what is newer than those, so no row is written twice.
    void aCheckAppendsMeanwhile()
    {
        storeCopy(rows(700001, 700035), 10, 7, "700035");
        QByteArray byTheCheck;
        for (int id = 700035; id <= 700038; ++id) {
            const SiteTorrent *t = site->catalogue().torrent(id);
            const TorrentRecord record{QString::number(id), QString::number(t->size), t->category,
                                       QString(t->name).replace('.', ' '), t->fileName};
            state->feed.append(record);
            if (id > 700035)
                byTheCheck += ToAnsi(TorrentDb::lineFor(record)) + "\r\n";
        }
        bool checked = false;
        connect(&site->server(), &SiteServer::requestReceived, this, [&] {
            if (checked)
                return;
            checked = true;
            TorrentDb db(*state, *env->store, env->clock, env->log.get(), dbPath());
            QCOMPARE(db.appendFromCheck(700035).rows, 3);
        });
        QVERIFY(open());
        QVERIFY(checked);
        QCOMPARE(TestEnv::readFile(dbPath()),
                 rows(700001, 700035) + byTheCheck + rows(700039, 700040));
        QCOMPARE(w->model().rowCount(), 40);
        QCOMPARE(env->store->ReadSettingText("search_newest"), QStringLiteral("700040"));
    }

    // Typing searches from three letters on; two letters search when forced by the button; a
    // longer query after one that found nothing is not searched until the category changes.
    void typingRules()
    {
        // A small database whose rows this test knows, loaded without asking the site.
        storeCopy("1\t1572864\tMovies\t0\tOld.Film.XviD\told.torrent\r\n"
                  "2\t734003200\tMovies\t0\tNew.Film.xvid\tnew.torrent\r\n"
                  "3\t100\tTV\t0\tShow.S01E05.HDTV\ts5.torrent\r\n"
                  "4\t100\tTV\t0\tShow.S01E15.HDTV\ts15.torrent\r\n"
                  "5\t2048\tAppz\t0\tSome.App\tapp.torrent\r\n",
                  1, 1, "5");
        QVERIFY(open());
        QCOMPARE(site->requestsTo("/bots.php").size(), 0);
        QCOMPARE(names().first(), QStringLiteral("Some App"));
        QTest::keyClicks(text1(), "xv");
        QCOMPARE(w->model().rowCount(), 5);
        QCOMPARE(w->session().lastQuery(), QString());
        QTest::mouseClick(control<QPushButton>(w, "Command4"), Qt::LeftButton);
        QCOMPARE(names(), (QStringList{"New Film xvid", "Old Film XviD"}));
        QCOMPARE(w->panel(2)->text(), QStringLiteral("2/5 torrents"));

        QComboBox *combo = control<QComboBox>(w, "combo_cat");
        QCOMPARE(combo->itemText(0), QStringLiteral("All Categories"));
        QCOMPARE(combo->count(), 5);
        combo->setCurrentIndex(combo->findText("TV"));
        emit combo->activated(combo->currentIndex());
        // Two letters, unforced: the category alone does not search them.
        QCOMPARE(w->session().lastQuery(), QStringLiteral("xv"));
        QCOMPARE(w->model().rowCount(), 2);
        QTest::keyClick(text1(), 'i');
        QCOMPARE(w->session().lastQuery(), QStringLiteral("xvi"));
        QCOMPARE(w->model().rowCount(), 0);
        QTest::keyClick(text1(), 'd');
        QCOMPARE(w->session().lastQuery(), QStringLiteral("xvi")); // cannot find more
        combo->setCurrentIndex(0);
        emit combo->activated(0);
        QCOMPARE(w->session().lastQuery(), QStringLiteral("xvid"));
        QCOMPARE(names(), (QStringList{"New Film xvid", "Old Film XviD"}));

        QTest::mouseClick(control<QPushButton>(w, "Command3"), Qt::LeftButton);
        QCOMPARE(text1()->text(), QString());
        QCOMPARE(w->model().rowCount(), 5);
        QCOMPARE(w->panel(2)->text(), QStringLiteral("5/5 torrents"));

        // The box reaches the search as typed, wildcards included (its matching is
        // tst_searchdatabase's); a bracket goes as it is typed, at the end or inside the text, and
        // the cursor stays where the user typed.
        QTest::keyClicks(text1(), "old*xvid");
        QCOMPARE(shownIds(), QList<int>{1});
        text1()->clear();
        QTest::keyClicks(text1(), "s0[1e]05");
        QCOMPARE(text1()->text(), QStringLiteral("s01e05"));
        QCOMPARE(text1()->cursorPosition(), 6);
        QCOMPARE(shownIds(), QList<int>{3});
        text1()->clear();
        QTest::keyClicks(text1(), "shw");
        text1()->setCursorPosition(2);
        QTest::keyClick(text1(), '[');
        QCOMPARE(text1()->text(), QStringLiteral("shw"));
        QCOMPARE(text1()->cursorPosition(), 2);
        QTest::keyClick(text1(), 'o');
        QCOMPARE(text1()->text(), QStringLiteral("show"));
        QCOMPARE(shownIds(), (QList<int>{4, 3}));

        // Header clicks sort by name or type, the order flipping on every click, also on another
        // column; the size header does not sort; a search lists newest first again, and its
        // results sort by a header click too.
        text1()->clear();
        QHeaderView *header = list()->header();
        const QStringList newestFirst = names();
        WidgetFinder::clickHeader(list(), 2);
        QCOMPARE(names(), newestFirst);
        WidgetFinder::clickHeader(list(), 0);
        QCOMPARE(names(), (QStringList{"Some App", "Show S01E15 HDTV", "Show S01E05 HDTV",
                                       "Old Film XviD", "New Film xvid"}));
        WidgetFinder::clickHeader(list(), 0);
        QCOMPARE(names(), (QStringList{"New Film xvid", "Old Film XviD", "Show S01E05 HDTV",
                                       "Show S01E15 HDTV", "Some App"}));
        WidgetFinder::clickHeader(list(), 1);
        QCOMPARE(names(1), (QStringList{"TV", "TV", "Movies", "Movies", "Appz"}));
        QVERIFY(header->isSortIndicatorShown());
        QTest::keyClicks(text1(), "show");
        QCOMPARE(names(), (QStringList{"Show S01E15 HDTV", "Show S01E05 HDTV"}));
        QVERIFY(!header->isSortIndicatorShown());
        QVERIFY(!list()->isSortingEnabled());
        WidgetFinder::clickHeader(list(), 0);
        QCOMPARE(names(), (QStringList{"Show S01E05 HDTV", "Show S01E15 HDTV"}));
        QVERIFY(header->isSortIndicatorShown());
    }

    // Download Now and View Details from the menu and by double-click.
    void rowActions_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("option"); // DoubleClickAction
        QTest::addColumn<QString>("expected");
        // clang-format off
        QTest::newRow("Download Now in the menu") << "mnuDownload" << 2 << "download";
        QTest::newRow("View Details in the menu") << "mnuDetails" << 1 << "details";
        QTest::newRow("double-click, Download Now") << "double" << 1 << "download";
        QTest::newRow("double-click, View Details") << "double" << 2 << "details";
        QTest::newRow("double-click, other setting") << "double" << 0 << "details";
        QTest::newRow("double-click on another row than clicked") << "other" << 2 << "";
        // clang-format on
    }
    void rowActions()
    {
        QFETCH(QString, how);
        QFETCH(int, option);
        QFETCH(QString, expected);
        storeCopy(rows(700001, 700040), 1, 1, "700040");
        QVERIFY(open());
        state->settings.DoubleClickAction = qint16(option);
        QTest::keyClicks(text1(), nameOf(700012));
        QCOMPARE(shownIds(), QList<int>{700012});
        if (how.startsWith("mnu")) {
            QTest::mouseClick(list()->viewport(), Qt::RightButton, {}, centreOfRow(0));
            QVERIFY(w->mnuAction()->isVisible());
            control<QAction>(w, how.toLatin1())->trigger();
            w->mnuAction()->hide();
        } else {
            // A double-click is a click, then the double-click event; "other" has the click
            // on another row.
            if (how == "other")
                text1()->clear();
            QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                              centreOfRow(how == "other" ? 1 : 0));
            QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, centreOfRow(0));
        }
        QCOMPARE(env->shell.urls,
                 expected == "details"
                     ? QStringList{site->baseUrl() + "/details.php?id=700012&hit=1"}
                     : QStringList{});
        QCOMPARE(bool(downloadWindow()), expected == "download");
        if (expected == "download")
            QTRY_COMPARE(env->shell.files,
                         QStringList{state->settings.TorrentFolder +
                                     site->catalogue().torrent(700012)->fileName});
    }

    // The tray menu's "Search for torrents" and the options page's fourth tab open the window;
    // the tab chosen before stays on show.
    void entries()
    {
        env->store->WriteSettingText("appbuild", "512");
        env->store->WriteSettingText("site_username", "demo");
        env->store->WriteSettingText("site_password", ScrambleText("demo"));
        env->store->WriteSettingText("lastparsed", "700040");
        storeCopy(rows(700001, 700040), 1, 1, "700040");
        windows.reset();
        PollwickApp app(env->services, QStringList{"/usr/bin/pollwick"});
        app.trayIcon().setAvailabilityProbe([] { return false; });
        app.start();
        frmMain *main = app.mainWindow();
        control<QAction>(main, "mnuSearch")->trigger();
        w = app.searchWindows().window();
        QVERIFY(w && w->isVisible() && !w->parentWidget());
        QTRY_COMPARE(w->model().rowCount(), 40);
        w->close();
        QTRY_VERIFY(!w);

        QTabWidget *tabs = control<QTabWidget>(main, "SSTab1");
        tabs->setCurrentIndex(1);
        tabs->setCurrentIndex(3);
        QCOMPARE(tabs->currentIndex(), 1);
        w = app.searchWindows().window();
        QVERIFY(w && w->isVisible());
        QTRY_COMPARE(w->model().rowCount(), 40);
        tabs->setCurrentIndex(3);
        QCOMPARE(app.searchWindows().window(), w.data());
        QCOMPARE(tabs->currentIndex(), 1);
    }

    // The stored size comes back within the work area, and is stored on closing.
    void windowSize()
    {
        env->store->WriteSettingNumber("search_width", 600 * 15);
        env->store->WriteSettingNumber("search_height", 2000 * 15);
        storeCopy(rows(700001, 700040), 1, 1, "700040");
        QVERIFY(open());
        QCOMPARE(w->width(), 600);
        QVERIFY(w->height() <= env->screen.workArea().height());
        w->resize(100, 100);
        QCOMPARE(w->size(), w->minimumSize());
        QCOMPARE(w->height(), 212);
        // One window at a time, and the snapshot it loads is the program's.
        frmSearch *first = w;
        first->showMinimized();
        windows->showSearchWindow();
        QCOMPARE(windows->window(), first);
        QVERIFY(!first->isMinimized());
        QVERIFY(!first->parentWidget());
        QCOMPARE(windows->databases().obtain(), first->database());
        w->resize(500, 300);
        w->close();
        QTRY_VERIFY(!w);
        QCOMPARE(env->store->ReadSettingNumber("search_width"), qint16(500 * 15));
        QCOMPARE(env->store->ReadSettingNumber("search_height"), qint16(300 * 15));
    }
};

QTEST_MAIN(TestFrmSearch)
#include "tst_frmsearch.moc"

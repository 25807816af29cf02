#include "feed/TorrentDb.h"
#include "model/ProgramState.h"
#include "platform/WholeFiles.h"
#include "search/SearchDatabase.h"
#include "search/SearchReply.h"
#include "search/SearchResultModel.h"
#include "search/SearchSchedule.h"
#include "search/SearchSession.h"
#include "TestEnv.h"

#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// The search window's rules that need no window: when a search runs, when torrents.db is
// created, updated or only loaded, what each download reply means, the result list, and the
// append the update shares with the feed check.
class TestSearchRules : public QObject
{
    Q_OBJECT

    static QDateTime at(const QString &text)
    {
        return QDateTime::fromString(text, QStringLiteral("dd-MM-yyyy|HH:mm:ss"));
    }

private slots:
    void session_data()
    {
        QTest::addColumn<QString>("last");  // the last query
        QTest::addColumn<bool>("found");    // it found something
        QTest::addColumn<bool>("category"); // the category changed since
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("forced");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("decision");
        const int run = int(SearchSession::Decision::Run);
        const int more = int(SearchSession::Decision::CannotFindMore);
        const int shorter = int(SearchSession::Decision::TooShort);
        const int none = int(SearchSession::Decision::NoDatabase);
        // clang-format off
        QTest::newRow("two letters unforced") << "" << false << false << "ab" << false << 5 << shorter;
        QTest::newRow("two letters forced") << "" << false << false << "ab" << true << 5 << run;
        QTest::newRow("three letters") << "" << false << false << "abc" << false << 5 << run;
        QTest::newRow("empty query searches") << "abc" << true << false << "" << false << 5 << run;
        QTest::newRow("no rows") << "" << false << false << "abc" << true << 0 << none;
        QTest::newRow("one row") << "" << false << false << "abc" << true << 1 << run;
        QTest::newRow("longer query after nothing found") << "abc" << false << false << "abcd"
            << true << 5 << more;
        QTest::newRow("same query after nothing found") << "abc" << false << false << "abc"
            << false << 5 << more;
        QTest::newRow("after a category change") << "abc" << false << true << "abcd" << false
            << 5 << run;
        QTest::newRow("last query found some") << "abc" << true << false << "abcd" << false << 5
            << run;
        QTest::newRow("last query of two letters") << "ab" << false << false << "abc" << false
            << 5 << run;
        QTest::newRow("not an extension") << "abc" << false << false << "abd" << false << 5 << run;
        QTest::newRow("extension of a short query that found nothing") << "ab" << false << false
            << "ab" << true << 5 << run;
        // clang-format on
    }
    void session()
    {
        QFETCH(QString, last);
        QFETCH(bool, found);
        QFETCH(bool, category);
        QFETCH(QString, query);
        QFETCH(bool, forced);
        QFETCH(int, rows);
        SearchSession s;
        s.begin();
        s.end(last, found);
        if (category)
            s.categoryChanged();
        QTEST(int(s.decide(query, forced, rows)), "decision");
        s.begin();
        QCOMPARE(s.decide(query, true, rows), SearchSession::Decision::Busy);
        // A search clears the category flag.
        s.end(query, false);
        QVERIFY(!s.categoryChangedSinceSearch());
    }

    void hourBoundaries_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("now");
        QTest::addColumn<int>("hours"); // -999: unreadable
        // clang-format off
        QTest::newRow("23:30 to 12:10 on the third day") << "06-12-2026|23:30:00"
            << "09-12-2026|12:10:00" << 61;
        QTest::newRow("a minute across midnight") << "31-12-2026|23:59:59" << "01-01-2027|00:00:01"
            << 1;
        QTest::newRow("within the hour") << "06-12-2026|14:00:00" << "06-12-2026|14:59:59" << 0;
        QTest::newRow("ahead") << "06-12-2026|15:00:00" << "06-12-2026|14:00:00" << -1;
        QTest::newRow("no such date") << "31-02-2026|10:00:00" << "06-12-2026|14:00:00" << -999;
        QTest::newRow("no such time") << "06-12-2026|25:00:00" << "06-12-2026|14:00:00" << -999;
        // clang-format on
    }
    void hourBoundaries()
    {
        QFETCH(QString, stored);
        QFETCH(QString, now);
        const std::optional<qint64> hours = SearchSchedule::hourBoundaries(stored, at(now));
        QTEST(hours ? int(*hours) : -999, "hours");
    }

    // The first rule that applies decides; around each limit a row on both sides.
    void checkforupdates_data()
    {
        QTest::addColumn<QString>("created");
        QTest::addColumn<QString>("updated");
        QTest::addColumn<bool>("file");
        QTest::addColumn<QString>("newest");
        QTest::addColumn<QString>("lastparsed");
        QTest::addColumn<int>("action");
        const int create = int(SearchSchedule::Action::Create);
        const int update = int(SearchSchedule::Action::Update);
        const int load = int(SearchSchedule::Action::Load);
        // Now is 10-12-2026 12:10:00.
        const QString fresh = "10-12-2026|12:00:00";
        // clang-format off
        QTest::newRow("nothing stored") << "" << "" << true << "" << "" << create;
        QTest::newRow("created 18 characters") << "1-12-2026|12:00:00" << fresh << true << "5" << "5"
            << create;
        QTest::newRow("updated 20 characters") << fresh << fresh + "0" << true << "5" << "5"
            << create;
        QTest::newRow("no file") << fresh << fresh << false << "5" << "5" << create;
        QTest::newRow("created 63 hours ago") << "07-12-2026|21:59:59" << fresh << true << "5"
            << "5" << create;
        QTest::newRow("created 62 hours ago") << "07-12-2026|22:00:00" << fresh << true << "5"
            << "5" << load;
        QTest::newRow("created 61 hours ago, the third day") << "07-12-2026|23:30:00" << fresh
            << true << "5" << "5" << load;
        QTest::newRow("created unreadable") << "xx-12-2026|12:00:00" << fresh << true << "5" << "5"
            << create;
        QTest::newRow("updated 7 hours ago") << fresh << "10-12-2026|05:59:00" << true << "5"
            << "5" << update;
        QTest::newRow("updated 6 hours ago") << fresh << "10-12-2026|06:00:00" << true << "5"
            << "5" << load;
        QTest::newRow("the check is two ahead") << fresh << fresh << true << "700" << "702"
            << update;
        QTest::newRow("the check is one ahead") << fresh << fresh << true << "700" << "701"
            << load;
        QTest::newRow("newest 1") << fresh << fresh << true << "1" << "100" << load;
        QTest::newRow("newest 2") << fresh << fresh << true << "2" << "100" << update;
        QTest::newRow("newest not a number") << fresh << fresh << true << "x" << "100" << load;
        QTest::newRow("five digits, six-digit lastparsed") << fresh << fresh << true << "99999"
            << "100001" << update;
        // clang-format on
    }
    void checkforupdates()
    {
        QFETCH(QString, created);
        QFETCH(QString, updated);
        QFETCH(bool, file);
        QFETCH(QString, newest);
        QFETCH(QString, lastparsed);
        QTEST(int(SearchSchedule::checkforupdates(created, updated, file, newest, lastparsed,
                                                  at("10-12-2026|12:10:00"))),
              "action");
    }

    void replies_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("header");
        QTest::addColumn<bool>("tooLarge");
        QTest::addColumn<QString>("create");
        QTest::addColumn<bool>("createSilent");
        QTest::addColumn<QString>("update");
        QTest::addColumn<bool>("updateSilent");
        const QString c = ". Your torrent database could not be created.  ";
        const QString u = ". Your torrent database might not be up-to-date.  ";
        const QString ok = "HTTP/1.1 200 OK\r\n";
        // clang-format off
        QTest::newRow("empty") << "" << ok << false << "Download failed" + c << true
            << "Update failed" + u << false;
        QTest::newRow("404") << "<html>gone</html>" << "HTTP/1.1 404 Not Found\r\n" << false
            << "Download failed (File not found)" + c << false
            << "Update failed (File not found)" + u << false;
        QTest::newRow("page") << "<HTML><body>" << ok << false << "Download failed" + c << true
            << "Update failed" + u << false;
        QTest::newRow("database error") << "MySQL Error: gone" << ok << false
            << "Download failed (Server-side error)" + c << true
            << "Update failed (Server-side error)" + u << false;
        QTest::newRow("unauthorised") << "Unauthorised:2" << ok << false
            << "Download failed (Unauthorised)" + c << true << "Update failed (Unauthorised)" + u
            << false;
        QTest::newRow("other feed version") << "#PWKF11#\r\n\r\n" << ok << false
            << "Download failed (unspecified)" + c << true << "Update failed (unspecified)" + u
            << true;
        QTest::newRow("magic in lower case") << "#pwkf12#\r\n\r\n" << ok << false
            << "Download failed (unspecified)" + c << true << "Update failed (unspecified)" + u
            << true;
        QTest::newRow("too large") << "" << ok << true << "Download failed (Reply too large)" + c
            << false << "Update failed (Reply too large)" + u << false;
        QTest::newRow("the feed") << "#PWKF12#\r\n\r\n" << ok << false << "" << false << ""
            << false;
        // clang-format on
    }
    void replies()
    {
        QFETCH(QString, reply);
        QFETCH(QString, header);
        QFETCH(bool, tooLarge);
        const SearchReply::Failure failure = SearchReply::classify(reply, header, tooLarge);
        const bool good = failure == SearchReply::Failure::None;
        QTEST(good ? QString() : SearchReply::message(SearchReply::Kind::Create, failure),
              "create");
        QTEST(SearchReply::silentRetryOnFirstAttempt(SearchReply::Kind::Create, failure),
              "createSilent");
        QTEST(good ? QString() : SearchReply::message(SearchReply::Kind::Update, failure),
              "update");
        QTEST(SearchReply::silentRetryOnFirstAttempt(SearchReply::Kind::Update, failure),
              "updateSilent");
    }

    void rowsOfAReply()
    {
        const QString header = "#PWKF12#\r\nMusic\tTV\r\n";
        QCOMPARE(SearchReply::rowsOf(header + "1\ta\r\n2\tb"), QStringLiteral("1\ta\r\n2\tb"));
        QCOMPARE(SearchReply::wholeRowsOf(header + "1\ta\r\n2\tb"), QStringLiteral("1\ta\r\n"));
        QCOMPARE(SearchReply::wholeRowsOf(header + "1\ta\r\n"), QStringLiteral("1\ta\r\n"));
        QCOMPARE(SearchReply::wholeRowsOf(header + "1\ta"), QString());
        // A CR LF at the very start of the rows is a whole (empty) row.
        QCOMPARE(SearchReply::wholeRowsOf(header + "\r\n1\ta"), QStringLiteral("\r\n"));
        QCOMPARE(SearchReply::rowsOf("#PWKF12#\r\n"), QString());
        QCOMPARE(SearchReply::rowsOf("#PWKF12#\r\n\r\n"), QString());
        // Letters and digits go into the address byte for byte; anything else encoded.
        QCOMPARE(SearchReply::createAddress("http://s", "demo", "p&w d"),
                 QStringLiteral("http://s/bots.php?limit=30000&u=demo&p=p%26w+d&v=11&c=0"));
        QCOMPARE(SearchReply::updateAddress("http://s", "Demo9", "pw", "99999"),
                 QStringLiteral("http://s/bots.php?limit=30000&u=Demo9&p=pw&v=11&startid=99999"
                                "&c=0"));
    }

    // Names and sizes as the list shows them; keys name the result, whatever the order.
    void resultList()
    {
        const auto db = SearchDatabase::fromBytes("1\t1572864\tMovies\t0\tb.Film\tb.torrent\r\n"
                                                  "2\t1294491238\tappz\t0\tA.App\ta.torrent\r\n"
                                                  "3\tx\tTV\t0\tc.Show\tc.torrent\r\n")
                            .database;
        SearchResultModel model(QLocale(QLocale::English, QLocale::UnitedStates));
        model.setResults(db, {2, 1, 0});
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.columnCount(), 3);
        const auto text = [&](int row, int column) {
            return model.data(model.index(row, column)).toString();
        };
        QCOMPARE(text(0, 0), QStringLiteral("c Show"));
        QCOMPARE(text(2, 2), QStringLiteral("1.50"));
        QCOMPARE(text(1, 2), QStringLiteral("1,234.52"));
        QCOMPARE(text(0, 2), QString());
        QCOMPARE(model.data(model.index(0, 2), Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignRight | Qt::AlignVCenter));
        QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Size (MB)"));
        QCOMPARE(model.key(0), QStringLiteral("T0"));
        QCOMPARE(model.key(3), QString());
        QCOMPARE(model.key(-1), QString());
        QCOMPARE(model.resultOfKey("T2"), 2);
        QCOMPARE(model.resultOfKey("T3"), -1);
        QCOMPARE(model.resultOfKey("X1"), -1);
        const MatchRecord r = model.record(1);
        QCOMPARE(r.Id, 2);
        QCOMPARE(r.Name, QStringLiteral("A App"));
        QCOMPARE(r.Size, QStringLiteral("1294491238"));
        QCOMPARE(r.Category, QStringLiteral("appz"));
        QCOMPARE(r.FileName, QStringLiteral("a.torrent"));
        QCOMPARE(r.FilterIndex, 0);
        QCOMPARE(r.Downloaded, 0.0f);
    }

    void sorting_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("names");
        // clang-format off
        QTest::newRow("name ascending, case ignored") << 0 << int(Qt::AscendingOrder)
            << QStringList{"alpha", "Beta", "beta two", "gamma"};
        QTest::newRow("name descending") << 0 << int(Qt::DescendingOrder)
            << QStringList{"gamma", "beta two", "Beta", "alpha"};
        QTest::newRow("type ascending, equal types keep their order") << 1
            << int(Qt::AscendingOrder) << QStringList{"gamma", "alpha", "Beta", "beta two"};
        QTest::newRow("type descending") << 1 << int(Qt::DescendingOrder)
            << QStringList{"Beta", "beta two", "gamma", "alpha"};
        QTest::newRow("size is not sorted") << 2 << int(Qt::AscendingOrder)
            << QStringList{"gamma", "Beta", "alpha", "beta two"};
        // clang-format on
    }
    void sorting()
    {
        QFETCH(int, column);
        QFETCH(int, order);
        // In result order: gamma (Apps), Beta (TV), alpha (apps), beta two (tv).
        const auto db = SearchDatabase::fromBytes("1\t9\ttv\t0\tbeta.two\tf\r\n"
                                                  "2\t1\tapps\t0\talpha\tf\r\n"
                                                  "3\t5\tTV\t0\tBeta\tf\r\n"
                                                  "4\t3\tApps\t0\tgamma\tf\r\n")
                            .database;
        SearchResultModel model;
        model.setResults(db, {3, 2, 1, 0});
        QPersistentModelIndex current = model.index(2, 0); // alpha
        model.sort(column, Qt::SortOrder(order));
        QStringList names;
        for (int r = 0; r < model.rowCount(); ++r)
            names << model.data(model.index(r, 0)).toString().replace(' ', ' ');
        QTEST(names, "names");
        QCOMPARE(model.data(current).toString(), QStringLiteral("alpha"));
        QCOMPARE(model.key(int(names.indexOf("alpha"))), QStringLiteral("T2"));
        // A new result list is in result order again.
        model.setResults(db, {0, 1});
        QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("beta two"));
    }

    // The append the update shares with the feed check: only newer ids, ascending. (Ids of more
    // digits and a last line without its CR LF are tst_torrentdb's, through the check's append.)
    void appendNewer_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("newest");
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("rows");
        // clang-format off
        QTest::newRow("start row repeated, newer rows appended") << QByteArray("5\tx\r\n") << 5
            << QStringList{"5", "6", "7"} << QByteArray("5\tx\r\n6\tr6\r\n7\tr7\r\n") << 2;
        QTest::newRow("nothing newer") << QByteArray("5\tx\r\n") << 5 << QStringList{"4", "5", "z"}
            << QByteArray("5\tx\r\n") << 0;
        QTest::newRow("out of order ids stay out") << QByteArray() << 5
            << QStringList{"8", "7", "9"} << QByteArray("8\tr8\r\n9\tr9\r\n") << 2;
        // clang-format on
    }
    void appendNewer()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, newest);
        QFETCH(QStringList, ids);
        QTemporaryDir dir;
        const QString path = dir.filePath("torrents.db");
        QVERIFY(ReplaceFileAtomically(path, file));
        QList<TorrentDb::PendingLine> lines;
        for (const QString &id : ids)
            lines.append({id, id + "\tr" + id});
        ProgramState state;
        const TorrentDb::AppendResult result = TorrentDb::appendNewer(state, path, newest, lines);
        QTEST(TestEnv::readFile(path), "expected");
        QTEST(result.rows, "rows");
        QVERIFY(!state.TorrentDbBusy);
        QCOMPARE(result.status, result.rows > 0 ? TorrentDb::AppendStatus::Appended
                                                : TorrentDb::AppendStatus::Skipped);
        if (result.rows > 0)
            QCOMPARE(result.lastId, ids.last().toLongLong());
    }

    // A write cut short by the file size limit leaves no half row behind: the file is cut back
    // to its old length after it is closed.
    void failedAppendIsCutBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("torrents.db");
        const QByteArray before = "5\tx\r\n";
        QVERIFY(ReplaceFileAtomically(path, before));
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{rlim_t(before.size() + 4), rlim_t(before.size() + 4)};
            setrlimit(RLIMIT_FSIZE, &limit);
            ProgramState state;
            const TorrentDb::AppendResult result = TorrentDb::appendNewer(
                state, path, 5, {{"1001", "1001\t10010000\tAppz\t1\tA long name\tf.torrent"}});
            _exit(result.status == TorrentDb::AppendStatus::Failed && !state.TorrentDbBusy ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(TestEnv::readFile(path), before);
    }
};

QTEST_GUILESS_MAIN(TestSearchRules)
#include "tst_searchrules.moc"

#include "feed/FeedParser.h"
#include "feed/FeedReplyClassifier.h"
#include "feed/FeedRequest.h"

#include <QTest>

Q_DECLARE_METATYPE(FeedFailure)

namespace {

const QString Magic = QStringLiteral("#PWKF12#\r\n");

QString row(const QStringList &fields)
{
    return fields.join('\t') + "\r\n";
}

} // namespace

class TestFeedParser : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<FeedFailure>("failure");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("rowsRead");
        QTest::addColumn<QStringList>("categories");

        const QString one = row({"5", "100", "Music", "x", "A.B.C", "f.torrent"});
        QTest::newRow("one row") << Magic + "\r\n" + one << FeedFailure::None << 1 << 1
                                 << QStringList();
        QTest::newRow("row without its CR LF")
            << Magic + "\r\n" + one.chopped(2) << FeedFailure::Error2 << 0 << 0 << QStringList();
        QTest::newRow("header only") << Magic + "\r\n"
                                     << FeedFailure::Error2 << 0 << 0 << QStringList();
        QTest::newRow("no line 2 at all")
            << QStringLiteral("#PWKF12#") << FeedFailure::Error2 << 0 << 0 << QStringList();
        QTest::newRow("extra empty line at the end")
            << Magic + "\r\n" + one + "\r\n"
            << FeedFailure::Error3 << 2 << 1 << QStringList();
        QTest::newRow("row without TAB in the middle")
            << Magic + "\r\n" + one + "garbage\r\n" + one << FeedFailure::Error3 << 3 << 1
            << QStringList();
        QTest::newRow("tail after the last CR LF ignored")
            << Magic + "\r\n" + one + "6\t7" << FeedFailure::None << 1 << 1 << QStringList();
        QTest::newRow("categories") << Magic + "Music\tAnime\tTV/HD\r\n" + one << FeedFailure::None
                                    << 1 << 1 << QStringList{"Music", "Anime", "TV/HD"};
        QTest::newRow("one category has no TAB")
            << Magic + "Music\r\n" + one << FeedFailure::Error8 << 1 << 0 << QStringList();
        QTest::newRow("category line checked before the rows")
            << Magic + "Music\r\n" + "garbage\r\n"
            << FeedFailure::Error8 << 1 << 0 << QStringList();
        QTest::newRow("three rows")
            << Magic + "\r\n" + one + one + one << FeedFailure::None << 3 << 3 << QStringList();
    }
    void parse()
    {
        QFETCH(QString, reply);
        const FeedParseResult r = FeedParser::parse(reply);
        QTEST(r.failure, "failure");
        QTEST(r.count, "count");
        QTEST(int(r.rows.size()), "rowsRead");
        QTEST(r.categories, "categories");
        QCOMPARE(r.hasCategoryLine, !r.categories.isEmpty() || r.failure == FeedFailure::Error8);
    }

    void rowFields_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("record"); // Id, Size, Category, Name, FileName
        QTest::newRow("all six") << "5\t100\tMusic\tx\tA.B.C\tf.torrent"
                                 << QStringList{"5", "100", "Music", "A B C", "f.torrent"};
        QTest::newRow("empty category reads n/a")
            << "5\t100\t\tx\tName\tf.torrent"
            << QStringList{"5", "100", "n/a", "Name", "f.torrent"};
        QTest::newRow("dots at the ends")
            << "5\t1\tTV\tx\t.a..b.\tf" << QStringList{"5", "1", "TV", " a  b ", "f"};
        // Fewer than six fields: what is missing stays empty, a missing category reads n/a.
        QTest::newRow("two fields") << "5\t100" << QStringList{"5", "100", "n/a", "", ""};
        QTest::newRow("five fields")
            << "5\t100\tMusic\tx\tName" << QStringList{"5", "100", "Music", "Name", ""};
        QTest::newRow("seven fields")
            << "5\t100\tMusic\tx\tName\tf\textra" << QStringList{"5", "100", "Music", "Name", "f"};
    }
    void rowFields()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, record);
        TorrentRecord r;
        r.Category = "stale from an earlier check";
        r.FileName = "stale.torrent";
        QVERIFY(FeedParser::parseRow(line, r));
        QCOMPARE(QStringList({r.Id, r.Size, r.Category, r.Name, r.FileName}), record);
    }

    void classify_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("header");
        QTest::addColumn<FeedFailure>("failure");
        const QString ok = "HTTP/1.1 200 OK\r\n";
        const QString busyPage = "<html>" + QString(121, ' ') + "The server load is high";
        QTest::newRow("feed") << Magic + "\r\n" << ok << FeedFailure::None;
        QTest::newRow("empty") << "" << ok << FeedFailure::Connection;
        QTest::newRow("404") << "<html>missing</html>"
                             << "HTTP/1.1 404 Not Found\r\n"
                             << FeedFailure::NotFound;
        QTest::newRow("busy page") << busyPage << ok << FeedFailure::Busy;
        QTest::newRow("busy text one place off")
            << "<html> " + busyPage.mid(6) << ok << FeedFailure::Error1;
        QTest::newRow("other html") << "<HTML><body>hello</body>" << ok << FeedFailure::Error1;
        QTest::newRow("mysql") << "MySQL Error: gone away" << ok << FeedFailure::Error4;
        QTest::newRow("other version") << "#PWKF13#\r\n" << ok << FeedFailure::Error5;
        QTest::newRow("unauthorised") << "Unauthorised:2" << ok << FeedFailure::Error6;
        QTest::newRow("magic in lower case") << "#pwkf12#\r\n" << ok << FeedFailure::Error7;
        QTest::newRow("anything else") << "hello" << ok << FeedFailure::Error7;
        QTest::newRow("404 wins over html") << busyPage << "HTTP/1.1 404 Not Found\r\n"
                                            << FeedFailure::NotFound;
    }
    void classify()
    {
        QFETCH(QString, reply);
        QFETCH(QString, header);
        QTEST(FeedReplyClassifier::classify(reply, header), "failure");
    }

    void address_data()
    {
        QTest::addColumn<int>("lastparsed");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("categories");
        QTest::addColumn<QString>("address");
        const QString base = "http://127.0.0.1:8080";
        QTest::newRow("first run")
            << 0 << "demo"
            << "demo" << true << base + "/bots.php?limit=20&u=demo&p=demo&v=11&c=1";
        QTest::newRow("normal") << 700010 << "demo"
                                << "demo" << false
                                << base +
                                       "/bots.php?startid=700010&limit=150&u=demo&p=demo&v=11&c=0";
        QTest::newRow("developer offset below zero")
            << -30 << "u1"
            << "p1" << false << base + "/bots.php?startid=-30&limit=150&u=u1&p=p1&v=11&c=0";
        QTest::newRow("password with & # + %")
            << 5 << "al ice"
            << "a&b#c+d%e" << true
            << base + "/bots.php?startid=5&limit=150&u=al+ice&p=a%26b%23c%2Bd%25e&v=11&c=1";
    }
    void address()
    {
        QFETCH(int, lastparsed);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, categories);
        QTEST(FeedRequest::address("http://127.0.0.1:8080", lastparsed, user, password, categories),
              "address");
    }

    void categoryFlagOnAttempts1And21()
    {
        qint16 counter = 0;
        QList<int> asked;
        for (int attempt = 1; attempt <= 41; ++attempt) {
            if (FeedRequest::takeCategoryFlag(counter))
                asked << attempt;
        }
        QCOMPARE(asked, QList<int>({1, 21, 41}));
    }
};

QTEST_GUILESS_MAIN(TestFeedParser)
#include "tst_feedparser.moc"

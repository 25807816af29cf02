#include "feed/FeedParser.h"
#include "feed/FeedReplyClassifier.h"
#include "feed/FeedRequest.h"

#include <QTest>

Q_DECLARE_METATYPE(FeedFailure)

class TestFeedParser : public QObject
{
    Q_OBJECT
private slots:
    // The reply after its first line: line 2 (the categories, if any), then CR LF ended rows.
    void parse_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<FeedFailure>("failure");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("rowsRead");
        QTest::addColumn<QStringList>("categories");
        const QString one = "5\t100\tMusic\tx\tA.B.C\tf.torrent\r\n";
        const auto row = [](const char *name, const QString &rest, FeedFailure failure, int count,
                            int rows, const QStringList &categories = {}) {
            QTest::newRow(name) << "#PWKF12#\r\n" + rest << failure << count << rows << categories;
        };
        row("one row", "\r\n" + one, FeedFailure::None, 1, 1);
        row("row without its CR LF", "\r\n" + one.chopped(2), FeedFailure::Error2, 0, 0);
        QTest::newRow("no line 2 at all")
            << "#PWKF12#" << FeedFailure::Error2 << 0 << 0 << QStringList();
        row("a row without TAB stops", "\r\n" + one + "x\r\n" + one, FeedFailure::Error3, 3, 1);
        row("tail after the last CR LF ignored", "\r\n" + one + "6\t7", FeedFailure::None, 1, 1);
        row("categories", "Music\tAnime\tTV/HD\r\n" + one, FeedFailure::None, 1, 1,
            {"Music", "Anime", "TV/HD"});
        row("category line checked before the rows", "Music\r\nx\r\n", FeedFailure::Error8, 1, 0);
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

    // Fields past the sixth are ignored; missing ones stay empty, a missing or empty category
    // reads n/a.
    void rowFields_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("record"); // Id, Size, Category, Name, FileName
        QTest::newRow("all six") << "5\t100\tMusic\tx\tA.B.C\tf.torrent"
                                 << QStringList{"5", "100", "Music", "A B C", "f.torrent"};
        QTest::newRow("two fields") << "5\t100" << QStringList{"5", "100", "n/a", "", ""};
        QTest::newRow("empty category")
            << "5\t100\t\tx\tA.B\tf.torrent" << QStringList{"5", "100", "n/a", "A B", "f.torrent"};
        QTest::newRow("seven fields")
            << "5\t100\tMusic\tx\tName\tf\textra" << QStringList{"5", "100", "Music", "Name", "f"};
    }
    void rowFields()
    {
        QFETCH(QString, line);
        TorrentRecord r;
        r.FileName = "stale.torrent";
        QVERIFY(FeedParser::parseRow(line, r));
        QTEST(QStringList({r.Id, r.Size, r.Category, r.Name, r.FileName}), "record");
    }

    // The classes the site tests cannot tell apart by their reply.
    void classify()
    {
        const QString ok = "HTTP/1.1 200 OK\r\n";
        const QString busy = "<html>" + QString(121, ' ') + "The server load is high";
        QCOMPARE(FeedReplyClassifier::classify(busy, ok), FeedFailure::Busy);
        QCOMPARE(FeedReplyClassifier::classify("<html> " + busy.mid(6), ok), FeedFailure::Error1);
        QCOMPARE(FeedReplyClassifier::classify("<HTML><body>hi", ok), FeedFailure::Error1);
        QCOMPARE(FeedReplyClassifier::classify(busy, "HTTP/1.1 404 Not Found\r\n"),
                 FeedFailure::NotFound);
    }

    // Letters and digits go into the address as they are, everything else is encoded; developer
    // mode's start 30 back may fall below zero.
    void address()
    {
        const QString base = "http://127.0.0.1:8080";
        QCOMPARE(FeedRequest::address(base, -30, "al ice", "a&b#c+d%e", false),
                 base + "/bots.php?startid=-30&limit=150&u=al+ice&p=a%26b%23c%2Bd%25e&v=11&c=0");
    }
};

QTEST_GUILESS_MAIN(TestFeedParser)
#include "tst_feedparser.moc"

#include "platform/WholeFiles.h"
#include "platform/WildcardMatcher.h"
#include "search/SearchDatabase.h"
#include "search/SearchDatabaseProvider.h"
#include "search/SearchQuery.h"
#include "search/SubstringFinder.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

// torrents.db read into one snapshot, and the queries of the search window over it.
class TestSearchDatabase : public QObject
{
    Q_OBJECT

    static QByteArray row(int id, const QByteArray &name, const QByteArray &category = "Movies",
                          const QByteArray &size = "1048576")
    {
        return QByteArray::number(id) + '\t' + size + '\t' + category + "\t0\t" + name + '\t' +
               name + ".torrent\r\n";
    }
    static std::shared_ptr<const SearchDatabase> db(const QByteArray &bytes)
    {
        return SearchDatabase::fromBytes(bytes).database;
    }
    // The ids of a query's results, in result order.
    static QList<int> ids(const SearchDatabase &d, const QString &query,
                          int category = SearchQuery::AllCategories)
    {
        QList<int> out;
        for (quint32 r : SearchQuery(query).run(d, category))
            out << d.id(int(r));
        return out;
    }

private slots:
    // Rows are the lines ended by CR LF; a line without a TAB is left out and counted; a tail
    // after the last CR LF is not a row.
    void rows_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("status");
        QTest::addColumn<QList<int>>("ids");
        QTest::addColumn<int>("skipped");
        const int loaded = int(SearchDatabase::Status::Loaded);
        const int none = int(SearchDatabase::Status::NoRows);
        // clang-format off
        QTest::newRow("every line ended") << row(1, "a") + row(2, "b") << loaded
            << QList<int>{1, 2} << 0;
        QTest::newRow("last line without CR LF is not loaded") << row(1, "a") + "2\tx\tM\t0\tb\tb"
            << loaded << QList<int>{1} << 0;
        QTest::newRow("a line without a TAB is skipped, the rest load")
            << row(1, "a") + "garbage\r\n" + row(3, "c") << loaded << QList<int>{1, 3} << 1;
        QTest::newRow("an empty line is skipped") << row(1, "a") + "\r\n" + row(3, "c") << loaded
            << QList<int>{1, 3} << 1;
        QTest::newRow("no CR LF at all") << QByteArray("1\t2\tM\t0\tname\tf") << none
            << QList<int>{} << 0;
        QTest::newRow("only lines without a TAB") << QByteArray("x\r\ny\r\n") << none
            << QList<int>{} << 2;
        QTest::newRow("empty file") << QByteArray() << none << QList<int>{} << 0;
        QTest::newRow("a lone LF does not end a line") << QByteArray("1\ta\nb\tM\t0\tn\tf\r\n")
            << loaded << QList<int>{1} << 0;
        QTest::newRow("CR CR LF: the first CR belongs to the line")
            << QByteArray("7\t1\tM\t0\tn\tf\r\r\n") << loaded << QList<int>{7} << 0;
        QTest::newRow("a row of two fields") << QByteArray("9\t5\r\n") << loaded << QList<int>{9}
            << 0;
        // clang-format on
    }
    void rows()
    {
        QFETCH(QByteArray, file);
        const SearchDatabase::LoadResult result = SearchDatabase::fromBytes(file);
        QTEST(int(result.status), "status");
        QTEST(result.skippedRows, "skipped");
        QList<int> loaded;
        if (result.database) {
            for (int r = 0; r < result.database->rowCount(); ++r)
                loaded << result.database->id(r);
        }
        QTEST(loaded, "ids");
    }

    // Each field as every reader of the file reads it.
    void fields()
    {
        const auto d = db("5\t1572864\t\tx\tSome.Film.2008\tSome.Film.torrent\r\n"
                          "6\t10\tn/a\tx\tA.B\tab.torrent\textra\r\n"
                          "700123\t7\tTV\r\n");
        QVERIFY(d);
        QCOMPARE(d->rowCount(), 3);
        QCOMPARE(d->name(0), QStringLiteral("Some Film 2008"));
        QCOMPARE(d->category(0), QStringLiteral("n/a"));
        // An empty category and the text "n/a" are one category.
        QCOMPARE(d->categoryIndex(0), d->categoryIndex(1));
        QCOMPARE(d->fileName(0), QStringLiteral("Some.Film.torrent"));
        QCOMPARE(d->sizeText(0), QByteArrayView("1572864"));
        QCOMPARE(d->fileName(1), QStringLiteral("ab.torrent"));
        QCOMPARE(d->name(2), QString());
        QCOMPARE(d->fileName(2), QString());
        QCOMPARE(d->categories(), QStringList({"n/a", "TV"}));
        QCOMPARE(d->lastIdText(), QStringLiteral("700123"));
        QCOMPARE(QByteArray(d->loweredNames(), d->loweredSize()),
                 QByteArray("some film 2008\na b\n\n"));
    }

    // Latin-1 names lower-case as the filters lower-case them.
    void loweringLatin1()
    {
        const auto d = db("1\t1\tM\t0\t\xC9T\xC9.\xDC\x62\x65r\tf\r\n");
        QCOMPARE(d->loweredName(0), QByteArrayView("\xE9t\xE9 \xFC\x62\x65r"));
        QCOMPARE(d->name(0), QString::fromLatin1("\xC9T\xC9 \xDC\x62\x65r"));
        QCOMPARE(ids(*d, QString::fromLatin1("\xC9T\xC9")), QList<int>{1});
        // The Kelvin sign lower-cases to k, as in the filters.
        const auto k = db("2\t1\tM\t0\tKILO\tf\r\n");
        QCOMPARE(ids(*k, QString(QChar(0x212A)) + "ilo"), QList<int>{2});
        // A character no Latin-1 name holds finds nothing, with or without wildcards.
        QCOMPARE(ids(*k, QString(QChar(0x20AC))), QList<int>{});
        QCOMPARE(ids(*k, QString(QChar(0x20AC)) + "*"), QList<int>{});
        // ... also beside a longer run that does occur.
        const auto q = db("3\t1\tM\t0\tWhy?.kilo\tf\r\n");
        QCOMPARE(ids(*q, "?kilo"), QList<int>{3});
        QCOMPARE(ids(*q, QString(QChar(0x20AC)) + "*kilo"), QList<int>{});
    }

    // The matcher's byte path answers as its text path does for Latin-1 names, also for a
    // pattern whose literal no Latin-1 byte can equal (its Latin-1 form would read "?").
    void byteMatcher_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("name");
        const QString euro(QChar(0x20AC));
        // clang-format off
        QTest::newRow("euro contained") << "*" + euro + "*" << "why?";
        QTest::newRow("euro alone") << euro << "?";
        QTest::newRow("euro before a run") << euro + "*kilo" << "? kilo";
        QTest::newRow("plain contained") << "*ho*" << "show";
        QTest::newRow("digits and any") << "*s0#e?5*" << "show s01e05";
        QTest::newRow("set") << "*[!a-z]iso*" << "app 1iso";
        QTest::newRow("Latin-1 letters") << QString::fromLatin1("*\xE9t\xE9*") << QString::fromLatin1("l\xE9t\xE9");
        QTest::newRow("invalid") << "*[abc*" << "abc";
        // clang-format on
    }
    void byteMatcher()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, name);
        const WildcardMatcher matcher(pattern);
        QCOMPARE(matcher.matchesLoweredLatin1(name.toLower().toLatin1()),
                 matcher.matchesLowered(name.toLower()));
    }

    void missingAndUnreadable()
    {
        QTemporaryDir dir;
        QCOMPARE(SearchDatabase::load(dir.filePath("torrents.db")).status,
                 SearchDatabase::Status::Missing);
        QVERIFY(QDir(dir.path()).mkdir("folder.db"));
        const SearchDatabase::LoadResult folder = SearchDatabase::load(dir.filePath("folder.db"));
        QCOMPARE(folder.status, SearchDatabase::Status::Unreadable);
        QVERIFY(!folder.database);
        const QByteArray bytes = row(1, "a");
        QVERIFY(ReplaceFileAtomically(dir.filePath("torrents.db"), bytes));
        const SearchDatabase::LoadResult ok = SearchDatabase::load(dir.filePath("torrents.db"));
        QCOMPARE(ok.status, SearchDatabase::Status::Loaded);
        QCOMPARE(ok.database->sourceSize(), bytes.size());
        QVERIFY(ok.database->memoryBytes() >= bytes.size());
    }

    // The name contains the query, lower-cased, where "*", "?" and "#" are wildcards; newest
    // first (the wildcards' rules are tst_wildcardmatcher's); a category index picks rows of
    // exactly that category.
    void queries_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("category"); // "" for all
        QTest::addColumn<QList<int>>("ids");
        // clang-format off
        QTest::newRow("empty: every row, newest first") << "" << "" << QList<int>{6, 5, 4, 3, 2, 1};
        QTest::newRow("plain, any case") << "XVID" << "" << QList<int>{5, 2, 1};
        QTest::newRow("dots read as blanks") << "show s01" << "" << QList<int>{4, 3};
        QTest::newRow("a dot in the query is a dot") << "show.s01" << "" << QList<int>{};
        QTest::newRow("one character") << "x" << "" << QList<int>{6, 5, 2, 1};
        QTest::newRow("hash: one digit") << "s0#e1#" << "" << QList<int>{4};
        QTest::newRow("star") << "*x264*1080p" << "" << QList<int>{6};
        QTest::newRow("star alone: everything") << "*" << "" << QList<int>{6, 5, 4, 3, 2, 1};
        QTest::newRow("bracket list") << "[!a-z]iso" << "" << QList<int>{5};
        QTest::newRow("no match across two names") << "hdtv\nsome" << "" << QList<int>{};
        QTest::newRow("no wildcard match across two names") << "hdtv?some" << "" << QList<int>{};
        QTest::newRow("category exact") << "" << "TV" << QList<int>{4, 3};
        QTest::newRow("category is case-sensitive") << "" << "tv" << QList<int>{};
        QTest::newRow("query and category") << "xvid" << "Movies" << QList<int>{2, 1};
        QTest::newRow("category nobody has") << "" << "Music" << QList<int>{};
        // clang-format on
    }
    void queries()
    {
        QFETCH(QString, query);
        QFETCH(QString, category);
        const auto d =
            db(row(1, "Old.Film.XviD", "Movies") + row(2, "New.Film.xvid", "Movies") +
               row(3, "Show.S01E05.HDTV", "TV") + row(4, "Show.S01E15.HDTV", "TV") +
               row(5, "Some.App.XviD.1iso", "Appz") + row(6, "Film.x264.1080p", "Movies/HD"));
        const int index = category.isEmpty()                 ? SearchQuery::AllCategories
                          : d->categoryIndexOf(category) < 0 ? SearchQuery::AllCategories - 1
                                                             : d->categoryIndexOf(category);
        QTEST(ids(*d, query, index), "ids");
        QCOMPARE(SearchQuery(query).isPlain(), !query.contains('*') && !query.contains('?') &&
                                                   !query.contains('#') && !query.contains('['));
    }

    // A query that occurs twice in a name gives that name once, and an occurrence at the very
    // end of the names is found.
    void boundariesOfTheNames()
    {
        const auto d = db(row(1, "aa.aa") + row(2, "b") + row(3, "zz"));
        QCOMPARE(ids(*d, "aa"), QList<int>{1});
        QCOMPARE(ids(*d, "zz"), QList<int>{3});
        QCOMPARE(ids(*d, "z?"), QList<int>{3});
        QCOMPARE(ids(*d, "zzz"), QList<int>{});
        QCOMPARE(ids(*d, "a"), QList<int>{1});
        QCOMPARE(ids(*d, "b"), QList<int>{2});
        // A name that is all query.
        QCOMPARE(ids(*d, "b", d->categoryIndexOf("Movies")), QList<int>{2});
    }

    // The finder finds what memmem finds: every needle length at every place of a text longer
    // than its 16-byte blocks, near-misses that share the first and last byte, and the tail.
    void substringFinder()
    {
        QByteArray text(100, 'a');
        for (int length = 1; length <= 20; ++length) {
            QByteArray needle(length, 'b');
            needle[0] = 'x';
            needle[length - 1] = 'y';
            QByteArray nearMiss = needle;
            if (length > 2)
                nearMiss[length / 2] = 'c';
            for (int at = 0; at + length <= text.size(); ++at) {
                QByteArray haystack = text;
                if (length > 2 && at >= length + 1)
                    haystack.replace(at - length - 1, length, nearMiss);
                haystack.replace(at, length, needle);
                const SubstringFinder finder(needle);
                for (int from : {0, at, at + 1}) {
                    const void *hit = memmem(haystack.constData() + from, size_t(100 - from),
                                             needle.constData(), size_t(length));
                    const size_t expected =
                        hit ? size_t(static_cast<const char *>(hit) - haystack.constData())
                            : SubstringFinder::NotFound;
                    QCOMPARE(finder.find(haystack.constData(), 100, size_t(from)), expected);
                }
            }
        }
        const SubstringFinder empty{QByteArray()};
        QCOMPARE(empty.find("abc", 3, 1), size_t(1));
        QCOMPARE(empty.find("abc", 3, 4), SubstringFinder::NotFound);
        const SubstringFinder longer("abcd");
        QCOMPARE(longer.find("abc", 3, 0), SubstringFinder::NotFound);
    }

    // The provider shares the snapshot a window holds and reads the file again when it has
    // grown; it keeps none alive by itself.
    void provider()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("torrents.db");
        SearchDatabaseProvider provider(path);
        QVERIFY(!provider.obtain());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(row(1, "a"));
        file.flush();
        std::shared_ptr<const SearchDatabase> first = provider.obtain();
        QVERIFY(first);
        QCOMPARE(provider.obtain(), first);
        file.write(row(2, "b"));
        file.close();
        const std::shared_ptr<const SearchDatabase> second = provider.obtain();
        QCOMPARE(second->rowCount(), 2);
        QCOMPARE(provider.current(), second);
        auto published = db(row(3, "c"));
        provider.publish(published);
        QCOMPARE(provider.current(), published);
        published.reset();
        QVERIFY(!provider.current());
    }
};

QTEST_GUILESS_MAIN(TestSearchDatabase)
#include "tst_searchdatabase.moc"

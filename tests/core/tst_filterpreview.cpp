#include "feed/TorrentDb.h"
#include "filters/FilterEngine.h"
#include "filters/FilterPreview.h"
#include "filters/FilterWizardLogic.h"
#include "model/ProgramState.h"
#include "search/SearchDatabase.h"

#include <QRandomGenerator>
#include <QtTest>

#include <set>

using Kind = FilterWizardLogic::Kind;

namespace {

const QStringList Categories{"TV/XviD", "TV/HD", "Movies/XviD", "Appz/Misc", "Music"};

// torrents.db text of "id|name|category" rows (the name as the site writes it, with dots), or
// "id|name|category|size" rows.
QByteArray dbText(const QStringList &rows)
{
    QByteArray out;
    for (const QString &row : rows) {
        const QStringList f = row.split(QLatin1Char('|'));
        const QString size = f.value(3, QString::number(f[0].size() * 1048576));
        out += (f[0] + "\t" + size + "\t" + f[2] + "\t1\t" + f[1] + "\t" + f[1] + ".torrent\r\n")
                   .toLatin1();
    }
    return out;
}

std::shared_ptr<const SearchDatabase> database(const QStringList &rows)
{
    return SearchDatabase::fromBytes(dbText(rows)).database;
}

// The newest-first ids of the rows a preview lists.
QList<int> listedIds(const SearchDatabase &db, const std::vector<quint32> &rows)
{
    QList<int> ids;
    for (quint32 row : rows)
        ids.append(db.id(int(row)));
    return ids;
}

// The wizard's filter for typed keywords, a match option (1 to 3), the categories moved to
// List2 (none: "All Categories") and an action option (4 to 6).
FilterRecord pendingFilter(const QString &typed, int matchOption, const QStringList &chosen,
                           int actionOption)
{
    FilterTable table;
    FilterWizardLogic wizard(Kind::Add, &table, Categories);
    QList<int> rows;
    for (const QString &c : chosen)
        rows.append(int(Categories.indexOf(c)));
    if (!rows.isEmpty()) {
        wizard.lists().selectAvailable(rows, rows.last());
        wizard.lists().moveToChosen();
    }
    FilterWizardLogic::Controls controls;
    controls.keywordText = typed;
    controls.matchOption = matchOption;
    controls.actionOption = actionOption;
    return wizard.filterFor(controls);
}

const QStringList SampleRows{
    "1|Harbour.Patrol.S01E01.XviD-PWK|TV/XviD",
    "2|Harbour.Patrol.S01E02.720p.x264|TV/HD",
    "3|Linux.Mint.21.ISO|Appz/Misc",
    "4|Some.Movie.2008.DVDRip.XviD-NOiR|Movies/XviD",
    "5|Some.Movie.2008.CAM.XviD|Movies/XviD",
    "6|Debian.Linux.12.ISO|Appz/Misc",
    "7|Cooking.Show.S02E10.XVID|TV/XviD",
    "8|Album.2009.MP3|Music",
    "9|XviD|Movies/XviD",
    "10|Grand.Tour.S03E01.HDTV.x264|tv/hd",
    "1x1|Unreadable.Id.XviD|Movies/XviD",
};

} // namespace

class TestFilterPreview : public QObject
{
    Q_OBJECT

private slots:
    // What the pending filter catches among the sample rows, with filters above it (filters.dat
    // text) taking their share first: N, K and the listed ids, newest first. The row whose id
    // is not a number is one of the M rows but a check never filters it.
    // The matching rules themselves are tst_wildcardmatcher's and tst_filterengine's, and
    // agreesWithTheCheck holds the preview to the check's filter stage over random tables.
    void counts_data()
    {
        QTest::addColumn<QString>("above");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("match");
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("matched");
        QTest::addColumn<int>("taken");
        QTest::addColumn<QList<int>>("listed");
        using L = QList<int>;
        const QStringList all;
        // clang-format off
        QTest::newRow("contains") << "" << "xvid" << 1 << all << 4 << 5 << 0 << L{9, 7, 5, 4, 1};
        QTest::newRow("exactly matches") << "" << "xvid" << 2 << all << 4 << 1 << 0 << L{9};
        QTest::newRow("does not contain") << "" << "xvid" << 3 << all << 4 << 5 << 0
            << L{10, 8, 6, 3, 2};
        QTest::newRow("category, letter case ignored") << "" << "" << 1 << QStringList{"TV/HD"}
            << 4 << 2 << 0 << L{10, 2};
        QTest::newRow("empty keyword text") << "" << "" << 1 << all << 4 << 10 << 0
            << L{10, 9, 8, 7, 6, 5, 4, 3, 2, 1};
        QTest::newRow("unreadable pattern") << "" << "[xvid" << 1 << all << 4 << 0 << 0 << L{};
        QTest::newRow("one unreadable keyword") << "" << "xvid AND [" << 1 << all << 4 << 0 << 0
            << L{};
        QTest::newRow("first keyword * tests no other") << "" << "* AND [" << 1 << all << 4
            << 10 << 0 << L{10, 9, 8, 7, 6, 5, 4, 3, 2, 1};
        QTest::newRow("beyond Latin-1") << "" << QString::fromUtf8("x\u0151") << 1 << all << 4
            << 0 << 0 << L{};
        // Filters above.
        QTest::newRow("Notify above takes them") << "110xvid\r\n*\r\n" << "movie" << 1 << all
            << 4 << 2 << 2 << L{};
        QTest::newRow("an Ignore filter still ignores taken ones") << "110xvid\r\n*\r\n"
            << "movie" << 1 << all << 6 << 2 << 0 << L{5, 4};
        QTest::newRow("Ignore above") << "112cam\r\n*\r\n" << "xvid" << 1 << all << 4 << 5 << 1
            << L{9, 7, 4, 1};
        QTest::newRow("veto above") << "130xvid\r\nMusic\r\n" << "xvid" << 1 << all << 4 << 5
            << 5 << L{};
        QTest::newRow("veto above accepts the rest") << "130xvid\r\nMusic\r\n" << "" << 1 << all
            << 4 << 10 << 6 << L{10, 6, 3, 2};
        QTest::newRow("disabled above") << "010xvid\r\n*\r\n" << "xvid" << 1 << all << 4 << 5 << 0
            << L{9, 7, 5, 4, 1};
        QTest::newRow("Ignore after Notify above") << "110harbour\r\n*\r\n112s01e01\r\n*\r\n"
            << "patrol" << 1 << all << 4 << 2 << 2 << L{};
        // clang-format on
    }
    void counts()
    {
        QFETCH(QString, above);
        QFETCH(QString, typed);
        QFETCH(int, match);
        QFETCH(QStringList, chosen);
        QFETCH(int, action);
        const FilterTable table = FilterTable::parse(above);
        const std::shared_ptr<const SearchDatabase> db = database(SampleRows);
        QCOMPARE(db->rowCount(), 11);
        const FilterPreview preview(db, FilterPreview::rulesAbove(table, table.count() + 1));
        const FilterPreview::Result result =
            preview.run(pendingFilter(typed, match, chosen, action));
        QCOMPARE(result.rowCount, 11);
        QTEST(result.matched, "matched");
        QTEST(result.takenAbove, "taken");
        QTEST(listedIds(*db, result.rows), "listed");
    }

    // The filters above: every enabled one for the add wizard, the enabled slots before the
    // edited one for the edit wizard. Slot 2 ignores xvid, slot 3 is disabled, slot 4 takes
    // every harbour name, slot 5 every xvid name.
    void filtersAbove_data()
    {
        QTest::addColumn<int>("editIndex");
        QTest::addColumn<int>("firstBelow");
        QTest::addColumn<QList<int>>("above");
        QTest::addColumn<int>("taken"); // of the five xvid rows
        QTest::newRow("edit slot 1") << 1 << 1 << QList<int>{} << 0;
        QTest::newRow("edit slot 2") << 2 << 2 << QList<int>{1} << 0;
        QTest::newRow("edit slot 3") << 3 << 3 << QList<int>{1, 2} << 5;
        QTest::newRow("edit slot 4") << 4 << 4 << QList<int>{1, 2} << 5;
        QTest::newRow("edit slot 5") << 5 << 5 << QList<int>{1, 2, 4} << 5;
        QTest::newRow("add") << 0 << 6 << QList<int>{1, 2, 4, 5} << 5;
    }
    void filtersAbove()
    {
        QFETCH(int, editIndex);
        FilterTable table = FilterTable::parse(QStringLiteral("110zzz\r\n*\r\n112xvid\r\n*\r\n"
                                                              "010xvid\r\n*\r\n110harbour\r\n*\r\n"
                                                              "110xvid\r\n*\r\n"));
        const FilterWizardLogic wizard(editIndex ? Kind::Edit : Kind::Add, &table, Categories,
                                       editIndex);
        QTEST(wizard.firstSlotBelow(), "firstBelow");
        const QList<FilterRule> rules = FilterPreview::rulesAbove(table, wizard.firstSlotBelow());
        QList<int> aboveSlots;
        for (const FilterRule &rule : rules)
            aboveSlots.append(rule.slot());
        QTEST(aboveSlots, "above");
        const FilterPreview preview(database(SampleRows), rules);
        const FilterPreview::Result result = preview.run(pendingFilter("xvid", 1, {}, 4));
        QCOMPARE(result.matched, 5);
        QTEST(result.takenAbove, "taken");
    }

    // What the filters above do to each row: free, excluded, or the first slot taking it (slot
    // 4 accepts the harbour rows again, a duplicate that changes nothing).
    void rowOutcomes()
    {
        const FilterTable table = FilterTable::parse(QStringLiteral(
            "110harbour\r\n*\r\n112s01e01\r\n*\r\n130xvid\r\nMusic\r\n110patrol\r\n*\r\n"));
        const FilterPreview preview(database(SampleRows),
                                    FilterPreview::rulesAbove(table, table.count() + 1));
        QList<int> outcomes;
        for (int row = 0; row < 11; ++row)
            outcomes.append(preview.outcome(row));
        const int x = FilterPreview::Excluded;
        QCOMPARE(outcomes, (QList<int>{x, 1, 0, x, x, 0, x, 3, x, 0, FilterPreview::PassedOver}));
    }

    // At most 200 rows are listed, the newest first; the counts take every row.
    void listCap_data()
    {
        QTest::addColumn<int>("rows");
        QTest::newRow("200") << 200;
        QTest::newRow("201") << 201;
    }
    void listCap()
    {
        QFETCH(int, rows);
        QStringList lines;
        for (int id = 1; id <= rows; ++id)
            lines.append(QStringLiteral("%1|Show.%1.XviD|TV/XviD").arg(id));
        const std::shared_ptr<const SearchDatabase> db = database(lines);
        const FilterPreview preview(db, {});
        const FilterPreview::Result result = preview.run(pendingFilter("xvid", 1, {}, 4));
        QCOMPARE(result.matched, rows);
        const int listed = std::min(rows, 200);
        QCOMPARE(int(result.rows.size()), listed);
        QList<int> expected;
        for (int id = rows; id > rows - listed; --id)
            expected.append(id);
        QCOMPARE(listedIds(*db, result.rows), expected);
    }

    // The wizard's filter for the preview is the one its steps would store, and building it
    // changes neither the keyword box nor the pending filter.
    void filterForTheControls()
    {
        FilterTable table = FilterTable::parse(QStringLiteral("121old\r\nMusic, TV\r\n"));
        FilterWizardLogic wizard(Kind::Edit, &table, Categories, 1);
        FilterWizardLogic::Controls controls = wizard.initialControls();
        controls.keywordText = QStringLiteral("Some.Movie AND x264");
        controls.actionOption = 6;
        const FilterRecord before = wizard.pending();
        const FilterRecord filter = wizard.filterFor(controls);
        QCOMPARE(controls.keywordText, QStringLiteral("Some.Movie AND x264"));
        QCOMPARE(wizard.pending(), before);
        QCOMPARE(filter.Keywords, (QStringList{"Some Movie", "x264"}));
        QCOMPARE(filter.MatchMode, QStringLiteral("Exactly Matches"));
        QCOMPARE(filter.Categories, (QStringList{"Music", "TV"}));
        QCOMPARE(filter.Action, QStringLiteral("Ignore"));
        QVERIFY(filter.Enabled);
        // The same as steps 2 to 4 store.
        controls.active = true;
        for (int step = 2; step <= 4; ++step)
            QVERIFY(wizard.showstep(step, controls));
        QCOMPARE(table[1], filter);
    }

    // Random tables and rows: the preview agrees with the filter stage of a check run over the
    // same rows with the pending filter last. Notify and Download filters: the listed rows are
    // its results; Ignore: the rows it newly excludes by accepting them. N is what the pending
    // filter alone accepts.
    void agreesWithTheCheck()
    {
        QRandomGenerator random(1515);
        const QStringList words{"xvid",   "XviD",          "x264",      "cam", "Harbour", "patrol",
                                "S01E05", "s02e10",        "linux",     "ISO", "720p",    "DVDRip",
                                "PROPER", "\u00c9t\u00e9", "caf\u00e9", "a-b", "2008",    "show"};
        const QStringList categories{"TV/XviD", "tv/xvid", "Movies/XviD", "Appz/Misc", "Music", ""};
        const QStringList patterns{"xvid",    "x264",     "s0#e1#", "[!a-z]iso", "*",
                                   "",        "x?id",     "[x",     "caf\u00c9", "\u00e9t\u00e9",
                                   "patrol*", "harbour*", "*show",  "2008",      "x\u0151",
                                   "[0-9]"};
        const auto pick = [&](const QStringList &list) {
            return list[int(random.bounded(quint32(list.size())))];
        };
        const auto filterOf = [&](bool pending) {
            FilterRecord f;
            f.Enabled = pending || random.bounded(5) != 0;
            const QStringList modes{"Contains", "Exactly Matches", "Does Not Contain", ""};
            f.MatchMode = pending ? modes[int(random.bounded(3))] : pick(modes);
            const QStringList actions{"Notify", "Download", "Ignore", ""};
            f.Action = pending ? actions[int(random.bounded(3))] : pick(actions);
            const int keywords = 1 + int(random.bounded(3));
            for (int k = 0; k < keywords; ++k)
                f.Keywords.append(pick(patterns));
            if (random.bounded(3) == 0) {
                const QStringList limits{"", "", "0 MB", "1 MB", "1.5 MB", "0.01 GB"};
                SizeLimit::fromText(pick(limits), &f.Limits.smallest);
                SizeLimit::fromText(pick(limits), &f.Limits.largest);
            }
            if (random.bounded(3) == 0) {
                f.Categories = QStringList{"*"};
            } else {
                const int count = 1 + int(random.bounded(2));
                for (int c = 0; c < count; ++c)
                    f.Categories.append(pick(categories));
            }
            return f;
        };

        for (int round = 0; round < 400; ++round) {
            QStringList rows;
            const int rowCount = 1 + int(random.bounded(40));
            for (int id = 1; id <= rowCount; ++id) {
                QStringList name;
                const int parts = 1 + int(random.bounded(5));
                for (int p = 0; p < parts; ++p)
                    name.append(pick(words));
                const QString idText =
                    random.bounded(30) == 0 ? QString::number(id) + "x" : QString::number(id);
                QString category = pick(categories);
                const QStringList sizes{"0",        "1048575", "1048576", "1048577", "1572864",
                                        "10485760", "",        "1.5",     "-1"};
                rows.append(idText + "|" + name.join(random.bounded(2) ? "." : " ") + "|" +
                            category + "|" + pick(sizes));
            }
            const QByteArray text = dbText(rows);
            const std::shared_ptr<const SearchDatabase> db =
                SearchDatabase::fromBytes(text).database;
            QVERIFY(db);

            FilterTable table;
            const int aboveCount = int(random.bounded(5));
            for (int i = 0; i < aboveCount; ++i)
                table.append(filterOf(false));
            const FilterRecord pending = filterOf(true);
            const FilterPreview preview(db, FilterPreview::rulesAbove(table, table.count() + 1));
            const FilterPreview::Result result = preview.run(pending);

            // The check's feed: the same lines read as every reader of the file reads them.
            ParsedFeed feed;
            for (const QByteArray &line : text.split('\n')) {
                TorrentRecord record;
                if (TorrentDb::readLine(QString::fromLatin1(line.chopped(line.endsWith('\r'))),
                                        &record))
                    feed.append(record);
            }
            const auto check = [&](const FilterTable &filters) {
                ProgramState state;
                state.Filters = filters;
                state.feed = feed;
                FilterEngine engine(state, nullptr, {});
                engine.run(true, 0);
                return state;
            };
            const auto idsOf = [](const QStringList &ids) {
                std::set<int> out;
                for (const QString &id : ids)
                    out.insert(id.toInt());
                return out;
            };

            // What the pending filter alone accepts (as a Notify filter, so a veto of "Does Not
            // Contain" is no result): N, and the rows an Ignore filter's exclusions can be.
            FilterTable alone;
            FilterRecord notify = pending;
            notify.Action = "Notify";
            alone.append(notify);
            std::set<int> accepted;
            for (const MatchRecord &r : check(alone).results)
                accepted.insert(r.Id);
            const int matched = int(accepted.size());

            FilterTable withPending = table;
            withPending.append(pending);
            const ProgramState after = check(withPending);
            std::set<int> expected;
            if (pending.Action == "Ignore") {
                // The rows it newly excludes by accepting them (a veto excludes too, but is no
                // match).
                const std::set<int> before = idsOf(check(table).exclusion);
                for (int id : idsOf(after.exclusion)) {
                    if (!before.count(id) && accepted.count(id))
                        expected.insert(id);
                }
            } else {
                for (const MatchRecord &r : after.results) {
                    if (r.FilterIndex == withPending.count())
                        expected.insert(r.Id);
                }
            }

            const QList<int> listed = listedIds(*db, result.rows);
            const std::set<int> listedSet(listed.begin(), listed.end());
            const QString what =
                QStringLiteral("round %1: %2 | %3 | %4 | %5 over %6")
                    .arg(round)
                    .arg(pending.MatchMode, pending.Action, pending.Keywords.join("&&"),
                         pending.Categories.join(", "), table.serialize());
            QVERIFY2(listedSet == expected, qPrintable(what));
            QVERIFY2(std::is_sorted(listed.rbegin(), listed.rend()), qPrintable(what));
            QVERIFY2(result.matched == matched, qPrintable(what));
            QVERIFY2(result.takenAbove == matched - int(listed.size()), qPrintable(what));
        }
    }
};

QTEST_MAIN(TestFilterPreview)
#include "tst_filterpreview.moc"

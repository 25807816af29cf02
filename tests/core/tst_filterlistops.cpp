#include "filters/FilterListOps.h"

#include <QtTest>

using Rows = QList<int>;

// Filters are named by letters, upper case when enabled: "aB" is filter a, disabled, then b,
// enabled, with the keywords "a" and "b". Each letter has its own mode, action and categories
// so that a swap that leaves a field behind shows in the file.
namespace {

FilterTable table(const QString &letters)
{
    static const QStringList modes{"Contains", "Exactly Matches", "Does Not Contain"};
    static const QStringList actions{"Notify", "Download", "Ignore"};
    static const QList<QStringList> categories{{"*"}, {"TV", "Movies"}, {"Music"}};
    FilterTable t;
    for (const QChar c : letters) {
        const int k = c.toLower().unicode() - 'a';
        const QStringList keywords{QString(c.toLower())};
        t.append(
            {c.isUpper(), modes[k % 3], actions[k % 3], keywords, categories[k % 3], {}, false});
    }
    return t;
}

// The table as letters, after the save-and-reload cycle the window runs after a change; the
// file must hold each filter whole.
QString reloaded(const FilterTable &t)
{
    const FilterTable back = FilterTable::parse(t.serialize());
    QString letters;
    for (int i = 1; i <= back.count(); ++i) {
        const QChar c = back[i].Keywords.first().at(0);
        letters += back[i].Enabled ? c.toUpper() : c;
    }
    return back.serialize() == table(letters).serialize() ? letters : QStringLiteral("broken");
}

} // namespace

class TestFilterListOps : public QObject
{
    Q_OBJECT

private slots:
    // The buttons, clicked `clicks` times; each click starts from the selection the last one
    // left, as the reloaded list shows it. (Nothing selected: tst_filtertab.)
    void moveButtons_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<Rows>("selected");
        QTest::addColumn<QString>("direction");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QString>("after");
        QTest::addColumn<Rows>("selection");
        QTest::addColumn<QString>("message");
        QTest::newRow("up, two selected, one click")
            << "ABCD" << Rows{2, 4} << "up" << 1 << "BACD" << Rows{1} << "";
        QTest::newRow("up, the first row held, the other moves")
            << "ABCD" << Rows{1, 3} << "up" << 1 << "ACBD" << Rows{2} << "";
        QTest::newRow("down, two selected, the lower moves")
            << "ABCD" << Rows{1, 3} << "down" << 1 << "ABDC" << Rows{4} << "";
        QTest::newRow("down, one row per click")
            << "ABcD" << Rows{1} << "down" << 3 << "BcDA" << Rows{4} << "";
        QTest::newRow("down on the last row")
            << "ABCD" << Rows{4} << "down" << 1 << "ABCD" << Rows{4} << "";
        QTest::newRow("empty list")
            << "" << Rows{1} << "up" << 1 << "" << Rows{} << "Nothing to move!  ";
    }
    void moveButtons()
    {
        QFETCH(QString, before);
        QFETCH(Rows, selected);
        QFETCH(QString, direction);
        QFETCH(int, clicks);
        QFETCH(QString, message);
        FilterTable t = table(before);
        FilterListOps::MoveClick click;
        for (int i = 0; i < clicks; ++i) {
            click = FilterListOps(&t).moveSelected(selected, direction);
            QCOMPARE(click.message, message);
            if (click.changed) {
                QCOMPARE(click.selection, Rows{click.select});
                t = table(reloaded(t));
            }
            selected = click.selection;
        }
        QTEST(reloaded(t), "after");
        QTEST(click.selection, "selection");
        QCOMPARE(click.focusList, message.isEmpty());
    }

    // A row removed, or its box set: the filters after the reload, and whether "Filter
    // Torrents?" goes off. A removal reloads the list with the same row selected (the list
    // clamps it to its last row); a box leaves no row selected. (The only filter removed, and one
    // of two active cleared: tst_filtertab.)
    void rowChanges_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("untick");
        QTest::addColumn<QString>("after");
        QTest::newRow("removing the only active filter") << "aBc" << 2 << "remove" << true << "ac";
        QTest::newRow("removing one of two active") << "ABc" << 1 << "remove" << false << "Bc";
        QTest::newRow("removing one, none active") << "ab" << 1 << "remove" << false << "b";
        QTest::newRow("clearing the last active box") << "Ab" << 1 << "clear" << true << "ab";
        QTest::newRow("ticking never ticks filtering") << "ab" << 2 << "tick" << false << "aB";
        // A row already clear takes no active filter away.
        QTest::newRow("clearing a clear row") << "aB" << 1 << "clear" << false << "aB";
    }
    void rowChanges()
    {
        QFETCH(QString, before);
        QFETCH(int, row);
        QFETCH(QString, change);
        FilterTable t = table(before);
        FilterListOps ops(&t);
        const bool remove = change == "remove";
        const FilterListOps::Outcome out =
            remove ? ops.listrem(row) : ops.setRowEnabled(row, change == "tick");
        QVERIFY(out.changed);
        QTEST(out.untickFiltering, "untick");
        QCOMPARE(out.select, remove ? row : 0);
        QTEST(reloaded(t), "after");
    }

    // A slot already removed, or one the table does not hold, is left alone: nothing changes
    // and filtering is not switched off for it.
    void removingWhatIsNotThere_data()
    {
        QTest::addColumn<int>("slot");
        QTest::newRow("removed already") << 1;
        QTest::newRow("the placeholder slot") << 0;
        QTest::newRow("past the last") << 3;
    }
    void removingWhatIsNotThere()
    {
        QFETCH(int, slot);
        FilterTable t = table("Ab");
        FilterListOps ops(&t);
        QVERIFY(ops.listrem(1).changed);
        const FilterListOps::Outcome again = ops.listrem(slot);
        QVERIFY(!again.changed);
        QVERIFY(!again.untickFiltering);
        QCOMPARE(reloaded(t), QStringLiteral("b"));
    }
};

QTEST_GUILESS_MAIN(TestFilterListOps)
#include "tst_filterlistops.moc"

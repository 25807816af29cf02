#include "filters/FilterListOps.h"

#include <QtTest>

// Filters are named by letters: filter "a" has the single keyword "a". Each letter has its own
// mode, action and categories so that a swap that leaves a field behind shows in the file.
namespace {

FilterRecord letter(QChar name, bool enabled)
{
    static const QStringList modes{"Contains", "Exactly Matches", "Does Not Contain"};
    static const QStringList actions{"Notify", "Download", "Ignore"};
    static const QList<QStringList> categories{{"*"}, {"TV", "Movies"}, {"Music"}};
    const int k = name.unicode() - 'a';
    FilterRecord f;
    f.Enabled = enabled;
    f.MatchMode = modes[k % 3];
    f.Action = actions[k % 3];
    f.Keywords = {QString(name)};
    f.Categories = categories[k % 3];
    return f;
}

// "abc" with flags "101": a and c enabled. Flags default to all enabled.
FilterTable table(const QString &names, const QString &flags = QString())
{
    FilterTable t;
    for (int i = 0; i < names.size(); ++i)
        t.append(letter(names[i], flags.isEmpty() || flags[i] == QLatin1Char('1')));
    return t;
}

// What filters.dat holds for these letters in this order.
QString fileOf(const QString &names, const QString &flags = QString())
{
    return table(names, flags).serialize();
}

// The save-and-reload cycle the window runs after a change.
FilterTable reloaded(const FilterTable &t)
{
    return FilterTable::parse(t.serialize());
}

QString order(const FilterTable &t)
{
    QString names;
    for (int i = 1; i <= t.count(); ++i)
        names += t[i].Keywords.first();
    return names;
}

QString flags(const FilterTable &t)
{
    QString out;
    for (int i = 1; i <= t.count(); ++i)
        out += t[i].Enabled ? QLatin1Char('1') : QLatin1Char('0');
    return out;
}

} // namespace

class TestFilterListOps : public QObject
{
    Q_OBJECT

private slots:
    void movefilter_data()
    {
        QTest::addColumn<QString>("names");
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("direction");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("select");
        QTest::addColumn<bool>("focus");
        QTest::newRow("up from the middle") << "abc" << 2 << "up"
                                            << "bac" << true << 1 << true;
        QTest::newRow("up from the last") << "abc" << 3 << "up"
                                          << "acb" << true << 2 << true;
        QTest::newRow("up on the first row") << "abc" << 1 << "up"
                                             << "abc" << false << 1 << true;
        QTest::newRow("down from the first") << "abc" << 1 << "down"
                                             << "bac" << true << 2 << true;
        QTest::newRow("down on the last row") << "abc" << 3 << "down"
                                              << "abc" << false << 3 << true;
        QTest::newRow("single filter down") << "a" << 1 << "down"
                                            << "a" << false << 1 << true;
        QTest::newRow("unknown direction") << "abc" << 2 << "Up"
                                           << "abc" << false << 0 << false;
        QTest::newRow("slot past the end") << "abc" << 4 << "up"
                                           << "abc" << false << 0 << false;
        QTest::newRow("slot 0") << "abc" << 0 << "down"
                                << "abc" << false << 0 << false;
    }
    void movefilter()
    {
        QFETCH(QString, names);
        QFETCH(int, slot);
        QFETCH(QString, direction);
        QFETCH(QString, after);
        QFETCH(bool, changed);
        QFETCH(int, select);
        QFETCH(bool, focus);
        FilterTable t = table(names);
        const FilterListOps::Outcome out = FilterListOps(&t).movefilter(slot, direction);
        QCOMPARE(out.changed, changed);
        QCOMPARE(out.select, select);
        QCOMPARE(out.focusList, focus);
        QCOMPARE(out.untickFiltering, false);
        QCOMPARE(reloaded(t).serialize(), fileOf(after));
    }

    // The buttons, clicked `clicks` times; each click starts from the selection the last one
    // left, as the reloaded list shows it.
    void moveButtons_data()
    {
        QTest::addColumn<QString>("names");
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QString>("direction");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QList<int>>("selection");
        QTest::addColumn<QString>("message");
        QTest::newRow("up, two rows selected, one click")
            << "abcd" << QList<int>{2, 4} << "up" << 1 << "bacd" << QList<int>{1} << "";
        QTest::newRow("up, two rows selected, two clicks")
            << "abcd" << QList<int>{2, 4} << "up" << 2 << "bacd" << QList<int>{1} << "";
        QTest::newRow("up, first row held, the other moves")
            << "abcd" << QList<int>{1, 3} << "up" << 1 << "acbd" << QList<int>{2} << "";
        QTest::newRow("down, two rows selected, the lower moves")
            << "abcd" << QList<int>{1, 3} << "down" << 1 << "abdc" << QList<int>{4} << "";
        QTest::newRow("down, one row per click")
            << "abcd" << QList<int>{1} << "down" << 3 << "bcda" << QList<int>{4} << "";
        QTest::newRow("down on the last row")
            << "abcd" << QList<int>{4} << "down" << 1 << "abcd" << QList<int>{4} << "";
        QTest::newRow("up on the first row")
            << "abcd" << QList<int>{1} << "up" << 2 << "abcd" << QList<int>{1} << "";
        QTest::newRow("nothing selected") << "abcd" << QList<int>{} << "down" << 1 << "abcd"
                                          << QList<int>{} << "You must select a filter!  ";
        QTest::newRow("selection beyond the list") << "ab" << QList<int>{5} << "up" << 1 << "ab"
                                                   << QList<int>{} << "You must select a filter!  ";
        QTest::newRow("empty list")
            << "" << QList<int>{1} << "up" << 1 << "" << QList<int>{} << "Nothing to move!  ";
    }
    void moveButtons()
    {
        QFETCH(QString, names);
        QFETCH(QList<int>, selected);
        QFETCH(QString, direction);
        QFETCH(int, clicks);
        QFETCH(QString, message);
        QFETCH(QString, after);
        QFETCH(QList<int>, selection);
        FilterTable t = table(names);
        FilterListOps::MoveClick click;
        for (int i = 0; i < clicks; ++i) {
            click = FilterListOps(&t).moveSelected(selected, direction);
            QCOMPARE(click.message, message);
            if (click.changed) {
                QCOMPARE(click.selection, QList<int>{click.select});
                t = reloaded(t);
            }
            selected = click.selection;
        }
        QCOMPARE(order(t), after);
        QCOMPARE(t.serialize(), fileOf(order(t)));
        QCOMPARE(click.selection, selection);
        QCOMPARE(click.focusList, message.isEmpty());
    }

    void listrem_data()
    {
        QTest::addColumn<QString>("flagsBefore");
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("untick");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("selected");
        QTest::newRow("the only filter") << "1" << 1 << true << "" << 0;
        QTest::newRow("the only active filter") << "010" << 2 << true << "ac" << 2;
        QTest::newRow("one of two active") << "110" << 1 << false << "bc" << 1;
        QTest::newRow("a disabled one, none active") << "00" << 1 << false << "b" << 1;
        QTest::newRow("a disabled one beside the active") << "100" << 3 << false << "ab" << 2;
        QTest::newRow("the last row selects the new last") << "111" << 3 << false << "ab" << 2;
        QTest::newRow("slot past the end") << "11" << 3 << false << "ab" << 0;
    }
    void listrem()
    {
        QFETCH(QString, flagsBefore);
        QFETCH(int, slot);
        QFETCH(QString, after);
        QFETCH(bool, untick);
        QFETCH(int, selected);
        const QString names = QStringLiteral("abc").left(flagsBefore.size());
        FilterTable t = table(names, flagsBefore);
        const FilterListOps::Outcome out = FilterListOps(&t).listrem(slot);
        QCOMPARE(out.untickFiltering, untick);
        const FilterTable back = reloaded(t);
        QCOMPARE(order(back), after);
        QCOMPARE(FilterListOps::selectionAfterReload(out.select, back.count()), selected);
        // The reloaded file keeps the other filters as they were.
        QString keptFlags;
        for (const QChar c : after)
            keptFlags += flagsBefore[c.unicode() - 'a'];
        QCOMPARE(back.serialize(), after.isEmpty() ? QString() : fileOf(after, keptFlags));
        if (out.untickFiltering)
            QVERIFY(!FilterListOps::filteringBoxChanged(false, back.count()).controlsEnabled);
    }

    void rowCheckBox_data()
    {
        QTest::addColumn<QString>("flagsBefore");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<bool>("untick");
        QTest::addColumn<QString>("flagsAfter");
        QTest::newRow("clearing the last active") << "10" << 1 << false << true << "00";
        QTest::newRow("clearing one of two active") << "11" << 2 << false << false << "10";
        QTest::newRow("ticking never ticks filtering") << "00" << 2 << true << false << "01";
        QTest::newRow("ticking beside an active one") << "10" << 2 << true << false << "11";
        // A row already clear takes no active filter away.
        QTest::newRow("clearing a clear row") << "01" << 1 << false << false << "01";
        QTest::newRow("row past the end") << "10" << 3 << false << false << "10";
    }
    void rowCheckBox()
    {
        QFETCH(QString, flagsBefore);
        QFETCH(int, row);
        QFETCH(bool, checked);
        QFETCH(bool, untick);
        QFETCH(QString, flagsAfter);
        FilterTable t = table(QStringLiteral("ab"), flagsBefore);
        const FilterListOps::Outcome out = FilterListOps(&t).setRowEnabled(row, checked);
        QCOMPARE(out.untickFiltering, untick);
        QCOMPARE(out.select, 0);
        QCOMPARE(out.changed, row <= 2);
        QCOMPARE(flags(reloaded(t)), flagsAfter);
        QCOMPARE(t.serialize(), fileOf(QStringLiteral("ab"), flagsAfter));
    }

    void changeaction_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("secondRule");
        QTest::newRow("to Ignore") << 2 << "Ignore" << true << "022b";
        QTest::newRow("to Notify") << 2 << "Notify" << true << "020b";
        QTest::newRow("the same action") << 2 << "Download" << true << "021b";
        QTest::newRow("an action with no code") << 2 << "Delete" << false << "021b";
        QTest::newRow("slot past the end") << 3 << "Ignore" << false << "021b";
    }
    void changeaction()
    {
        QFETCH(int, slot);
        QFETCH(bool, changed);
        QFETCH(QString, action);
        QFETCH(QString, secondRule);
        FilterTable t = table(QStringLiteral("ab"), QStringLiteral("10"));
        const FilterListOps::Outcome out = FilterListOps(&t).changeaction(slot, action);
        QCOMPARE(out.changed, changed);
        // The same row is selected again after the reload.
        QCOMPARE(out.select, changed ? slot : 0);
        const QStringList lines = reloaded(t).serialize().split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], QStringLiteral("110a"));
        QCOMPARE(lines[2], secondRule);
        QCOMPARE(lines[3], QStringLiteral("TV, Movies"));
    }

    void filteringBox_data()
    {
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<int>("filters");
        QTest::addColumn<bool>("stays");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("message");
        QTest::newRow("ticked with filters") << true << 2 << true << true << "";
        QTest::newRow("cleared") << false << 2 << false << false << "";
        QTest::newRow("cleared without filters") << false << 0 << false << false << "";
        QTest::newRow("ticked without filters")
            << true << 0 << false << false
            << "You must have at least 1  filter in order to enable torrent filtering.  \r\n"
               "To add a filter, click \"Add New\" below. ";
    }
    void filteringBox()
    {
        QFETCH(bool, ticked);
        QFETCH(int, filters);
        QFETCH(bool, stays);
        QFETCH(bool, enabled);
        QFETCH(QString, message);
        const FilterListOps::FilteringBox box = FilterListOps::filteringBoxChanged(ticked, filters);
        QCOMPARE(box.ticked, stays);
        QCOMPARE(box.controlsEnabled, enabled);
        QCOMPARE(box.message, message);
    }

    void actionTicks_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        // Ticks as a three-bit number: 4 Notify, 2 Download, 1 Ignore.
        QTest::newRow("download replaces notify") << "Download" << 4 << 2;
        QTest::newRow("ignore from none") << "Ignore" << 0 << 1;
        QTest::newRow("notify clears stray ticks") << "Notify" << 3 << 4;
        QTest::newRow("unknown keeps them") << "Delete" << 2 << 2;
        QTest::newRow("empty keeps them") << "" << 5 << 5;
    }
    void actionTicks()
    {
        QFETCH(QString, action);
        QFETCH(int, before);
        QFETCH(int, after);
        auto ticks = [](int bits) {
            FilterListOps::ActionTicks t;
            t.notify = bits & 4;
            t.download = bits & 2;
            t.ignore = bits & 1;
            return t;
        };
        QCOMPARE(FilterListOps::actionTicks(action, ticks(before)), ticks(after));
    }
};

QTEST_GUILESS_MAIN(TestFilterListOps)
#include "tst_filterlistops.moc"

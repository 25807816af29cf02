#include "EnvTest.h"
#include "filters/FilterWizardLogic.h"

#include <QtTest>

using Kind = FilterWizardLogic::Kind;
using Focus = CategoryLists::Focus;
using Rows = QList<int>;

static const QStringList Names{"Movies", "TV", "Music", "Games", "Apps"};

class TestFilterWizardLogic : public EnvTest
{
    Q_OBJECT

    qint16 filterenabled() const
    {
        return env->store->ReadSettingNumber(QStringLiteral("filterenabled"));
    }

private slots:

    void keywords_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("keywords");
        QTest::addColumn<QString>("box");
        QTest::newRow("lower-case and does not split")
            << "Linux.ISO and x264" << QStringList{"Linux ISO and x264"} << "Linux ISO and x264";
        QTest::newRow("trailing AND") << "x264 AND " << QStringList{"x264", ""} << "x264 AND ";
        QTest::newRow("AND needs its blanks")
            << "x264 AND" << QStringList{"x264 AND"} << "x264 AND";
        QTest::newRow("empty box") << "" << QStringList{"*"} << "";
    }
    void keywords()
    {
        QFETCH(QString, typed);
        FilterTable table;
        FilterWizardLogic wizard(Kind::Add, &table, Names);
        FilterWizardLogic::Controls controls;
        controls.keywordText = typed;
        QVERIFY(wizard.showstep(1, controls));
        QVERIFY(wizard.showstep(2, controls));
        QTEST(controls.keywordText, "box");
        QTEST(wizard.pending().Keywords, "keywords");
    }

    // The size boxes on "Next" from the keyword step: limits in either unit, or the step
    // refused with its message while the largest is below the smallest. The stored filter's
    // description ends in its limits, numbers without trailing zeros.
    void sizeBoxes_data()
    {
        QTest::addColumn<QString>("smallest"); // the box, then " GB" or " MB" for its unit
        QTest::addColumn<QString>("largest");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("size"); // info_size, after "Contains anything in all
                                           // categories " in the description
        const QString below = "The largest size must not be smaller than the smallest.";
        // clang-format off
        QTest::newRow("none") << " MB" << " GB" << "" << "Any";
        QTest::newRow("equal in two units") << "1024 MB" << "1 GB" << ""
            << "between 1024 MB and 1 GB";
        QTest::newRow("a hundredth below") << "1024 MB" << "0.99 GB" << below << "";
        QTest::newRow("largest below, same unit") << "8.01 GB" << "8 GB" << below << "";
        QTest::newRow("smallest alone") << "700.10 MB" << " MB" << "" << "at least 700.1 MB";
        QTest::newRow("largest alone") << " MB" << "8.50 GB" << "" << "at most 8.5 GB";
        QTest::newRow("not a number") << "7e3 MB" << " MB"
            << "A size must be a number with at most two decimals, such as 700 or 1.5." << "";
        // clang-format on
    }
    void sizeBoxes()
    {
        QFETCH(QString, smallest);
        QFETCH(QString, largest);
        QFETCH(QString, refusal);
        QFETCH(QString, size);
        FilterTable table;
        FilterWizardLogic wizard(Kind::Add, &table, Names);
        FilterWizardLogic::Controls controls;
        const auto unit = [](const QString &box) {
            return box.endsWith("GB") ? SizeLimit::Unit::GB : SizeLimit::Unit::MB;
        };
        controls.smallestText = smallest.chopped(3);
        controls.smallestUnit = unit(smallest);
        controls.largestText = largest.chopped(3);
        controls.largestUnit = unit(largest);
        QVERIFY(wizard.showstep(1, controls));
        QCOMPARE(wizard.showstep(2, controls), refusal.isEmpty());
        QCOMPARE(wizard.refusal(), refusal);
        QCOMPARE(wizard.currentStep(), refusal.isEmpty() ? 2 : 1);
        if (!refusal.isEmpty())
            return;
        QVERIFY(wizard.showstep(3, controls) && wizard.showstep(4, controls));
        QCOMPARE(wizard.summary().size, size);
        QCOMPARE(table.ffname(1),
                 "Contains anything in all categories" + (size == "Any" ? QString() : " " + size));
    }

    // ">" or "<" (how the row's name starts) with the given rows of its list selected and
    // `current` as its current row, in the lists the edit wizard opens for a filter limited to
    // `filter`; then the lists as "available | chosen", and the selection left behind.
    void categoryMoves_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("filter");
        QTest::addColumn<Rows>("selected");
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("after");
        QTest::addColumn<Rows>("selection");
        const QStringList star{"*"};
        const QString untouched = "Movies TV Music Games Apps | All Categories";
        QTest::newRow("> one from the middle")
            << Names << star << Rows{1} << 1 << "Movies Music Games Apps | TV" << Rows{1};
        QTest::newRow("> the last two")
            << Names << star << Rows{3, 4} << 3 << "Movies TV Music | Games Apps" << Rows{0};
        QTest::newRow("> in list order")
            << Names << star << Rows{3, 0} << 0 << "TV Music Apps | Movies Games" << Rows{2};
        QTest::newRow("> no current row") << Names << star << Rows{1} << -1 << untouched << Rows{};
        // "TV" goes with "tv" already chosen.
        QTest::newRow("> in another case")
            << QStringList{"Movies", "TV", "Music"} << QStringList{"tv"} << Rows{0} << 0
            << "Music | tv Movies" << Rows{0};
        QTest::newRow("> everything") << Names << star << Rows{0, 1, 2, 3, 4} << 0
                                      << " | Movies TV Music Games Apps" << Rows{};
        QTest::newRow("< everything back")
            << Names << Names << Rows{0, 1, 2, 3, 4} << 0 << untouched << Rows{};
        QTest::newRow("< one back, the rest in list order")
            << Names << QStringList{"Apps", "TV", "Music"} << Rows{2} << 2
            << "Movies Games Music | TV Apps" << Rows{0};
        QTest::newRow("< nothing but the marker")
            << Names << star << Rows{0} << 0 << untouched << Rows{};
        // The edit wizard leaves "TV" available beside a chosen "tv": "tv" moved back counts
        // for "TV", and moving another entry back keeps "tv" rather than widening the filter
        // to every category.
        QTest::newRow("< back in another case")
            << QStringList{"Movies", "TV"} << QStringList{"tv", "Movies"} << Rows{0} << 0
            << "TV tv | Movies" << Rows{0};
        QTest::newRow("< chosen in another case stays")
            << QStringList{"Movies", "TV"} << QStringList{"tv", "Movies"} << Rows{1} << 1
            << "TV Movies | tv" << Rows{0};
        // Without a category list (nothing loaded yet) moving one back keeps the others.
        QTest::newRow("< unknown categories stay")
            << QStringList{} << QStringList{"A", "B", "C"} << Rows{1} << 1 << "B | A C" << Rows{0};
    }
    void categoryMoves()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, filter);
        QFETCH(Rows, selected);
        QFETCH(int, current);
        QFETCH(Rows, selection);
        CategoryLists lists = CategoryLists::forFilter(names, filter);
        const bool toChosen = QTest::currentDataTag()[0] == '>';
        toChosen ? lists.selectAvailable(selected, current) : lists.selectChosen(selected, current);
        const bool moved = toChosen ? lists.moveToChosen() : lists.moveToAvailable();
        QCOMPARE(moved, toChosen ? current >= 0 : filter.first() != "*");
        QTEST(lists.available().join(' ') + " | " + lists.chosen().join(' '), "after");
        QCOMPARE(lists.chosenEnabled(), !lists.showsAllCategories());
        QCOMPARE(lists.filterCategories(),
                 lists.showsAllCategories() ? QStringList{"*"} : lists.chosen());
        if (!moved)
            return;
        // The list the entries came from keeps one row selected, or none.
        QCOMPARE(toChosen ? lists.availableSelection() : lists.chosenSelection(), selection);
        QCOMPARE(toChosen ? lists.availableCurrent() : lists.chosenCurrent(),
                 selection.value(0, -1));
        const Focus focus = toChosen ? Focus::Available : Focus::Chosen;
        QCOMPARE(lists.focus(), selection.isEmpty() ? Focus::None : focus);
    }

    // Finish switches filtering on only when the stored filter is the only active one. The
    // table's filters are given by their enabled flags; the edit wizard works on the first.
    void finishSwitchesFilteringOn_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("flags");
        QTest::addColumn<bool>("switchesOn");
        QTest::newRow("add, first filter") << Kind::Add << "" << true;
        QTest::newRow("add, beside a disabled one") << Kind::Add << "0" << true;
        QTest::newRow("add, a second active filter") << Kind::Add << "1" << false;
        QTest::newRow("edit, the only active stays") << Kind::Edit << "10" << true;
    }
    void finishSwitchesFilteringOn()
    {
        QFETCH(Kind, kind);
        QFETCH(QString, flags);
        QFETCH(bool, switchesOn);
        FilterTable table;
        for (const QChar flag : flags)
            table.append({flag == QLatin1Char('1'), "Contains", "Notify", {"*"}, {"*"}, {}, false});
        FilterWizardLogic wizard(kind, &table, Names, 1);
        FilterWizardLogic::Controls controls = wizard.initialControls();
        for (int step = 1; step <= 4; ++step)
            QVERIFY(wizard.showstep(step, controls));
        QCOMPARE(filterenabled(), qint16(0));
        QVERIFY(wizard.showstep(5, controls, env->store.get()));
        QCOMPARE(wizard.switchedFilteringOn(), switchesOn);
        QCOMPARE(filterenabled(), qint16(switchesOn ? 1 : 0));
        QCOMPARE(table.count(), int(flags.size()) + (kind == Kind::Add ? 1 : 0));
    }

    // The edit wizard stores over the slot it edits; a slot the table does not hold (the
    // filter was removed meanwhile) keeps the user's input as a new filter at the end.
    void editStoresOverItsSlot_data()
    {
        QTest::addColumn<int>("editIndex");
        QTest::addColumn<int>("storedSlot");
        QTest::newRow("the placeholder slot") << 0 << 3;
        QTest::newRow("first") << 1 << 1;
        QTest::newRow("last") << 2 << 2;
        QTest::newRow("past the last") << 3 << 3;
    }
    void editStoresOverItsSlot()
    {
        QFETCH(int, editIndex);
        QFETCH(int, storedSlot);
        FilterTable table;
        table.append({true, "Contains", "Notify", {"a"}, {"*"}, {}, false});
        table.append({true, "Contains", "Notify", {"b"}, {"*"}, {}, false});
        FilterWizardLogic wizard(Kind::Edit, &table, Names, editIndex);
        FilterWizardLogic::Controls controls = wizard.initialControls();
        for (int step = 1; step <= 4; ++step)
            QVERIFY(wizard.showstep(step, controls));
        QVERIFY(wizard.showstep(5, controls, env->store.get()));
        QCOMPARE(table.count(), storedSlot > 2 ? 3 : 2);
        for (int slot = 1; slot <= 2; ++slot) {
            if (slot != storedSlot)
                QCOMPARE(table[slot].Keywords, QStringList{slot == 1 ? "a" : "b"});
        }
    }

    // Step 4 run again rewrites the slot it stored into; if the table lost that slot
    // meanwhile (the filters were read again), the filter is added anew.
    void storingAgain()
    {
        FilterTable table;
        FilterWizardLogic wizard(Kind::Add, &table, Names);
        FilterWizardLogic::Controls controls = wizard.initialControls();
        for (int step = 1; step <= 4; ++step)
            QVERIFY(wizard.showstep(step, controls));
        QCOMPARE(table.count(), 1);
        QVERIFY(wizard.showstep(4, controls));
        QCOMPARE(table.count(), 1);
        table.clear();
        QVERIFY(wizard.showstep(4, controls));
        QCOMPARE(table.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestFilterWizardLogic)
#include "tst_filterwizardlogic.moc"

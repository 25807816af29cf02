#include "filters/FilterWizardLogic.h"
#include "TestEnv.h"

#include <QtTest>

using Kind = FilterWizardLogic::Kind;
using Focus = CategoryLists::Focus;

namespace {

const QStringList Names{"Movies", "TV", "Music", "Games", "Apps"};

FilterRecord filter(bool enabled, const QString &mode, const QString &action,
                    const QStringList &keywords, const QStringList &categories)
{
    FilterRecord f;
    f.Enabled = enabled;
    f.MatchMode = mode;
    f.Action = action;
    f.Keywords = keywords;
    f.Categories = categories;
    return f;
}

} // namespace

class TestFilterWizardLogic : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> m_env;

private slots:
    void init() { m_env = std::make_unique<TestEnv>(); }
    void cleanup()
    {
        QCOMPARE(m_env->problems(), QString());
        m_env.reset();
    }

    void keywords_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("keywords");
        QTest::newRow("dots and AND") << "Linux.ISO AND x264"
                                      << "Linux ISO AND x264" << QStringList{"Linux ISO", "x264"};
        QTest::newRow("lower-case and does not split")
            << "Linux.ISO and x264"
            << "Linux ISO and x264" << QStringList{"Linux ISO and x264"};
        QTest::newRow("trailing AND") << "x264 AND "
                                      << "x264 AND " << QStringList{"x264", ""};
        QTest::newRow("AND needs its blanks") << "x264 AND"
                                              << "x264 AND" << QStringList{"x264 AND"};
        QTest::newRow("pieces are not trimmed") << "a AND  b AND c"
                                                << "a AND  b AND c" << QStringList{"a", " b", "c"};
        QTest::newRow("empty box") << ""
                                   << "" << QStringList{"*"};
        QTest::newRow("a dot alone") << "."
                                     << " " << QStringList{" "};
        QTest::newRow("a star") << "*"
                                << "*" << QStringList{"*"};
    }
    void keywords()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QStringList, keywords);
        FilterTable table;
        FilterWizardLogic wizard(Kind::Add, &table, Names);
        FilterWizardLogic::Controls controls;
        controls.keywordText = typed;
        QVERIFY(wizard.showstep(1, controls));
        QVERIFY(wizard.showstep(2, controls));
        QCOMPARE(controls.keywordText, box);
        QCOMPARE(wizard.pending().Keywords, keywords);
        QCOMPARE(wizard.pending().MatchMode, QStringLiteral("Contains"));
    }

    // ">" with the given rows of List1 selected and `current` as its current row.
    void moveToChosen_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<int>("current");
        QTest::addColumn<QStringList>("available");
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<int>("reselected");
        QTest::newRow("one from the middle")
            << QList<int>{1} << 1 << QStringList{"Movies", "Music", "Games", "Apps"}
            << QStringList{"TV"} << 1;
        QTest::newRow("the last one")
            << QList<int>{4} << 4 << QStringList{"Movies", "TV", "Music", "Games"}
            << QStringList{"Apps"} << 3;
        QTest::newRow("the last two")
            << QList<int>{3, 4} << 3 << QStringList{"Movies", "TV", "Music"}
            << QStringList{"Games", "Apps"} << 0;
        QTest::newRow("in list order")
            << QList<int>{3, 0} << 0 << QStringList{"TV", "Music", "Apps"}
            << QStringList{"Movies", "Games"} << 2;
        QTest::newRow("no selection, current row")
            << QList<int>{} << 2 << Names << QStringList{"All Categories"} << 0;
        QTest::newRow("no current row")
            << QList<int>{1} << -1 << Names << QStringList{"All Categories"} << -1;
        QTest::newRow("everything")
            << QList<int>{0, 1, 2, 3, 4} << 0 << QStringList{} << Names << -1;
    }
    void moveToChosen()
    {
        QFETCH(int, current);
        QFETCH(QStringList, chosen);
        QFETCH(int, reselected);
        QFETCH(QList<int>, selected);
        QFETCH(QStringList, available);
        CategoryLists lists(Names);
        QCOMPARE(lists.chosen(), QStringList{"All Categories"});
        QVERIFY(!lists.chosenEnabled());
        lists.selectAvailable(selected, current);
        QCOMPARE(lists.moveToChosen(), current >= 0);
        QCOMPARE(lists.available(), available);
        QCOMPARE(lists.chosen(), chosen);
        QCOMPARE(lists.chosenEnabled(), !lists.showsAllCategories());
        if (current >= 0) {
            QCOMPARE(lists.availableCurrent(), reselected);
            QCOMPARE(lists.availableSelection(),
                     reselected >= 0 ? QList<int>{reselected} : QList<int>{});
            QCOMPARE(lists.focus(), reselected >= 0 ? Focus::Available : Focus::None);
        }
        QCOMPARE(lists.filterCategories(), lists.showsAllCategories() ? QStringList{"*"} : chosen);
    }

    void allCategoriesAndBack()
    {
        CategoryLists lists(Names);
        lists.selectAvailable({0, 1, 2, 3, 4}, 2);
        QVERIFY(lists.moveToChosen());
        QCOMPARE(lists.chosen(), Names);
        QVERIFY(lists.available().isEmpty());
        lists.selectChosen({0, 1, 2, 3, 4}, 0);
        QVERIFY(lists.moveToAvailable());
        QCOMPARE(lists.chosen(), QStringList{"All Categories"});
        QVERIFY(!lists.chosenEnabled());
        QCOMPARE(lists.chosenCurrent(), -1);
        QCOMPARE(lists.focus(), Focus::None);
        QCOMPARE(lists.available(), Names);
        QCOMPARE(lists.filterCategories(), QStringList{"*"});
        // The marker cannot be moved back.
        lists.selectChosen({0}, 0);
        QVERIFY(!lists.moveToAvailable());
    }

    // "<" from a filter limited to TV, Music and Apps.
    void moveToAvailable_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("filterCategories");
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<int>("current");
        QTest::addColumn<QStringList>("available");
        QTest::addColumn<QStringList>("chosen");
        QTest::newRow("one back, the rest in list order")
            << Names << QStringList{"Apps", "TV", "Music"} << QList<int>{2} << 2
            << QStringList{"Movies", "Games", "Music"} << QStringList{"TV", "Apps"};
        QTest::newRow("two back in list order")
            << Names << QStringList{"TV", "Music", "Apps"} << QList<int>{2, 0} << 0
            << QStringList{"Movies", "Games", "TV", "Apps"} << QStringList{"Music"};
        QTest::newRow("no current row")
            << Names << QStringList{"TV", "Music"} << QList<int>{0} << -1
            << QStringList{"Movies", "Games", "Apps"} << QStringList{"TV", "Music"};
        QTest::newRow("no selection")
            << Names << QStringList{"TV", "Music"} << QList<int>{} << 1
            << QStringList{"Movies", "Games", "Apps"} << QStringList{"TV", "Music"};
        // The edit wizard leaves "TV" available beside a chosen "tv"; moving another entry back
        // keeps "tv" rather than widening the filter to every category.
        QTest::newRow("chosen in another case stays")
            << QStringList{"Movies", "TV"} << QStringList{"tv", "Movies"} << QList<int>{1} << 1
            << QStringList{"TV", "Movies"} << QStringList{"tv"};
        // Without a category list (nothing loaded yet) moving one back keeps the other, rather
        // than widening the filter to every category.
        QTest::newRow("unknown categories stay")
            << QStringList{} << QStringList{"A", "B", "C"} << QList<int>{1} << 1 << QStringList{"B"}
            << QStringList{"A", "C"};
        QTest::newRow("last unknown back")
            << QStringList{} << QStringList{"A"} << QList<int>{0} << 0 << QStringList{"A"}
            << QStringList{"All Categories"};
    }
    void moveToAvailable()
    {
        QFETCH(QList<int>, selected);
        QFETCH(int, current);
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, names);
        QFETCH(QStringList, filterCategories);
        QFETCH(QStringList, available);
        CategoryLists lists = CategoryLists::forFilter(names, filterCategories);
        lists.selectChosen(selected, current);
        const bool acts = current >= 0 && !selected.isEmpty();
        QCOMPARE(lists.moveToAvailable(), acts);
        QCOMPARE(lists.available(), available);
        QCOMPARE(lists.chosen(), chosen);
        QCOMPARE(lists.chosenEnabled(), !lists.showsAllCategories());
        if (acts && !lists.showsAllCategories()) {
            QCOMPARE(lists.chosenSelection(), QList<int>{0});
            QCOMPARE(lists.focus(), Focus::Chosen);
        }
    }

    void caseIsIgnored()
    {
        CategoryLists lists = CategoryLists::forFilter({"Movies", "TV", "Music"}, {"tv"});
        QCOMPARE(lists.available(), (QStringList{"Movies", "TV", "Music"}));
        lists.selectAvailable({0}, 0);
        QVERIFY(lists.moveToChosen());
        // "TV" goes with "tv" already chosen.
        QCOMPARE(lists.available(), QStringList{"Music"});
        QCOMPARE(lists.chosen(), (QStringList{"tv", "Movies"}));
        lists.selectChosen({0}, 0);
        QVERIFY(lists.moveToAvailable());
        QCOMPARE(lists.available(), (QStringList{"Music", "tv"}));
        // "TV" counts as available through "tv".
        QCOMPARE(lists.chosen(), QStringList{"Movies"});
    }

    void editWizardLists_data()
    {
        QTest::addColumn<QStringList>("filterCategories");
        QTest::addColumn<QStringList>("available");
        QTest::addColumn<QStringList>("chosen");
        QTest::newRow("every category")
            << QStringList{"*"} << Names << QStringList{"All Categories"};
        QTest::newRow("two of them")
            << QStringList{"Apps", "TV"} << QStringList{"Movies", "Music", "Games"}
            << QStringList{"Apps", "TV"};
        QTest::newRow("exact case only") << QStringList{"tv"} << Names << QStringList{"tv"};
        QTest::newRow("gone from the site")
            << QStringList{"Old", "Music"} << QStringList{"Movies", "TV", "Games", "Apps"}
            << QStringList{"Old", "Music"};
    }
    void editWizardLists()
    {
        QFETCH(QStringList, filterCategories);
        QFETCH(QStringList, available);
        QFETCH(QStringList, chosen);
        FilterTable table;
        table.append(filter(true, "Contains", "Notify", {"x"}, filterCategories));
        FilterWizardLogic wizard(Kind::Edit, &table, Names, 1);
        QCOMPARE(wizard.lists().available(), available);
        QCOMPARE(wizard.lists().chosen(), chosen);
        QCOMPARE(wizard.lists().chosenEnabled(), !wizard.lists().showsAllCategories());
        FilterWizardLogic::Controls controls = wizard.initialControls();
        QVERIFY(wizard.showstep(3, controls));
        QCOMPARE(wizard.pending().Categories, filterCategories);
    }

    void editControls_data()
    {
        QTest::addColumn<FilterRecord>("slot");
        QTest::addColumn<int>("matchOption");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("actionOption");
        QTest::addColumn<bool>("active");
        QTest::newRow("anything") << filter(true, "Contains", "Notify", {"*"}, {"*"}) << 1 << ""
                                  << 4 << true;
        QTest::newRow("two keywords")
            << filter(false, "Exactly Matches", "Download", {"Linux ISO", "x264"}, {"*"}) << 2
            << "Linux ISO AND x264" << 5 << false;
        QTest::newRow("star among others")
            << filter(true, "Does Not Contain", "Ignore", {"*", "cam"}, {"*"}) << 3 << "* AND cam"
            << 6 << true;
        QTest::newRow("unknown mode and action")
            << filter(true, "", "", {"x"}, {"*"}) << 3 << "x" << 6 << true;
        QTest::newRow("trailing empty keyword")
            << filter(true, "Contains", "Notify", {"x264", ""}, {"*"}) << 1 << "x264 AND " << 4
            << true;
    }
    // The edit wizard shows the slot, and saving it unchanged stores the same filters.dat.
    void editControls()
    {
        QFETCH(FilterRecord, slot);
        QFETCH(int, matchOption);
        QFETCH(QString, text);
        QFETCH(int, actionOption);
        QFETCH(bool, active);
        FilterTable table;
        table.append(filter(true, "Contains", "Notify", {"first"}, {"TV"}));
        table.append(slot);
        const QString before = table.serialize();
        FilterWizardLogic wizard(Kind::Edit, &table, Names, 2);
        FilterWizardLogic::Controls controls = wizard.initialControls();
        QCOMPARE(controls.matchOption, matchOption);
        QCOMPARE(controls.keywordText, text);
        QCOMPARE(controls.actionOption, actionOption);
        QCOMPARE(controls.active, active);
        for (int step = 1; step <= 4; ++step)
            QVERIFY(wizard.showstep(step, controls));
        QCOMPARE(wizard.storedSlot(), 2);
        QCOMPARE(table.count(), 2);
        // Unknown mode or action come back as the third option.
        if (!slot.MatchMode.isEmpty())
            QCOMPARE(table.serialize(), before);
        else
            QCOMPARE(table[2].Action, QStringLiteral("Ignore"));
    }

    // A whole add wizard: existing filters given by their enabled flags, then a new one.
    void addWizard_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<bool>("active");
        QTest::addColumn<bool>("switchesOn");
        QTest::newRow("first filter") << "" << true << true;
        QTest::newRow("first active beside a disabled one") << "0" << true << true;
        QTest::newRow("second active filter") << "1" << true << false;
        QTest::newRow("inactive new filter") << "" << false << false;
        QTest::newRow("inactive beside an active one") << "1" << false << false;
    }
    void addWizard()
    {
        QFETCH(QString, existing);
        QFETCH(bool, active);
        QFETCH(bool, switchesOn);
        FilterTable table;
        for (const QChar flag : existing)
            table.append(filter(flag == QLatin1Char('1'), "Contains", "Notify", {"old"}, {"*"}));
        const QString before = table.serialize();

        FilterWizardLogic wizard(Kind::Add, &table, Names);
        FilterWizardLogic::Controls controls = wizard.initialControls();
        QCOMPARE(controls.matchOption, 1);
        QCOMPARE(controls.actionOption, 4);
        QVERIFY(controls.active);
        QCOMPARE(FilterWizardLogic::caption(Kind::Add), QStringLiteral("Add Filter Wizard"));
        QVERIFY(wizard.showstep(1, controls));
        QCOMPARE(wizard.stepView().title, QStringLiteral("Step 1/3 - Specify Keywords"));
        QVERIFY(!wizard.stepView().backEnabled);
        controls.keywordText = QStringLiteral("x264");
        controls.matchOption = 2;
        QVERIFY(wizard.showstep(2, controls));
        QCOMPARE(wizard.stepView().title, QStringLiteral("Step 2/3 - Specify Categories"));
        wizard.lists().selectAvailable({2, 1}, 1);
        QVERIFY(wizard.lists().moveToChosen());
        QVERIFY(wizard.showstep(3, controls));
        QCOMPARE(wizard.stepView().title, QStringLiteral("Step 3/3 - Filter Options"));
        controls.actionOption = 5;
        controls.active = active;
        // Nothing is stored before the summary step.
        QCOMPARE(table.serialize(), before);

        QVERIFY(wizard.showstep(4, controls));
        const FilterWizardLogic::StepView view = wizard.stepView();
        QCOMPARE(view.title, QStringLiteral("Filter added"));
        QCOMPARE(view.explanation, QStringLiteral("You have successfully added a filter"));
        QCOMPARE(view.nextCaption, QStringLiteral("Finish"));
        QVERIFY(!view.backEnabled && !view.cancelEnabled);
        QCOMPARE(wizard.storedSlot(), existing.size() + 1);
        const QString line = (active ? QStringLiteral("1") : QStringLiteral("0")) +
                             QStringLiteral("21x264\r\nTV, Music\r\n");
        QCOMPARE(FilterTable::parse(table.serialize()).serialize(), before + line);
        const FilterWizardLogic::Summary summary = wizard.summary();
        QCOMPARE(summary.heading,
                 QStringLiteral("The following filter has been successfully added:"));
        QCOMPARE(summary.rule, QStringLiteral("Exactly Matches x264 in TV, Music"));
        QCOMPARE(summary.action, QStringLiteral("Notify and Download"));
        QCOMPARE(summary.status, active ? QStringLiteral("Active") : QStringLiteral("Inactive"));
        // Filtering is switched on by Finish, not before.
        QCOMPARE(m_env->store->ReadSettingNumber(QStringLiteral("filterenabled")), qint16(0));

        QVERIFY(wizard.showstep(5, controls, m_env->store.get()));
        QCOMPARE(wizard.switchedFilteringOn(), switchesOn);
        QCOMPARE(m_env->store->ReadSettingNumber(QStringLiteral("filterenabled")),
                 qint16(switchesOn ? 1 : 0));
        QCOMPARE(table.count(), existing.size() + 1);
    }

    // Going back to step 2 and forward again takes the latest input.
    void backAndForwardRecomputes()
    {
        FilterTable table;
        FilterWizardLogic wizard(Kind::Add, &table, Names);
        FilterWizardLogic::Controls controls;
        controls.keywordText = QStringLiteral("first");
        for (int step : {1, 2, 3})
            QVERIFY(wizard.showstep(step, controls));
        controls.keywordText = QStringLiteral("a.b AND c");
        controls.matchOption = 3;
        QVERIFY(wizard.showstep(2, controls));
        wizard.lists().selectAvailable({4}, 4);
        wizard.lists().moveToChosen();
        QVERIFY(wizard.showstep(3, controls));
        QVERIFY(!wizard.showstep(6, controls));
        QVERIFY(!wizard.showstep(0, controls));
        QCOMPARE(wizard.currentStep(), 3);
        QVERIFY(table.isEmpty());
        controls.actionOption = 6;
        QVERIFY(wizard.showstep(4, controls));
        QVERIFY(wizard.showstep(4, controls));
        QCOMPARE(table.serialize(), QStringLiteral("132a b&&c\r\nApps\r\n"));
    }

    void editWizardFinish_data()
    {
        QTest::addColumn<QString>("flags");
        QTest::addColumn<bool>("active");
        QTest::addColumn<bool>("switchesOn");
        QTest::newRow("the only active stays active") << "10" << true << true;
        QTest::newRow("edited into the only active") << "00" << true << true;
        QTest::newRow("switched off") << "10" << false << false;
        QTest::newRow("one of two active") << "11" << true << false;
    }
    void editWizardFinish()
    {
        QFETCH(QString, flags);
        QFETCH(bool, switchesOn);
        QFETCH(bool, active);
        FilterTable table;
        for (const QChar flag : flags)
            table.append(filter(flag == QLatin1Char('1'), "Contains", "Notify", {"*"}, {"*"}));
        FilterWizardLogic wizard(Kind::Edit, &table, Names, 1);
        FilterWizardLogic::Controls controls = wizard.initialControls();
        QCOMPARE(controls.keywordText, QString());
        controls.active = active;
        const QStringList titles{"Step 1/3 - Edit Keywords", "Step 2/3 - Edit Categories",
                                 "Step 3/3 - Filter Options", "Filter edited"};
        for (int step = 1; step <= 4; ++step) {
            QVERIFY(wizard.showstep(step, controls));
            QCOMPARE(wizard.stepView().title, titles[step - 1]);
        }
        QCOMPARE(wizard.summary().heading,
                 QStringLiteral("The following filter has been successfully edited:"));
        QCOMPARE(wizard.summary().rule, QStringLiteral("Contains anything in all categories"));
        QCOMPARE(table[1].Keywords, QStringList{"*"});
        QVERIFY(wizard.showstep(5, controls, m_env->store.get()));
        QCOMPARE(wizard.switchedFilteringOn(), switchesOn);
        QCOMPARE(m_env->store->ReadSettingNumber(QStringLiteral("filterenabled")),
                 qint16(switchesOn ? 1 : 0));
    }

    // Label shortening with a measure of `perChar` twips per character.
    void fitToWidth_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("perChar");
        QTest::addColumn<int>("kept");
        QTest::addColumn<bool>("dots");
        QTest::newRow("exactly the limit") << 41 << 100 << 41 << false;
        QTest::newRow("one over") << 42 << 100 << 41 << true;
        QTest::newRow("far over") << 90 << 100 << 41 << true;
        QTest::newRow("uneven width") << 46 << 90 << 45 << true;
        QTest::newRow("short") << 3 << 100 << 3 << false;
        QTest::newRow("wider than the limit per character") << 2 << 5000 << 0 << true;
    }
    void fitToWidth()
    {
        QFETCH(int, perChar);
        QFETCH(int, kept);
        QFETCH(int, length);
        QFETCH(bool, dots);
        const QString text = QString(length, QLatin1Char('x'));
        const QString fitted = FilterWizardLogic::fitToWidth(
            text, [perChar](const QString &s) { return int(s.size()) * perChar; });
        const QString expected = text.left(kept) + (dots ? QStringLiteral("...") : QString());
        QCOMPARE(fitted, expected);
    }
};

QTEST_GUILESS_MAIN(TestFilterWizardLogic)
#include "tst_filterwizardlogic.moc"

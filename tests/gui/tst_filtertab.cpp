#include "filters/FilterListController.h"
#include "filters/frmEditFilterWizard.h"
#include "MainWindowHarness.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionViewItem>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

namespace {

// Three enabled Contains filters a, b and c for all categories; Notify, Download, Ignore.
const QString ThreeFilters = QStringLiteral("110a\r\n*\r\n111b\r\n*\r\n112c\r\n*\r\n");

// The rule and category lines of the filters named by letters, as ThreeFilters has them.
QString fileOf(const QString &order)
{
    QString text;
    for (const QChar name : order) {
        const int code = QStringLiteral("abc").indexOf(name);
        text += QStringLiteral("11") + QString::number(code) + name + QStringLiteral("\r\n*\r\n");
    }
    return text;
}

} // namespace

using WidgetFinder::clickOption;
using WidgetFinder::control;
using WidgetFinder::entries;
using WidgetFinder::pickRows;

class TestFilterTab : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowHarness> m;

    // Starts the program with this filters.dat and stored switch, on the filter tab.
    void open(const QString &filtersDat, int filterEnabled)
    {
        if (!filtersDat.isEmpty())
            QVERIFY(ReplaceTextFileAtomically(m->env.file("filters.dat"), filtersDat));
        m->env.store->WriteSettingNumber("filterenabled", qint16(filterEnabled));
        QCOMPARE(m->startShown(), PollwickApp::LoadEnd::FirstStart);
        m->control<QTabWidget>("SSTab1")->setCurrentIndex(2);
        QCOMPARE(list()->topLevelItemCount(), m->state().Filters.count());
    }

    QWidget *tab() const { return m->control<QWidget>("tab_filters"); }
    QTreeWidget *list() const { return control<QTreeWidget>(tab(), "ListView1"); }
    QPushButton *button(const char *name) const { return control<QPushButton>(tab(), name); }
    QCheckBox *filtering() const { return control<QCheckBox>(tab(), "check_filter"); }
    bool applyEnabled() const { return m->control<QPushButton>("command_APPLY")->isEnabled(); }
    FilterListController &controller() const { return m->window()->filterList(); }
    QMenu *menu(const char *name) const { return m->control<QMenu>(name); }

    QPoint rowPoint(int row) const
    {
        return list()->visualRect(list()->model()->index(row - 1, 0)).center();
    }
    void clickRow(int row, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(list()->viewport(), button, modifiers, rowPoint(row));
    }
    void selectRows(const QList<int> &rows)
    {
        list()->clearSelection();
        bool first = true;
        for (int row : rows) {
            clickRow(row, Qt::LeftButton, first ? Qt::NoModifier : Qt::ControlModifier);
            first = false;
        }
        QCOMPARE(selectedRows(), rows);
    }
    // Where a user clicks a row's check box.
    QPoint checkBoxPoint(int row) const
    {
        QTreeWidgetItem *item = list()->topLevelItem(row - 1);
        QStyleOptionViewItem option;
        option.initFrom(list()->viewport());
        option.widget = list();
        option.rect = list()->visualRect(list()->model()->index(row - 1, 0));
        option.features =
            QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        option.text = item->text(0);
        option.checkState = item->checkState(0);
        return list()
            ->style()
            ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list())
            .center();
    }
    void clickCheckBox(int row)
    {
        const Qt::CheckState before = list()->topLevelItem(row - 1)->checkState(0);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, checkBoxPoint(row));
        // The filter changes and the list is rebuilt once the click has been handled.
        QTRY_COMPARE(m->state().Filters[row].Enabled, before != Qt::Checked);
        QCOMPARE(list()->topLevelItem(row - 1)->checkState(0),
                 before == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
    // A double click as the mouse sends it: a click, then the second press as a double click.
    void doubleClickRow(int row)
    {
        clickRow(row);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(row));
        // The wizard has disabled the main window by the time the button comes up.
        QTest::ignoreMessage(QtWarningMsg,
                             "Mouse event \"MouseRelease\" not accepted by receiving widget");
        QTest::mouseRelease(list()->viewport(), Qt::LeftButton, Qt::NoModifier, rowPoint(row));
    }
    QList<int> selectedRows() const
    {
        QList<int> rows;
        for (int i = 0; i < list()->topLevelItemCount(); ++i) {
            if (list()->topLevelItem(i)->isSelected())
                rows.append(i + 1);
        }
        return rows;
    }
    QStringList rowTexts() const
    {
        QStringList out;
        for (int i = 0; i < list()->topLevelItemCount(); ++i) {
            QTreeWidgetItem *item = list()->topLevelItem(i);
            out << (item->checkState(0) == Qt::Checked ? "[x] " : "[ ] ") + item->text(0) + " | " +
                       item->text(1);
        }
        return out;
    }
    void rightClickRow(int row)
    {
        clickRow(row, Qt::RightButton);
        QTRY_VERIFY(menu("mnuList")->isVisible());
    }
    QStringList menuEntries(QMenu *shown) const
    {
        QStringList out;
        for (QAction *a : shown->actions())
            out << (a->isSeparator() ? "-" + a->objectName() : a->objectName() + "=" + a->text());
        return out;
    }
    QString ticks() const
    {
        QString out;
        for (const char *name : {"mnuAction_Notify", "mnuAction_Download", "mnuAction_Ignore"})
            out += m->control<QAction>(name)->isChecked() ? QLatin1Char('x') : QLatin1Char('.');
        return out;
    }

    // The filter wizard on show.
    FilterWizardWindow *wizard() const { return controller().wizard(); }
    void next()
    {
        QTest::mouseClick(control<QPushButton>(wizard(), "command_next"), Qt::LeftButton);
    }

private slots:
    void init()
    {
        QLocale::setDefault(QLocale::c());
        m = std::make_unique<MainWindowHarness>();
        QVERIFY(m->ready());
    }
    void cleanup()
    {
        for (QMenu *shown : {menu("mnuList"), menu("mnuList2")}) {
            if (m->window() && shown->isVisible())
                shown->close();
        }
        const QString problems = m->problems();
        m.reset();
        QCOMPARE(problems, QString());
    }

    // "Move Up" and "Move Down" over three filters a, b, c: each click moves one row, also
    // with several rows selected, and a row at its end stays where it is, selected.
    void moveButtons_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QString>("direction");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QString>("order");
        QTest::addColumn<QList<int>>("selectedAfter");
        QTest::newRow("up from the middle") << QList<int>{2} << "up" << 1 << "bac" << QList<int>{1};
        QTest::newRow("up on the first row")
            << QList<int>{1} << "up" << 1 << "abc" << QList<int>{1};
        QTest::newRow("down from the first row")
            << QList<int>{1} << "down" << 1 << "bac" << QList<int>{2};
        QTest::newRow("down on the last row")
            << QList<int>{3} << "down" << 1 << "abc" << QList<int>{3};
        QTest::newRow("down twice, one row per click")
            << QList<int>{1} << "down" << 2 << "bca" << QList<int>{3};
        QTest::newRow("up with rows 2 and 3 selected")
            << QList<int>{2, 3} << "up" << 1 << "bac" << QList<int>{1};
        QTest::newRow("down with rows 1 and 2 selected")
            << QList<int>{1, 2} << "down" << 1 << "acb" << QList<int>{3};
        QTest::newRow("up with the first and the last row selected")
            << QList<int>{1, 3} << "up" << 1 << "acb" << QList<int>{2};
        QTest::newRow("down with all rows selected")
            << QList<int>{1, 2, 3} << "down" << 1 << "acb" << QList<int>{3};
    }
    void moveButtons()
    {
        QFETCH(QList<int>, selected);
        QFETCH(QString, direction);
        QFETCH(int, clicks);
        QFETCH(QString, order);
        QFETCH(QList<int>, selectedAfter);
        open(ThreeFilters, 1);
        QVERIFY(button("Command1")->isEnabled());
        selectRows(selected);
        for (int i = 0; i < clicks; ++i)
            QTest::mouseClick(button(direction == "up" ? "Command1" : "Command2"), Qt::LeftButton);
        QCOMPARE(m->filtersDat(), fileOf(order));
        QCOMPARE(selectedRows(), selectedAfter);
        QCOMPARE(list()->topLevelItem(0)->text(0),
                 QStringLiteral("Contains ") + order.at(0) + QStringLiteral(" in all categories"));
        QVERIFY(list()->hasFocus());
        QVERIFY(filtering()->isChecked());
        QVERIFY(!applyEnabled());
    }

    // The two messages of the move buttons.
    void moveMessages_data()
    {
        QTest::addColumn<QString>("filtersDat");
        QTest::addColumn<QString>("buttonName");
        QTest::addColumn<QString>("message");
        QTest::newRow("up, empty list") << ""
                                        << "Command1"
                                        << "Nothing to move!  ";
        QTest::newRow("down, empty list") << ""
                                          << "Command2"
                                          << "Nothing to move!  ";
        QTest::newRow("up, nothing selected") << ThreeFilters << "Command1"
                                              << "You must select a filter!  ";
        QTest::newRow("down, nothing selected") << ThreeFilters << "Command2"
                                                << "You must select a filter!  ";
    }
    void moveMessages()
    {
        QFETCH(QString, filtersDat);
        QFETCH(QString, buttonName);
        open(filtersDat, 1);
        QTest::mouseClick(button(qPrintable(buttonName)), Qt::LeftButton);
        const auto box = m->env.dialogs.take();
        QTEST(box.text, "message");
        QCOMPARE(box.caption, QStringLiteral("Pollwick"));
        QCOMPARE(box.icon, Dialogs::Information);
        QCOMPARE(m->filtersDat(), filtersDat);
    }

    // "Remove Filter" from a row's menu. Removing the last active filter unticks "Filter
    // Torrents?", which disables the list and the move buttons; the reload selects the same
    // row or the new last one.
    void removeFilter_data()
    {
        QTest::addColumn<QString>("filtersDat");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QList<int>>("selectedAfter");
        QTest::newRow("the only active filter") << "110a\r\n*\r\n010b\r\nTV\r\n"
                                                << 1 << "010b\r\nTV\r\n"
                                                << false << QList<int>{1};
        QTest::newRow("the only filter") << "111a\r\nTV, Music\r\n"
                                         << 1 << "" << false << QList<int>{};
        QTest::newRow("one of two active filters, the last row") << "110a\r\n*\r\n110b\r\n*\r\n"
                                                                 << 2 << "110a\r\n*\r\n"
                                                                 << true << QList<int>{1};
        QTest::newRow("a disabled filter beside an active one")
            << "010a\r\n*\r\n110b\r\n*\r\n110c\r\n*\r\n"
            << 1 << "110b\r\n*\r\n110c\r\n*\r\n"
            << true << QList<int>{1};
    }
    void removeFilter()
    {
        QFETCH(QString, filtersDat);
        QFETCH(int, row);
        QFETCH(bool, ticked);
        open(filtersDat, 1);
        QVERIFY(filtering()->isChecked());
        rightClickRow(row);
        QCOMPARE(controller().MenuSlot(), row);
        MainWindowHarness::chooseFromMenu(menu("mnuList"), {"Remove Filter"});
        QTEST(m->filtersDat(), "after");
        QCOMPARE(filtering()->isChecked(), ticked);
        QCOMPARE(list()->isEnabled(), ticked);
        QCOMPARE(button("Command1")->isEnabled(), ticked);
        QCOMPARE(button("Command2")->isEnabled(), ticked);
        QCOMPARE(applyEnabled(), !ticked);
        QTEST(selectedRows(), "selectedAfter");
        QCOMPARE(list()->topLevelItemCount(), m->state().Filters.count());
    }

    // A row's check box switches its filter; clearing the last active one unticks "Filter
    // Torrents?". No row is selected afterwards.
    void rowCheckBox_data()
    {
        QTest::addColumn<QString>("filtersDat");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("clearing the last active filter") << "110a\r\n*\r\n011b\r\nTV\r\n"
                                                         << 1 << "010a\r\n*\r\n011b\r\nTV\r\n"
                                                         << false;
        QTest::newRow("clearing one of two active filters") << "110a\r\n*\r\n111b\r\nTV\r\n"
                                                            << 2 << "110a\r\n*\r\n011b\r\nTV\r\n"
                                                            << true;
        QTest::newRow("ticking a disabled filter") << "110a\r\n*\r\n011b\r\nTV\r\n"
                                                   << 2 << "110a\r\n*\r\n111b\r\nTV\r\n"
                                                   << true;
    }
    void rowCheckBox()
    {
        QFETCH(QString, filtersDat);
        QFETCH(int, row);
        QFETCH(bool, ticked);
        open(filtersDat, 1);
        selectRows({1});
        clickCheckBox(row);
        QTEST(m->filtersDat(), "after");
        QCOMPARE(filtering()->isChecked(), ticked);
        QCOMPARE(list()->isEnabled(), ticked);
        QCOMPARE(applyEnabled(), !ticked);
        QCOMPARE(selectedRows(), QList<int>{});
    }

    // "Filter Torrents?" as the user sets it is kept by the reloads that follow list changes
    // until the options are applied; only the start-up load takes the stored value.
    void switchNotAppliedSurvivesReloads()
    {
        open(ThreeFilters, 0);
        QVERIFY(!filtering()->isChecked());
        clickOption(filtering());
        QVERIFY(filtering()->isChecked());
        QVERIFY(list()->isEnabled());
        selectRows({2});
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        QCOMPARE(m->filtersDat(), fileOf("bac"));
        QVERIFY(filtering()->isChecked());
        QVERIFY(list()->isEnabled());
        QVERIFY(applyEnabled());

        // Switched off again by the user: an added filter does not switch it back on.
        clickOption(filtering());
        QVERIFY(!list()->isEnabled());
        QTest::mouseClick(button("command_addfilter"), Qt::LeftButton);
        QTest::keyClicks(control<QLineEdit>(wizard(), "Text1"), QStringLiteral("d"));
        next();
        next();
        next();
        QCOMPARE(m->filtersDat(), fileOf("bac") + QStringLiteral("110d\r\n*\r\n"));
        QVERIFY(!filtering()->isChecked());
        QPointer<FilterWizardWindow> w = wizard();
        next();
        QTRY_VERIFY(!w);
        QVERIFY(!filtering()->isChecked());
        QCOMPARE(m->env.store->ReadSettingNumber("filterenabled"), qint16(0));
        // Applied, the stored switch follows the box.
        clickOption(filtering());
        QTest::mouseClick(m->control<QPushButton>("command_APPLY"), Qt::LeftButton);
        QCOMPARE(m->env.store->ReadSettingNumber("filterenabled"), qint16(1));
    }

    // A right click on an empty list offers only "Add New"; on a row, the full menu.
    void emptyListMenu()
    {
        open(QString(), 0);
        QVERIFY(list()->isEnabled());
        QTest::mouseClick(list()->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
        QTRY_VERIFY(menu("mnuList2")->isVisible());
        QVERIFY(!menu("mnuList")->isVisible());
        QCOMPARE(menu("mnuList2")->title(), QStringLiteral("ListMenu2"));
        QCOMPARE(menuEntries(menu("mnuList2")), QStringList{"mnuAddFilter2=Add New"});
        menu("mnuList2")->close();
        // A left click on the empty list opens nothing.
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
        QVERIFY(!menu("mnuList2")->isVisible());
        QCOMPARE(controller().LastButton(), 1);
    }

    // The row menu ticks the action of its filter in "Change Action"; an action that is none
    // of the three leaves the ticks of the menu before.
    void rowMenu_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QString>("ticks");
        QTest::newRow("Notify") << QList<int>{1} << "x..";
        QTest::newRow("Download") << QList<int>{2} << ".x.";
        QTest::newRow("Ignore") << QList<int>{3} << "..x";
        QTest::newRow("unknown action after Download") << QList<int>{2, 4} << ".x.";
    }
    void rowMenu()
    {
        QFETCH(QList<int>, rows);
        open(ThreeFilters + QStringLiteral("119d\r\n*\r\n"), 1);
        for (int row : rows) {
            rightClickRow(row);
            QCOMPARE(controller().MenuSlot(), row);
            QCOMPARE(controller().CurrentItem(), row);
            QCOMPARE(controller().LastButton(), 0);
            if (row != rows.last())
                menu("mnuList")->close();
        }
        QMenu *shown = menu("mnuList");
        QVERIFY(!menu("mnuList2")->isVisible());
        QCOMPARE(shown->title(), QStringLiteral("ListMenu"));
        QCOMPARE(menuEntries(shown),
                 (QStringList{"mnuEditFilter=Edit Filter", "mnuChangeAction=Change Action",
                              "mnuRemFilter=Remove Filter", "-Spacer2", "mnuAddFilter=Add New"}));
        QCOMPARE(menuEntries(m->control<QMenu>("mnuChangeAction")),
                 (QStringList{"mnuAction_Notify=Notify", "mnuAction_Download=Download",
                              "mnuAction_Ignore=Ignore"}));
        QTEST(ticks(), "ticks");
    }

    // "Change Action" stores the action and keeps the row selected.
    void changeAction_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("after");
        QTest::newRow("Notify to Download") << 1 << "Download"
                                            << "111a\r\n*\r\n111b\r\n*\r\n112c\r\n*\r\n";
        QTest::newRow("Download to Ignore") << 2 << "Ignore"
                                            << "110a\r\n*\r\n112b\r\n*\r\n112c\r\n*\r\n";
        QTest::newRow("Ignore to Notify, last row") << 3 << "Notify"
                                                    << "110a\r\n*\r\n111b\r\n*\r\n110c\r\n*\r\n";
        QTest::newRow("the same action") << 2 << "Download" << ThreeFilters;
    }
    void changeAction()
    {
        QFETCH(int, row);
        QFETCH(QString, action);
        open(ThreeFilters, 1);
        rightClickRow(row);
        MainWindowHarness::chooseFromMenu(menu("mnuList"), {"Change Action", action});
        QTEST(m->filtersDat(), "after");
        QCOMPARE(list()->topLevelItem(row - 1)->text(1), action);
        QCOMPARE(selectedRows(), QList<int>{row});
        QCOMPARE(controller().MenuSlot(), row);
        QVERIFY(!menu("mnuList")->isVisible());
    }

    // "Add New" from the button and from both menus opens the add wizard; the main window is
    // disabled while it is open and enabled again when it closes. Cancel stores nothing.
    void addNew_data()
    {
        QTest::addColumn<QString>("from");
        QTest::newRow("button") << "button";
        QTest::newRow("row menu") << "mnuList";
        QTest::newRow("empty list menu") << "mnuList2";
    }
    void addNew()
    {
        QFETCH(QString, from);
        const QString filtersDat = from == "mnuList2" ? QString() : ThreeFilters;
        open(filtersDat, 1);
        if (from == "button") {
            QTest::mouseClick(button("command_addfilter"), Qt::LeftButton);
        } else if (from == "mnuList") {
            rightClickRow(2);
            MainWindowHarness::chooseFromMenu(menu("mnuList"), {"Add New"});
        } else {
            QTest::mouseClick(list()->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(9, 9));
            MainWindowHarness::chooseFromMenu(menu("mnuList2"), {"Add New"});
        }
        QPointer<FilterWizardWindow> w = wizard();
        QVERIFY(w);
        QVERIFY(w->isVisible());
        QCOMPARE(w->objectName(), QStringLiteral("frmAddFilterWizard"));
        QCOMPARE(w->parentWidget(), m->window());
        QVERIFY(!w->isModal());
        QVERIFY(!m->window()->isEnabled());
        QVERIFY(w->isEnabled());
        // The tray menu stays usable while the main window is disabled: Exit works.
        QVERIFY(m->window()->mnuFile()->isEnabled());
        QVERIFY(m->control<QAction>("mnuExit")->isEnabled());
        // A second "Add New" cannot come from the disabled window; asked for anyway, the open
        // wizard stays the only one.
        controller().addfilter();
        QCOMPARE(wizard(), w.data());
        QTest::mouseClick(control<QPushButton>(w, "command_cancel"), Qt::LeftButton);
        QTRY_VERIFY(!w);
        QVERIFY(m->window()->isEnabled());
        QCOMPARE(m->filtersDat(), filtersDat);
    }

    // The edit wizard from "Edit Filter" and from a double click on a row, filled from that
    // row's filter; what it stores replaces the slot.
    void editFilter_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("row");
        QTest::newRow("menu, first row") << "menu" << 1;
        QTest::newRow("menu, last row") << "menu" << 3;
        QTest::newRow("double click") << "double click" << 2;
    }
    void editFilter()
    {
        QFETCH(QString, from);
        QFETCH(int, row);
        open(QStringLiteral("110a\r\n*\r\n111b AND c\r\nTV, Music\r\n012*\r\n*\r\n"), 1);
        if (from == "menu") {
            rightClickRow(row);
            MainWindowHarness::chooseFromMenu(menu("mnuList"), {"Edit Filter"});
        } else {
            doubleClickRow(row);
        }
        QPointer<FilterWizardWindow> w = wizard();
        QVERIFY(w);
        QCOMPARE(w->objectName(), QStringLiteral("frmEditFilterWizard"));
        QCOMPARE(qobject_cast<frmEditFilterWizard *>(w.data())->EditIndex(), qint16(row));
        QVERIFY(!m->window()->isEnabled());
        const QString keywords[] = {"a", "b AND c", ""};
        QCOMPARE(control<QLineEdit>(w, "Text1")->text(), keywords[row - 1]);

        QLineEdit *text1 = control<QLineEdit>(w, "Text1");
        text1->selectAll();
        QTest::keyClicks(text1, QStringLiteral("new.one"));
        next();
        next();
        next();
        const QString rules[] = {"110new one\r\n*\r\n", "111new one\r\nTV, Music\r\n",
                                 "012new one\r\n*\r\n"};
        const QString lines[] = {"110a\r\n*\r\n", "111b AND c\r\nTV, Music\r\n", "012*\r\n*\r\n"};
        QString expected;
        for (int i = 0; i < 3; ++i)
            expected += i == row - 1 ? rules[i] : lines[i];
        QCOMPARE(m->filtersDat(), expected);
        QCOMPARE(selectedRows(), QList<int>{row});
        QVERIFY(list()->topLevelItem(row - 1)->text(0).contains(" new one in "));
        next();
        QTRY_VERIFY(!w);
        QVERIFY(m->window()->isEnabled());
    }

    // The whole life of one filter as a new user goes through it, with filters.dat after each
    // step and a check against the site honouring the filter as it then is.
    void filterLifeAgainstTheSite()
    {
        open(QStringLiteral("110linux\r\n*\r\n"), 1);
        const QString linux = QStringLiteral("110linux\r\n*\r\n");

        // Add: "Contains" x264 in two categories, "Notify and Download".
        QTest::mouseClick(button("command_addfilter"), Qt::LeftButton);
        QPointer<FilterWizardWindow> w = wizard();
        QVERIFY(!m->window()->isEnabled());
        QTest::keyClicks(control<QLineEdit>(w, "Text1"), QStringLiteral("x264"));
        QVERIFY(control<QRadioButton>(w, "Option1")->isChecked());
        next();
        QListWidget *list1 = control<QListWidget>(w, "List1");
        const int xvid = int(entries(list1).indexOf("Movies/XviD"));
        const int anime = int(entries(list1).indexOf("Anime"));
        QVERIFY(xvid >= 0 && anime >= 0);
        pickRows(list1, {xvid, anime});
        QTest::mouseClick(control<QPushButton>(w, "Command1"), Qt::LeftButton);
        QCOMPARE(entries(control<QListWidget>(w, "List2")), (QStringList{"Anime", "Movies/XviD"}));
        next();
        clickOption(control<QRadioButton>(w, "Option5"));
        next();
        const QString x264 = QStringLiteral("111x264\r\nAnime, Movies/XviD\r\n");
        QCOMPARE(m->filtersDat(), linux + x264);
        next();
        QTRY_VERIFY(!w);
        QVERIFY(m->window()->isEnabled());

        // It is in the list, selected, and the next check downloads a matching torrent.
        QCOMPARE(rowTexts(), (QStringList{"[x] Contains linux in all categories | Notify",
                                          "[x] Contains x264 in Anime, Movies/XviD | Download"}));
        QCOMPARE(selectedRows(), QList<int>{2});
        QCOMPARE(check({{"Night.Train.2024.1080p.x264-GRP", "Movies/XviD"},
                        {"Night.Train.2024.1080p.x264-GRP", "Music"},
                        {"Other.Night.720p.XviD", "Movies/XviD"}}),
                 QStringList{"2 Night Train 2024 1080p x264-GRP downloaded"});
        // The download runs in its own minimised window and fetches the file from the site.
        QCOMPARE(MainWindowHarness::downloadWindows(), 1);
        QTRY_COMPARE(m->site.requestsTo(QStringLiteral("/download.php")).size(), 1);
        QCOMPARE(m->site.requestsTo(QStringLiteral("/download.php")).first().target,
                 QByteArray("/download.php?id=") +
                     QByteArray::number(m->site.catalogue().lastId() - 2));
        QTRY_COMPARE(MainWindowHarness::downloadWindows(), 0);

        // Moved to the top.
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        QCOMPARE(m->filtersDat(), x264 + linux);
        QCOMPARE(selectedRows(), QList<int>{1});

        // Its action changed to "Notify" from the row's menu: reported, not downloaded.
        rightClickRow(1);
        QCOMPARE(ticks(), QStringLiteral(".x."));
        MainWindowHarness::chooseFromMenu(menu("mnuList"), {"Change Action", "Notify"});
        const QString x264notify = QStringLiteral("110x264\r\nAnime, Movies/XviD\r\n");
        QCOMPARE(m->filtersDat(), x264notify + linux);
        QCOMPARE(selectedRows(), QList<int>{1});
        QCOMPARE(check({{"Night.Train.2024.2160p.x264-GRP", "Anime"}}),
                 QStringList{"1 Night Train 2024 2160p x264-GRP"});
        QCOMPARE(MainWindowHarness::downloadWindows(), 0);
        QCOMPARE(m->site.requestsTo(QStringLiteral("/download.php")).size(), 1);

        // Edited by a double click: both x264 and 1080p.
        doubleClickRow(1);
        w = wizard();
        QVERIFY(w);
        QCOMPARE(control<QLineEdit>(w, "Text1")->text(), QStringLiteral("x264"));
        QTest::keyClicks(control<QLineEdit>(w, "Text1"), QStringLiteral(" AND 1080p"));
        next();
        next();
        next();
        const QString edited = QStringLiteral("110x264&&1080p\r\nAnime, Movies/XviD\r\n");
        QCOMPARE(m->filtersDat(), edited + linux);
        next();
        QTRY_VERIFY(!w);
        QCOMPARE(list()->topLevelItem(0)->text(0),
                 QStringLiteral("Contains x264 AND 1080p in Anime, Movies/XviD"));
        QCOMPARE(check({{"Late.Show.720p.x264", "Anime"}, {"Late.Show.1080p.x264", "Anime"}}),
                 QStringList{"1 Late Show 1080p x264"});

        // Disabled with its box: the other filter stays active, so filtering stays on.
        clickCheckBox(1);
        QCOMPARE(m->filtersDat(),
                 QStringLiteral("010x264&&1080p\r\nAnime, Movies/XviD\r\n") + linux);
        QVERIFY(filtering()->isChecked());
        QCOMPARE(selectedRows(), QList<int>{});
        QCOMPARE(check({{"Late.Show.1080p.x264.REPACK", "Anime"}}), QStringList{});

        // Removed from its menu.
        rightClickRow(1);
        MainWindowHarness::chooseFromMenu(menu("mnuList"), {"Remove Filter"});
        QCOMPARE(m->filtersDat(), linux);
        QCOMPARE(rowTexts(), QStringList{"[x] Contains linux in all categories | Notify"});
        QCOMPARE(check({{"Late.Show.1080p.x264.PROPER", "Anime"}, {"Some.linux.iso", "Appz/misc"}}),
                 QStringList{"1 Some linux iso"});
    }

private:
    // Adds these uploads (name, category) to the site after everything the program has seen,
    // runs a check from the tray menu and gives the results: the filter slot, the name, and
    // " downloaded" when a download was started.
    QStringList check(const QList<QPair<QString, QString>> &uploads)
    {
        m->env.store->WriteSettingText("lastparsed", QString::number(m->site.catalogue().lastId()));
        for (const auto &upload : uploads)
            m->site.catalogue().addTorrent(upload.first, upload.second, 1000);
        m->state().results.clear();
        m->control<QAction>("mnuCheck")->trigger();
        QStringList out;
        for (const MatchRecord &r : m->state().results)
            out << QString::number(r.FilterIndex) + " " + r.Name +
                       (r.Downloaded > 0 ? QStringLiteral(" downloaded") : QString());
        return out;
    }
};

QTEST_MAIN(TestFilterTab)
#include "tst_filtertab.moc"

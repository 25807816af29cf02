#include "filters/FilterListController.h"
#include "filters/FilterWizardWindow.h"
#include "MainWindowHarness.h"

#include <QComboBox>
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

using WidgetFinder::clickOption;
using WidgetFinder::control;
using WidgetFinder::entries;
using WidgetFinder::pickRows;

class TestFilterTab : public MainWindowTest
{
    Q_OBJECT

    QWidget *tab() const { return m->control<QWidget>("tab_filters"); }
    QTreeWidget *list() const { return control<QTreeWidget>(tab(), "ListView1"); }
    QPushButton *button(const char *name) const { return control<QPushButton>(tab(), name); }
    QCheckBox *filtering() const { return control<QCheckBox>(tab(), "check_filter"); }
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
    void rightClickRow(int row)
    {
        clickRow(row, Qt::RightButton);
        QTRY_VERIFY(menu("mnuList")->isVisible());
    }
    // The filter wizard on show.
    FilterWizardWindow *wizard() const { return controller().wizard(); }
    void next()
    {
        QTest::mouseClick(control<QPushButton>(wizard(), "command_next"), Qt::LeftButton);
    }

private slots:
    void cleanup()
    {
        for (QMenu *shown : {menu("mnuList"), menu("mnuList2")}) {
            if (m->window() && shown->isVisible())
                shown->close();
        }
        MainWindowTest::cleanup();
    }

    // The whole life of filters as a new user goes through it, with filters.dat after each
    // step and a check against the site honouring the filters as they then are.
    void filterLifeAgainstTheSite()
    {
        // A new user with no filters, on the filter tab.
        QCOMPARE(m->startShown(), PollwickApp::LoadEnd::FirstStart);
        m->control<QTabWidget>("SSTab1")->setCurrentIndex(2);
        const QString linux = QStringLiteral("110linux\r\n*\r\n");

        // On the empty list the menu with only "Add New" comes up. The wizard disables the main
        // window but not the tray menu, and stays the only one; its Finish ticks "Filter
        // Torrents?" for the first active filter.
        QTest::mouseClick(list()->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
        QTRY_VERIFY(menu("mnuList2")->isVisible());
        MainWindowHarness::chooseFromMenu(menu("mnuList2"), {"Add New"});
        QPointer<FilterWizardWindow> w = wizard();
        QVERIFY(m->window()->mnuFile()->isEnabled());
        controller().addfilter();
        QCOMPARE(wizard(), w.data());
        QTest::keyClicks(control<QLineEdit>(w, "Text1"), QStringLiteral("linux"));
        for (int step = 1; step <= 4; ++step)
            next();
        QTRY_VERIFY(!w);
        QCOMPARE(m->filtersDat(), linux);
        QVERIFY(filtering()->isChecked() && list()->isEnabled());
        QVERIFY(m->control<QPushButton>("command_APPLY")->isEnabled());

        // Add "Contains" x264 in two categories, "Notify and Download", with "Filter
        // Torrents?" switched off and not applied: the reload keeps the switch as it is.
        clickOption(filtering());
        QTest::mouseClick(button("command_addfilter"), Qt::LeftButton);
        w = wizard();
        QVERIFY(!m->window()->isEnabled());
        QTest::keyClicks(control<QLineEdit>(w, "Text1"), QStringLiteral("x264"));
        next();
        QListWidget *list1 = control<QListWidget>(w, "List1");
        const int xvid = int(entries(list1).indexOf("Movies/XviD"));
        const int anime = int(entries(list1).indexOf("Anime"));
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
        QVERIFY(!filtering()->isChecked());
        clickOption(filtering());

        // It is in the list, selected, and the next check downloads a matching torrent.
        QCOMPARE(list()->topLevelItem(1)->text(0),
                 QStringLiteral("Contains x264 in Anime, Movies/XviD"));
        QCOMPARE(list()->topLevelItem(1)->text(1), QStringLiteral("Download"));
        QCOMPARE(selectedRows(), QList<int>{2});
        QCOMPARE(check({{"Night.Train.2024.1080p.x264-GRP", "Movies/XviD"},
                        {"Night.Train.2024.1080p.x264-GRP", "Music"},
                        {"Other.Night.720p.XviD", "Movies/XviD"}}),
                 QStringList{"2 Night Train 2024 1080p x264-GRP downloaded"});
        // The download fetches the file from the site.
        QTRY_COMPARE(m->site.requestsTo(QStringLiteral("/download.php")).size(), 1);
        QTRY_COMPARE(MainWindowHarness::downloadWindows(), 0);

        // Moved to the top: with both rows selected, only the one that can move moves.
        clickRow(1, Qt::LeftButton, Qt::ControlModifier);
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        QCOMPARE(m->filtersDat(), x264 + linux);
        QCOMPARE(selectedRows(), QList<int>{1});
        QCOMPARE(m->window()->focusWidget(), list());

        // Its action changed to "Notify" from the row's menu: reported, not downloaded.
        rightClickRow(1);
        QVERIFY(m->control<QAction>("mnuAction_Download")->isChecked());
        QVERIFY(!m->control<QAction>("mnuAction_Notify")->isChecked());
        MainWindowHarness::chooseFromMenu(menu("mnuList"), {"Change Action", "Notify"});
        const QString x264notify = QStringLiteral("110x264\r\nAnime, Movies/XviD\r\n");
        QCOMPARE(m->filtersDat(), x264notify + linux);
        QCOMPARE(selectedRows(), QList<int>{1});
        QCOMPARE(check({{"Night.Train.2024.2160p.x264-GRP", "Anime"}}),
                 QStringList{"1 Night Train 2024 2160p x264-GRP"});
        QCOMPARE(m->site.requestsTo(QStringLiteral("/download.php")).size(), 1);

        // "Edit Filter" and "Add New" from its menu open their wizards; cancelled, they
        // change nothing.
        for (const QString entry : {"Edit Filter", "Add New"}) {
            rightClickRow(1);
            QVERIFY(m->control<QAction>("mnuAction_Notify")->isChecked());
            QVERIFY(!m->control<QAction>("mnuAction_Download")->isChecked());
            MainWindowHarness::chooseFromMenu(menu("mnuList"), {entry});
            w = wizard();
            QCOMPARE(control<QLineEdit>(w, "Text1")->text(),
                     QString(entry == "Add New" ? "" : "x264"));
            QTest::mouseClick(control<QPushButton>(w, "command_cancel"), Qt::LeftButton);
            QTRY_VERIFY(!w);
        }
        QCOMPARE(m->filtersDat(), x264notify + linux);

        // Edited by a double click: both x264 and 1080p.
        doubleClickRow(1);
        w = wizard();
        QCOMPARE(control<QLineEdit>(w, "Text1")->text(), QStringLiteral("x264"));
        QTest::keyClicks(control<QLineEdit>(w, "Text1"), QStringLiteral(" AND 1080p"));
        for (int step = 1; step <= 3; ++step)
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
        QTest::mouseClick(button("Command2"), Qt::LeftButton);
        QCOMPARE(m->env.dialogs.take().text, QStringLiteral("You must select a filter!  "));

        // Moved to the bottom, and removed from its menu: the reload selects the new last row.
        clickRow(1);
        QTest::mouseClick(button("Command2"), Qt::LeftButton);
        QCOMPARE(m->filtersDat(),
                 linux + QStringLiteral("010x264&&1080p\r\nAnime, Movies/XviD\r\n"));
        rightClickRow(2);
        MainWindowHarness::chooseFromMenu(menu("mnuList"), {"Remove Filter"});
        QCOMPARE(m->filtersDat(), linux);
        QCOMPARE(selectedRows(), QList<int>{1});
        QCOMPARE(check({{"Late.Show.1080p.x264.PROPER", "Anime"}, {"Some.linux.iso", "Appz/misc"}}),
                 QStringList{"1 Some linux iso"});

        // The last active filter removed: filtering goes off, and filters.dat holds nothing.
        rightClickRow(1);
        MainWindowHarness::chooseFromMenu(menu("mnuList"), {"Remove Filter"});
        QCOMPARE(m->filtersDat(), QString());
        QCOMPARE(list()->topLevelItemCount(), 0);
        QVERIFY(!filtering()->isChecked() && !list()->isEnabled());
        QVERIFY(!button("Command1")->isEnabled() && !button("Command2")->isEnabled());
    }

    // "x264, at most 8 GB, Download" from the wizard: its preview counts the torrents within
    // the limit, a check downloads only those, and the limit stays with the filter after a
    // restart (moves keep it: tst_filterfile). A limits file damaged behind the program's back
    // is set aside.
    void sizeLimitedDownloadFilter()
    {
        QCOMPARE(m->startShown(), PollwickApp::LoadEnd::FirstStart);
        m->control<QTabWidget>("SSTab1")->setCurrentIndex(2);
        QVERIFY(ReplaceFileAtomically(m->env.file("torrents.db"),
                                      "1\t4294967296\tTV\t1\tA.x264\ta.torrent\r\n"
                                      "2\t8589934592\tTV\t1\tB.x264\tb.torrent\r\n"
                                      "3\t8589934593\tTV\t1\tC.x264\tc.torrent\r\n"
                                      "4\t1000\tTV\t1\tD.XviD\td.torrent\r\n"));
        controller().addfilter();
        QPointer<FilterWizardWindow> w = wizard();
        QTest::keyClicks(control<QLineEdit>(w, "Text1"), QStringLiteral("x264"));
        w->onTmrPreviewTick();
        // Typing a size restarts the pause as typing keywords does.
        QTest::keyClicks(control<QLineEdit>(w, "text_maxsize"), QStringLiteral("8"));
        QVERIFY(w->tmrPreview().isActive());
        w->onTmrPreviewTick();
        QLabel *preview = control<QLabel>(w, "info_preview");
        QCOMPARE(preview->text(), QStringLiteral("Would have matched 2 of the newest 4 torrents"));
        // The unit counts at once: at most 8 MB takes none of them.
        QComboBox *unit = control<QComboBox>(w, "combo_maxunit");
        unit->setFocus();
        QTest::keyClick(unit, Qt::Key_Up);
        QCOMPARE(preview->text(), QStringLiteral("Would have matched 0 of the newest 4 torrents"));
        QTest::keyClick(unit, Qt::Key_Down);
        next();
        next();
        clickOption(control<QRadioButton>(w, "Option5"));
        next();
        next();
        QTRY_VERIFY(!w);
        const QString limit = QStringLiteral("\t8 GB\t1\t11x264\t*\r\n");
        QCOMPARE(m->filtersDat(), QStringLiteral("111x264\r\n*\r\n"));
        QCOMPARE(ReadTextFile(m->env.file("filterlimits.dat")), limit);
        const QList<QPair<QString, qint64>> uploads{{"Fits.x264", 8589934592},
                                                    {"Too.Big.x264", 8589934593}};
        QCOMPARE(check({}, uploads), QStringList{"1 Fits x264 downloaded"});
        QTRY_COMPARE(MainWindowHarness::downloadWindows(), 0);

        // A restart.
        m->app.reset();
        m->makeApp();
        QCOMPARE(m->app->start(), PollwickApp::LoadEnd::NormalStart);
        QCOMPARE(list()->topLevelItem(0)->text(0),
                 QStringLiteral("Contains x264 in all categories at most 8 GB"));
        QCOMPARE(check({}, uploads), QStringList{"1 Fits x264 downloaded"});
        QTRY_COMPARE(MainWindowHarness::downloadWindows(), 0);

        // filters.dat changed while the program was not running: the limit whose filter is
        // gone is dropped with a log line, the other filter keeps none.
        QVERIFY(ReplaceFileAtomically(m->env.file("filters.dat"), "110linux\r\n*\r\n"));
        m->app.reset();
        m->makeApp();
        QCOMPARE(m->app->start(), PollwickApp::LoadEnd::NormalStart);
        QCOMPARE(m->messages().filter("Size limit dropped").size(), 1);
        QCOMPARE(list()->topLevelItem(0)->text(0),
                 QStringLiteral("Contains linux in all categories"));
        QVERIFY(ReplaceFileAtomically(m->env.file("filters.dat"), "111x264\r\n*\r\n"));

        // Damaged while the program was not running: set aside with the stored files' notice
        // at the next start; the filter stays, without limit.
        const QString limits = m->env.file("filterlimits.dat");
        QVERIFY(ReplaceFileAtomically(limits, "8 GB\t\t1\r\n"));
        m->app.reset();
        m->makeApp();
        QCOMPARE(m->app->start(), PollwickApp::LoadEnd::NormalStart);
        const ScriptedDialogs::Shown box = m->env.dialogs.take();
        QCOMPARE(box.text, "filterlimits.dat could not be read; kept as " + limits + ".bad");
        QCOMPARE(box.icon, Dialogs::Information);
        QVERIFY(m->messages().contains(box.text));
        QCOMPARE(list()->topLevelItem(0)->text(0),
                 QStringLiteral("Contains x264 in all categories"));
    }

private:
    // Adds these uploads (name, category) to the site after everything the program has seen,
    // runs a check from the tray menu and gives the results: the filter slot, the name, and
    // " downloaded" when a download was started.
    // Sized uploads (name, size in bytes) come after them, in the category TV.
    QStringList check(const QList<QPair<QString, QString>> &uploads,
                      const QList<QPair<QString, qint64>> &sized = {})
    {
        m->env.store->WriteSettingText("lastparsed", QString::number(m->site.catalogue().lastId()));
        for (const auto &upload : uploads)
            m->site.catalogue().addTorrent(upload.first, upload.second, 1000);
        for (const auto &upload : sized)
            m->site.catalogue().addTorrent(upload.first, QStringLiteral("TV"), upload.second);
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

#include "core/ProgramState.h"
#include "filters/frmAddFilterWizard.h"
#include "filters/frmEditFilterWizard.h"
#include "platform/TextUtils.h"
#include "platform/WindowHelpers.h"
#include "platform/WindowPlacement.h"
#include "TestEnv.h"
#include "WidgetFinder.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

const QStringList Categories{"Movies", "TV", "Music", "Games", "Apps"};

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

using namespace WidgetFinder;

class TestFilterWizards : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<ProgramState> m_state;
    std::unique_ptr<QWidget> m_main;
    QList<qint16> m_reloads;
    int m_ticks = 0;

    QString filtersFile() const { return m_env->file(QStringLiteral("filters.dat")); }

    // The main window's side: savefilters writes filters.dat atomically, loadfilters reads it
    // back into the table, and ticking "Filter Torrents?" is counted.
    FilterWizardWindow::Hooks hooks()
    {
        FilterWizardWindow::Hooks h;
        h.reloadFilters = [this](qint16 select) {
            QString error;
            QVERIFY2(ReplaceTextFileAtomically(filtersFile(), m_state->Filters.serialize(), &error),
                     qPrintable(error));
            m_state->Filters = FilterTable::parse(ReadTextFile(filtersFile()));
            m_reloads.append(select);
        };
        h.setFilteringTicked = [this] { ++m_ticks; };
        return h;
    }

    QPointer<FilterWizardWindow> openAdd()
    {
        QPointer<FilterWizardWindow> w =
            new frmAddFilterWizard(m_env->services, *m_state, m_main.get(), hooks());
        w->showOverOwner();
        return w;
    }

    QPointer<FilterWizardWindow> openEdit(qint16 slot)
    {
        QPointer<FilterWizardWindow> w =
            new frmEditFilterWizard(m_env->services, *m_state, m_main.get(), slot, hooks());
        w->showOverOwner();
        return w;
    }

    void seedFilters(const QList<FilterRecord> &filters)
    {
        for (const FilterRecord &f : filters)
            m_state->Filters.append(f);
        QVERIFY(ReplaceTextFileAtomically(filtersFile(), m_state->Filters.serialize()));
    }

    static void next(QWidget *w)
    {
        QTest::mouseClick(control<QPushButton>(w, "command_next"), Qt::LeftButton);
    }

    static int visibleStep(QWidget *w)
    {
        int shown = 0;
        for (int i = 1; i <= 4; ++i) {
            if (control<QFrame>(w, qPrintable(QStringLiteral("frame_step%1").arg(i)))->isVisible())
                shown = shown ? -1 : i;
        }
        return shown;
    }

private slots:
    void init()
    {
        m_env = std::make_unique<TestEnv>();
        m_state = std::make_unique<ProgramState>();
        m_state->categories = Categories;
        m_main = std::make_unique<QWidget>();
        m_main->setObjectName(QStringLiteral("frmMain"));
        m_main->setGeometry(100, 80, 820, 640);
        m_main->show();
        m_reloads.clear();
        m_ticks = 0;
    }
    void cleanup()
    {
        QCOMPARE(m_env->problems(), QString());
        m_main.reset();
        m_state.reset();
        m_env.reset();
    }

    void addWizardOpens()
    {
        QPointer<FilterWizardWindow> w = openAdd();
        QCOMPARE(w->objectName(), QStringLiteral("frmAddFilterWizard"));
        QVERIFY(WindowHelpers::IsFormLoaded(QStringLiteral("frmAddFilterWizard")));
        QCOMPARE(w->windowTitle(), QStringLiteral("Add Filter Wizard"));
        QVERIFY(!w->isModal());
        QCOMPARE(w->parentWidget(), m_main.get());
        QCOMPARE(visibleStep(w), 1);
        QCOMPARE(control<QLabel>(w, "info_title1")->text(),
                 QStringLiteral("Step 1/3 - Specify Keywords"));
        QVERIFY(control<QLabel>(w, "info_title1")->font().bold());
        QCOMPARE(control<QLabel>(w, "info_title2")->text(),
                 QStringLiteral("You will be alerted of torrents matching the criteria below"));
        QVERIFY(!control<QPushButton>(w, "command_back")->isEnabled());
        QCOMPARE(control<QPushButton>(w, "command_next")->text(), QStringLiteral("Next"));
        QCOMPARE(control<QLineEdit>(w, "Text1")->maxLength(), 100);
        QVERIFY(control<QRadioButton>(w, "Option1")->isChecked());
        QVERIFY(control<QRadioButton>(w, "Option4")->isChecked());
        QVERIFY(control<QCheckBox>(w, "Check2")->isChecked());
        QListWidget *list1 = control<QListWidget>(w, "List1");
        QListWidget *list2 = control<QListWidget>(w, "List2");
        QCOMPARE(entries(list1), Categories);
        QCOMPARE(entries(list2), QStringList{"All Categories"});
        QVERIFY(!list2->isEnabled());
        QCOMPARE(list1->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(list2->selectionMode(), QAbstractItemView::ExtendedSelection);
        // The main window is disabled, the wizard itself is not.
        QVERIFY(!m_main->isEnabled());
        QVERIFY(w->isEnabled());
        QVERIFY(control<QLineEdit>(w, "Text1")->isEnabled());
        QTest::keyClicks(control<QLineEdit>(w, "Text1"), QString(120, QLatin1Char('k')));
        QCOMPARE(control<QLineEdit>(w, "Text1")->text().size(), 100);
        w->close();
    }

    // Centred over the main window wherever it is, also when the wizard is the larger one.
    void centredOverMainWindow_data()
    {
        QTest::addColumn<QRect>("mainGeometry");
        QTest::newRow("large main window") << QRect(100, 80, 820, 640);
        QTest::newRow("odd sizes") << QRect(33, 47, 701, 503);
        QTest::newRow("smaller than the wizard") << QRect(400, 300, 120, 90);
    }
    void centredOverMainWindow()
    {
        QFETCH(QRect, mainGeometry);
        m_main->setGeometry(mainGeometry);
        QPointer<FilterWizardWindow> w = openAdd();
        const QRect main = m_main->frameGeometry();
        const QSize own = w->frameGeometry().size();
        QCOMPARE(w->frameGeometry().topLeft(),
                 QPoint(main.left() + main.width() / 2 - own.width() / 2,
                        main.top() + main.height() / 2 - own.height() / 2));
        QCOMPARE(WindowPlacement::CentredOver(QRect(0, 0, 11, 7), QSize(4, 2)), QPoint(3, 2));
        w->close();
    }

    // The walk through every step of the add wizard with the keywords "Linux.ISO AND x264",
    // two categories and "Notify and Download".
    void addFlow()
    {
        QPointer<FilterWizardWindow> w = openAdd();
        const QSize size = w->size();
        QLineEdit *text1 = control<QLineEdit>(w, "Text1");
        QTest::keyClicks(text1, QStringLiteral("Linux.ISO AND x264"));
        next(w);
        QCOMPARE(w->currentStep(), 2);
        QCOMPARE(visibleStep(w), 2);
        QCOMPARE(text1->text(), QStringLiteral("Linux ISO AND x264"));
        QCOMPARE(control<QLabel>(w, "info_title1")->text(),
                 QStringLiteral("Step 2/3 - Specify Categories"));
        QCOMPARE(control<QLabel>(w, "info_title2")->text(),
                 QStringLiteral("Please enter the categories to include in the search"));
        QVERIFY(control<QPushButton>(w, "command_back")->isEnabled());

        // Back to the keywords and forward again.
        QTest::mouseClick(control<QPushButton>(w, "command_back"), Qt::LeftButton);
        QCOMPARE(visibleStep(w), 1);
        QVERIFY(!control<QPushButton>(w, "command_back")->isEnabled());
        next(w);
        QCOMPARE(visibleStep(w), 2);

        QListWidget *list1 = control<QListWidget>(w, "List1");
        QListWidget *list2 = control<QListWidget>(w, "List2");
        pickRows(list1, {3, 1});
        QTest::mouseClick(control<QPushButton>(w, "Command1"), Qt::LeftButton);
        QCOMPARE(entries(list2), (QStringList{"TV", "Games"}));
        QVERIFY(list2->isEnabled());
        QCOMPARE(entries(list1), (QStringList{"Movies", "Music", "Apps"}));
        // The entry that took the place of the last one moved is selected.
        QCOMPARE(list1->currentRow(), 2);
        QCOMPARE(list1->selectedItems().size(), 1);
        QCOMPARE(list1->selectedItems().first()->text(), QStringLiteral("Apps"));

        next(w);
        QCOMPARE(visibleStep(w), 3);
        QCOMPARE(control<QLabel>(w, "info_title1")->text(),
                 QStringLiteral("Step 3/3 - Filter Options"));
        clickOption(control<QRadioButton>(w, "Option5"));
        QVERIFY(m_state->Filters.isEmpty());
        QVERIFY(m_reloads.isEmpty());
        QVERIFY(!QFile::exists(filtersFile()));

        next(w);
        QCOMPARE(visibleStep(w), 4);
        QCOMPARE(m_reloads, QList<qint16>{1});
        QCOMPARE(ReadTextFile(filtersFile()),
                 QStringLiteral("111Linux ISO&&x264\r\nTV, Games\r\n"));
        QCOMPARE(control<QLabel>(w, "info_title1")->text(), QStringLiteral("Filter added"));
        QCOMPARE(control<QLabel>(w, "info_title2")->text(),
                 QStringLiteral("You have successfully added a filter"));
        QCOMPARE(control<QLabel>(w, "Label3")->text(),
                 QStringLiteral("The following filter has been successfully added:"));
        QCOMPARE(control<QLabel>(w, "info_filter")->text(),
                 QStringLiteral("Contains Linux ISO AND x264 in TV, Games"));
        QCOMPARE(control<QLabel>(w, "info_action")->text(), QStringLiteral("Notify and Download"));
        QCOMPARE(control<QLabel>(w, "info_active")->text(), QStringLiteral("Active"));
        QCOMPARE(control<QPushButton>(w, "command_next")->text(), QStringLiteral("Finish"));
        QVERIFY(!control<QPushButton>(w, "command_back")->isEnabled());
        QVERIFY(!control<QPushButton>(w, "command_cancel")->isEnabled());
        QCOMPARE(w->size(), size);
        // Filtering is switched on by Finish, not before.
        QCOMPARE(m_ticks, 0);
        QCOMPARE(m_env->store->ReadSettingNumber(QStringLiteral("filterenabled")), qint16(0));
        QVERIFY(!m_main->isEnabled());

        next(w);
        QTRY_VERIFY_WITH_TIMEOUT(!w, 1000);
        QVERIFY(m_main->isEnabled());
        QCOMPARE(m_ticks, 1);
        QCOMPARE(m_env->store->ReadSettingNumber(QStringLiteral("filterenabled")), qint16(1));
        QCOMPARE(m_reloads, QList<qint16>{1});
        QCOMPARE(m_state->Filters.count(), 1);
        QCOMPARE(m_state->Filters[1].Keywords, (QStringList{"Linux ISO", "x264"}));
    }

    // Finish switches filtering on only when the new filter is the one active filter. The
    // existing filters are given by their enabled flags.
    void finishSwitchesFilteringOn_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<bool>("active");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("first filter") << "" << true << true;
        QTest::newRow("beside disabled ones") << "00" << true << true;
        QTest::newRow("beside an active one") << "01" << true << false;
        QTest::newRow("inactive new filter") << "" << false << false;
    }
    void finishSwitchesFilteringOn()
    {
        QFETCH(QString, existing);
        QFETCH(bool, active);
        QFETCH(bool, ticked);
        QList<FilterRecord> filters;
        for (const QChar flag : existing)
            filters.append(filter(flag == QLatin1Char('1'), "Contains", "Notify", {"old"}, {"*"}));
        seedFilters(filters);
        const QString before = ReadTextFile(filtersFile());

        QPointer<FilterWizardWindow> w = openAdd();
        QTest::keyClicks(control<QLineEdit>(w, "Text1"), QStringLiteral("x264"));
        next(w);
        next(w);
        if (!active)
            clickOption(control<QCheckBox>(w, "Check2"));
        next(w);
        const qint16 slot = qint16(existing.size() + 1);
        QCOMPARE(m_reloads, QList<qint16>{slot});
        QCOMPARE(ReadTextFile(filtersFile()),
                 before + (active ? "1" : "0") + QStringLiteral("10x264\r\n*\r\n"));
        QCOMPARE(control<QLabel>(w, "info_active")->text(),
                 active ? QStringLiteral("Active") : QStringLiteral("Inactive"));
        next(w);
        QTRY_VERIFY_WITH_TIMEOUT(!w, 1000);
        QCOMPARE(m_ticks, ticked ? 1 : 0);
        QCOMPARE(m_env->store->ReadSettingNumber(QStringLiteral("filterenabled")),
                 qint16(ticked ? 1 : 0));
    }

    // Each way of leaving the wizard on each step: what is stored, and that the main window is
    // enabled again. Cancel and Back do nothing on the summary step.
    void leaving_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("stored");
        QTest::newRow("cancel on step 1") << 1 << "cancel" << true << false;
        QTest::newRow("cancel on step 3") << 3 << "cancel" << true << false;
        QTest::newRow("close box on step 1") << 1 << "close" << true << false;
        QTest::newRow("close box on step 2") << 2 << "close" << true << false;
        QTest::newRow("close box on step 3") << 3 << "close" << true << false;
        QTest::newRow("close box on step 4") << 4 << "close" << true << true;
        QTest::newRow("escape on step 2") << 2 << "escape" << true << false;
        QTest::newRow("escape on step 4") << 4 << "escape" << true << true;
        QTest::newRow("cancel on step 4") << 4 << "cancel" << false << true;
        QTest::newRow("back on step 4") << 4 << "back" << false << true;
        QTest::newRow("finish") << 4 << "finish" << true << true;
    }
    void leaving()
    {
        QFETCH(int, step);
        QFETCH(QString, way);
        QFETCH(bool, closes);
        QFETCH(bool, stored);
        seedFilters({filter(true, "Contains", "Notify", {"old"}, {"TV"})});
        const QString before = ReadTextFile(filtersFile());
        QPointer<FilterWizardWindow> w = openAdd();
        QTest::keyClicks(control<QLineEdit>(w, "Text1"), QStringLiteral("new"));
        for (int s = 1; s < step; ++s)
            next(w);
        QCOMPARE(w->currentStep(), step);
        QVERIFY(!m_main->isEnabled());

        if (way == QLatin1String("cancel"))
            QTest::mouseClick(control<QPushButton>(w, "command_cancel"), Qt::LeftButton);
        else if (way == QLatin1String("back"))
            QTest::mouseClick(control<QPushButton>(w, "command_back"), Qt::LeftButton);
        else if (way == QLatin1String("close"))
            w->close();
        else if (way == QLatin1String("escape"))
            QTest::keyClick(w, Qt::Key_Escape);
        else
            next(w);

        if (closes) {
            QTRY_VERIFY_WITH_TIMEOUT(!w, 1000);
            QVERIFY(m_main->isEnabled());
        } else {
            QCoreApplication::processEvents();
            QVERIFY(w);
            QVERIFY(w->isVisible());
            QCOMPARE(w->currentStep(), 4);
            QVERIFY(!m_main->isEnabled());
        }
        const QString after = ReadTextFile(filtersFile());
        QCOMPARE(after, stored ? before + QStringLiteral("110new\r\n*\r\n") : before);
        QCOMPARE(m_state->Filters.count(), stored ? 2 : 1);
        QCOMPARE(m_reloads, stored ? QList<qint16>{2} : QList<qint16>{});
        // Only Finish switches filtering on (here a second active filter: it does not).
        QCOMPARE(m_ticks, 0);
        if (w)
            w->close();
    }

    // Every category moved to the chosen list and back restores "All Categories".
    void allCategoriesAndBack()
    {
        QPointer<FilterWizardWindow> w = openAdd();
        next(w);
        QListWidget *list1 = control<QListWidget>(w, "List1");
        QListWidget *list2 = control<QListWidget>(w, "List2");
        pickRows(list1, {0, 1, 2, 3, 4});
        QTest::mouseClick(control<QPushButton>(w, "Command1"), Qt::LeftButton);
        QCOMPARE(entries(list2), Categories);
        QVERIFY(list2->isEnabled());
        QCOMPARE(list1->count(), 0);

        // "<" without a selection in List2 does nothing.
        list2->clearSelection();
        QTest::mouseClick(control<QPushButton>(w, "Command2"), Qt::LeftButton);
        QCOMPARE(entries(list2), Categories);

        pickRows(list2, {4, 0, 2, 1, 3});
        QTest::mouseClick(control<QPushButton>(w, "Command2"), Qt::LeftButton);
        QCOMPARE(entries(list2), QStringList{"All Categories"});
        QVERIFY(!list2->isEnabled());
        QCOMPARE(entries(list1), Categories);
        next(w);
        next(w);
        QCOMPARE(ReadTextFile(filtersFile()), QStringLiteral("110*\r\n*\r\n"));
        QCOMPARE(control<QLabel>(w, "info_filter")->text(),
                 QStringLiteral("Contains anything in all categories"));
        w->close();
    }

    // "<" puts chosen entries back and keeps the others chosen in the category list's order.
    void moveBackSome()
    {
        QPointer<FilterWizardWindow> w = openAdd();
        next(w);
        QListWidget *list1 = control<QListWidget>(w, "List1");
        QListWidget *list2 = control<QListWidget>(w, "List2");
        pickRows(list1, {4, 0, 2});
        QTest::mouseClick(control<QPushButton>(w, "Command1"), Qt::LeftButton);
        QCOMPARE(entries(list2), (QStringList{"Movies", "Music", "Apps"}));
        pickRows(list2, {1});
        QTest::mouseClick(control<QPushButton>(w, "Command2"), Qt::LeftButton);
        QCOMPARE(entries(list1), (QStringList{"TV", "Games", "Music"}));
        QCOMPARE(entries(list2), (QStringList{"Movies", "Apps"}));
        QCOMPARE(list2->currentRow(), 0);
        QCOMPARE(list2->selectedItems().size(), 1);
        QCOMPARE(list2->selectedItems().first()->text(), QStringLiteral("Movies"));
        next(w);
        next(w);
        QCOMPARE(ReadTextFile(filtersFile()), QStringLiteral("110*\r\nMovies, Apps\r\n"));
        w->close();
    }

    // The edit wizard shows the slot and, saved unchanged, stores the same filters.dat.
    void editUnchanged_data()
    {
        QTest::addColumn<FilterRecord>("slot");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("actionOption");
        QTest::addColumn<QStringList>("available");
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QString>("rule");
        QTest::newRow("anything") << filter(true, "Contains", "Notify", {"*"}, {"*"}) << ""
                                  << "Option1"
                                  << "Option4" << Categories << QStringList{"All Categories"}
                                  << "Contains anything in all categories";
        QTest::newRow("two keywords, two categories")
            << filter(false, "Exactly Matches", "Download", {"ISO", "x264"}, {"Apps", "TV"})
            << "ISO AND x264"
            << "Option2"
            << "Option5" << QStringList{"Movies", "Music", "Games"} << QStringList{"Apps", "TV"}
            << "Exactly Matches ISO AND x264 in Apps, TV";
        QTest::newRow("ignore, does not contain")
            << filter(true, "Does Not Contain", "Ignore", {"cam"}, {"Movies"}) << "cam"
            << "Option3"
            << "Option6" << QStringList{"TV", "Music", "Games", "Apps"} << QStringList{"Movies"}
            << "Does Not Contain cam in Movies";
        // Longer than the 100 characters the box takes from the keyboard: shown whole, kept.
        QTest::newRow("keywords longer than the box")
            << filter(true, "Contains", "Notify", {QString(70, 'a'), QString(60, 'b')}, {"*"})
            << QString(70, 'a') + " AND " + QString(60, 'b') << "Option1"
            << "Option4" << Categories << QStringList{"All Categories"} << QString();
    }
    void editUnchanged()
    {
        QFETCH(FilterRecord, slot);
        QFETCH(QString, text);
        QFETCH(QString, option);
        QFETCH(QString, actionOption);
        QFETCH(QStringList, available);
        QFETCH(QStringList, chosen);
        QFETCH(QString, rule);
        seedFilters({filter(true, "Contains", "Notify", {"first"}, {"TV"}), slot});
        const QString before = ReadTextFile(filtersFile());

        QPointer<FilterWizardWindow> w = openEdit(2);
        QCOMPARE(w->objectName(), QStringLiteral("frmEditFilterWizard"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Edit Filter Wizard"));
        QCOMPARE(static_cast<frmEditFilterWizard *>(w.data())->EditIndex(), qint16(2));
        QVERIFY(!m_main->isEnabled());
        QLineEdit *text1 = control<QLineEdit>(w, "Text1");
        QCOMPARE(text1->text(), text);
        QCOMPARE(text1->cursorPosition(), int(text.size()));
        QVERIFY(control<QRadioButton>(w, qPrintable(option))->isChecked());
        QVERIFY(control<QRadioButton>(w, qPrintable(actionOption))->isChecked());
        QCOMPARE(control<QCheckBox>(w, "Check2")->isChecked(), slot.Enabled);
        QCOMPARE(entries(control<QListWidget>(w, "List1")), available);
        QCOMPARE(entries(control<QListWidget>(w, "List2")), chosen);
        QCOMPARE(control<QListWidget>(w, "List2")->isEnabled(), chosen.first() != "All Categories");

        const QStringList titles{"Step 1/3 - Edit Keywords", "Step 2/3 - Edit Categories",
                                 "Step 3/3 - Filter Options", "Filter edited"};
        for (int step = 1; step <= 4; ++step) {
            QCOMPARE(control<QLabel>(w, "info_title1")->text(), titles[step - 1]);
            if (step < 4)
                next(w);
        }
        QCOMPARE(control<QLabel>(w, "info_title2")->text(),
                 QStringLiteral("You have successfully edited a filter"));
        QCOMPARE(control<QLabel>(w, "Label3")->text(),
                 QStringLiteral("The following filter has been successfully edited:"));
        QCOMPARE(m_reloads, QList<qint16>{2});
        QCOMPARE(ReadTextFile(filtersFile()), before);
        if (!rule.isEmpty())
            QCOMPARE(control<QLabel>(w, "info_filter")->text(), rule);
        next(w);
        QTRY_VERIFY_WITH_TIMEOUT(!w, 1000);
        QVERIFY(m_main->isEnabled());
        QCOMPARE(m_state->Filters.count(), 2);
    }

    // A change in the edit wizard replaces the slot in place.
    void editChangesTheSlot()
    {
        seedFilters({filter(true, "Contains", "Notify", {"first"}, {"TV"}),
                     filter(true, "Contains", "Notify", {"x264"}, {"*"}),
                     filter(false, "Contains", "Ignore", {"third"}, {"*"})});
        QPointer<FilterWizardWindow> w = openEdit(2);
        QLineEdit *text1 = control<QLineEdit>(w, "Text1");
        QTest::keyClicks(text1, QStringLiteral(" AND 1080p"));
        clickOption(control<QRadioButton>(w, "Option2"));
        next(w);
        pickRows(control<QListWidget>(w, "List1"), {0});
        QTest::mouseClick(control<QPushButton>(w, "Command1"), Qt::LeftButton);
        next(w);
        clickOption(control<QRadioButton>(w, "Option6"));
        next(w);
        QCOMPARE(m_reloads, QList<qint16>{2});
        QCOMPARE(ReadTextFile(filtersFile()),
                 QStringLiteral("110first\r\nTV\r\n122x264&&1080p\r\nMovies\r\n012third\r\n*\r\n"));
        QCOMPARE(control<QLabel>(w, "info_action")->text(), QStringLiteral("Ignore"));
        next(w);
        QTRY_VERIFY_WITH_TIMEOUT(!w, 1000);
        // Two filters are active: filtering is left as it is.
        QCOMPARE(m_ticks, 0);
    }

    // The rule on the summary step is cut to 4100 twips in the label's font, then "...".
    void ruleLabelFits_data()
    {
        QTest::addColumn<QString>("keywords");
        QTest::addColumn<bool>("shortened");
        QTest::newRow("short") << "x264" << false;
        QTest::newRow("long") << QString(16, 'W') + " AND " + QString(60, 'i') << true;
        QTest::newRow("long words")
            << "Some.Very.Long.Release.Name.With.Many.Words AND 2160p" << true;
    }
    void ruleLabelFits()
    {
        QFETCH(QString, keywords);
        QFETCH(bool, shortened);
        QPointer<FilterWizardWindow> w = openAdd();
        QTest::keyClicks(control<QLineEdit>(w, "Text1"), keywords);
        next(w);
        pickRows(control<QListWidget>(w, "List1"), {0});
        QTest::mouseClick(control<QPushButton>(w, "Command1"), Qt::LeftButton);
        next(w);
        next(w);
        QLabel *label = control<QLabel>(w, "info_filter");
        const QString full = m_state->Filters.ffname(1);
        const QFont font = WindowHelpers::LabelFont();
        QCOMPARE(label->font(), font);
        auto twips = [&](const QString &t) {
            return WindowHelpers::TextWidthTwips(font, t, m_env->screen);
        };
        QCOMPARE(twips(full) > 4100, shortened);
        if (!shortened) {
            QCOMPARE(label->text(), full);
        } else {
            QVERIFY(label->text().endsWith(QStringLiteral("...")));
            const QString kept = label->text().chopped(3);
            QVERIFY(full.startsWith(kept));
            QVERIFY(twips(kept) < 4100.5);
            QVERIFY(twips(full.left(kept.size() + 1)) >= 4100.5);
        }
        // The label is as wide as its text, and the window keeps its size.
        QCOMPARE(label->width(), label->sizeHint().width());
        QVERIFY(label->geometry().right() < w->width());
        w->close();
    }
};

QTEST_MAIN(TestFilterWizards)
#include "tst_filterwizards.moc"

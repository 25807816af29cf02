#include "EnvTest.h"
#include "filters/frmAddFilterWizard.h"
#include "filters/frmEditFilterWizard.h"
#include "model/ProgramState.h"
#include "platform/WindowHelpers.h"
#include "WidgetFinder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace WidgetFinder;

// The wizard windows over a stand-in main window; their window-level behaviour only, the
// rules are in the wizard logic's tests.
class TestFilterWizards : public EnvTest
{
    Q_OBJECT

    std::unique_ptr<ProgramState> m_state;
    std::unique_ptr<QWidget> m_main;
    QList<qint16> m_reloads;
    int m_ticks = 0;

    // The main window's side: the reload after the filter is stored, and ticking "Filter
    // Torrents?", are recorded.
    QPointer<FilterWizardWindow> open(const QString &filtersDat, qint16 slot = 0)
    {
        m_state->Filters = FilterTable::parse(filtersDat);
        FilterWizardWindow::Hooks h;
        h.reloadFilters = [this](qint16 select) { m_reloads.append(select); };
        h.setFilteringTicked = [this] { ++m_ticks; };
        QPointer<FilterWizardWindow> w;
        if (slot == 0)
            w = new frmAddFilterWizard(env->services, *m_state, m_main.get(), h);
        else
            w = new frmEditFilterWizard(env->services, *m_state, m_main.get(), slot, h);
        w->showOverOwner();
        return w;
    }
    QString filters() const { return m_state->Filters.serialize(); }

    static void click(QWidget *w, const char *button)
    {
        QTest::mouseClick(control<QPushButton>(w, button), Qt::LeftButton);
    }
    static QString text(QWidget *w, const char *label) { return control<QLabel>(w, label)->text(); }

private slots:
    void init()
    {
        EnvTest::init();
        m_state = std::make_unique<ProgramState>();
        m_state->categories = QStringList{"Movies", "TV", "Music", "Games", "Apps"};
        m_main = std::make_unique<QWidget>();
        m_main->setGeometry(33, 47, 701, 503);
        m_main->show();
        m_reloads.clear();
        m_ticks = 0;
    }
    void cleanup()
    {
        m_main.reset();
        m_state.reset();
        EnvTest::cleanup();
    }

    // The add wizard's controls reach their steps: the keyword box with its dots replaced,
    // Back, the options, ">" and "<", and the summary of the stored filter, whose rule is cut
    // to 4100 twips in the label's font, then "...".
    void addWizardControls()
    {
        QPointer<FilterWizardWindow> w = open(QString());
        QVERIFY(!m_main->isEnabled() && w->isEnabled() && !w->isModal());
        // Centred over the main window (the arithmetic is checked with the login window).
        const QPoint off = w->frameGeometry().center() - m_main->frameGeometry().center();
        QVERIFY2(off.manhattanLength() <= 2, qPrintable(QString::number(off.manhattanLength())));
        QLineEdit *text1 = control<QLineEdit>(w, "Text1");
        QCOMPARE(text1->maxLength(), 100);
        QTest::keyClicks(text1, QStringLiteral("Linux.ISO AND x264.2160p.Remux.Edition"));
        click(w, "command_next");
        QVERIFY(control<QFrame>(w, "frame_step2")->isVisible());
        QCOMPARE(text1->text(), QStringLiteral("Linux ISO AND x264 2160p Remux Edition"));
        click(w, "command_back");
        QVERIFY(control<QFrame>(w, "frame_step1")->isVisible());
        clickOption(control<QRadioButton>(w, "Option2"));
        click(w, "command_next");

        QListWidget *list2 = control<QListWidget>(w, "List2");
        pickRows(control<QListWidget>(w, "List1"), {3, 1, 0});
        click(w, "Command1");
        QVERIFY(list2->isEnabled());
        pickRows(list2, {0});
        click(w, "Command2");
        QCOMPARE(entries(list2), (QStringList{"TV", "Games"}));
        click(w, "command_next");
        clickOption(control<QRadioButton>(w, "Option6"));
        clickOption(control<QCheckBox>(w, "Check2"));
        click(w, "command_next");
        QCOMPARE(m_reloads, QList<qint16>{1});
        QCOMPARE(filters(),
                 QStringLiteral("022Linux ISO&&x264 2160p Remux Edition\r\nTV, Games\r\n"));
        QLabel *rule = control<QLabel>(w, "info_filter");
        QCOMPARE(rule->font(), WindowHelpers::LabelFont());
        auto twips = [&](const QString &t) {
            return WindowHelpers::TextWidthTwips(rule->font(), t, env->screen);
        };
        const QString full = m_state->Filters.ffname(1);
        const QString kept = rule->text().chopped(3);
        QVERIFY(rule->text().endsWith(QStringLiteral("...")) && full.startsWith(kept));
        QVERIFY(twips(kept) < 4100.5 && twips(full.left(kept.size() + 1)) >= 4100.5);
        QVERIFY(rule->geometry().right() < w->width());
        QCOMPARE(text(w, "info_action"), QStringLiteral("Ignore"));
        QCOMPARE(text(w, "info_active"), QStringLiteral("Inactive"));
        click(w, "command_next");
        QTRY_VERIFY_WITH_TIMEOUT(!w, 1000);
        QVERIFY(m_main->isEnabled());
        QCOMPARE(m_ticks, 0);
    }

    // Leaving the wizard: the filter is stored on the summary step and not on the one before
    // it, and the main window is enabled again however the wizard closes. Cancel does nothing
    // on the summary step.
    void leaving_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("cancel");
        QTest::newRow("close box on step 3") << 3 << false;
        QTest::newRow("close box on step 4") << 4 << false;
        QTest::newRow("cancel on step 4") << 4 << true;
    }
    void leaving()
    {
        QFETCH(int, step);
        QFETCH(bool, cancel);
        const QString old = QStringLiteral("110old\r\nTV\r\n");
        QPointer<FilterWizardWindow> w = open(old);
        QTest::keyClicks(control<QLineEdit>(w, "Text1"), QStringLiteral("new"));
        for (int s = 1; s < step; ++s)
            click(w, "command_next");
        cancel ? click(w, "command_cancel") : void(w->close());
        QCoreApplication::processEvents();
        if (cancel)
            QVERIFY(w->isVisible() && w->currentStep() == 4);
        else
            QTRY_VERIFY_WITH_TIMEOUT(!w, 1000);
        QCOMPARE(m_main->isEnabled(), !cancel);
        const bool stored = step == 4;
        QCOMPARE(filters(), stored ? old + QStringLiteral("110new\r\n*\r\n") : old);
        QCOMPARE(m_reloads, stored ? QList<qint16>{2} : QList<qint16>{});
    }

    // The size boxes on the keyword step take numbers of at most two decimals; "Next" with the
    // largest below the smallest says so and stays. The stored limits show on the summary, and
    // the edit wizard opens with them. (Limits, refusals and descriptions: tst_filterwizardlogic.)
    void sizeBoxes()
    {
        QPointer<FilterWizardWindow> w = open(QString());
        QLineEdit *smallest = control<QLineEdit>(w, "text_minsize");
        QLineEdit *largest = control<QLineEdit>(w, "text_maxsize");
        QComboBox *largestUnit = control<QComboBox>(w, "combo_maxunit");
        QCOMPARE(control<QLabel>(w, "label_minsize")->text(), QStringLiteral("Smallest size:"));
        QCOMPARE(control<QLabel>(w, "label_maxsize")->text(), QStringLiteral("Largest size:"));
        QCOMPARE(control<QComboBox>(w, "combo_minunit")->currentText(), QStringLiteral("MB"));
        QCOMPARE(largestUnit->currentText(), QStringLiteral("GB"));
        QTest::keyClicks(smallest, QStringLiteral("7x0,0.509"));
        QCOMPARE(smallest->text(), QStringLiteral("700.50"));
        QTest::keyClicks(largest, QStringLiteral("0.68"));
        click(w, "command_next");
        const ScriptedDialogs::Shown box = env->dialogs.take();
        QCOMPARE(box.text,
                 QStringLiteral("The largest size must not be smaller than the smallest."));
        QCOMPARE(box.icon, Dialogs::Information);
        QCOMPARE(w->currentStep(), 1);
        // 0.69 GB is 706.56 MB.
        QTest::keyClick(largest, Qt::Key_Backspace);
        QTest::keyClick(largest, Qt::Key_9);
        click(w, "command_next");
        QCOMPARE(w->currentStep(), 2);
        click(w, "command_next");
        click(w, "command_next");
        QCOMPARE(text(w, "label_size"), QStringLiteral("Size:"));
        QCOMPARE(text(w, "info_size"), QStringLiteral("between 700.5 MB and 0.69 GB"));
        click(w, "command_next");
        QTRY_VERIFY_WITH_TIMEOUT(!w, 1000);

        w = new frmEditFilterWizard(env->services, *m_state, m_main.get(), 1, {});
        w->showOverOwner();
        QCOMPARE(control<QLineEdit>(w, "text_minsize")->text(), QStringLiteral("700.5"));
        QCOMPARE(control<QLineEdit>(w, "text_maxsize")->text(), QStringLiteral("0.69"));
        // The smallest in GB now: 700.5 GB is far above 0.69 GB.
        QComboBox *smallestUnit = control<QComboBox>(w, "combo_minunit");
        smallestUnit->setFocus();
        QTest::keyClick(smallestUnit, Qt::Key_Down);
        QCOMPARE(smallestUnit->currentText(), QStringLiteral("GB"));
        control<QLineEdit>(w, "text_maxsize")->clear();
        for (int step = 1; step <= 3; ++step)
            click(w, "command_next");
        QCOMPARE(text(w, "info_size"), QStringLiteral("at least 700.5 GB"));
        w->close();
        w = new frmEditFilterWizard(env->services, *m_state, m_main.get(), 1, {});
        w->showOverOwner();
        QCOMPARE(control<QComboBox>(w, "combo_minunit")->currentText(), QStringLiteral("GB"));
        w->close();
    }

    // The edit wizard shows its slot (2), keywords longer than the 100 characters the box takes
    // from the keyboard included, and saved unchanged stores the same filters.dat.
    void editWizardKeepsItsSlot_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("ticked"); // the match and action options
        QTest::addColumn<bool>("active");
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QString>("slot");
        const QString keywords = QString(70, 'a') + "&&" + QString(60, 'b');
        const QStringList all{"All Categories"};
        QTest::newRow("long keywords")
            << QString(keywords).replace("&&", " AND ") << "Option2 Option5" << false
            << QStringList{"Apps", "TV"} << "021" + keywords + "\r\nApps, TV\r\n";
        QTest::newRow("anything") << QString() << "Option1 Option4" << true << all
                                  << "110*\r\n*\r\n";
        QTest::newRow("star among others") << QStringLiteral("* AND cam") << "Option3 Option6"
                                           << true << all << "132*&&cam\r\n*\r\n";
    }
    void editWizardKeepsItsSlot()
    {
        QFETCH(QString, slot);
        QFETCH(QString, ticked);
        const QString before = "110first\r\nTV\r\n" + slot;
        QPointer<FilterWizardWindow> w = open(before, 2);
        QCOMPARE(w->windowTitle(), QStringLiteral("Edit Filter Wizard"));
        QTEST(control<QLineEdit>(w, "Text1")->text(), "text");
        for (const QString &option : ticked.split(' '))
            QVERIFY2(control<QRadioButton>(w, qPrintable(option))->isChecked(), qPrintable(option));
        QTEST(control<QCheckBox>(w, "Check2")->isChecked(), "active");
        QTEST(entries(control<QListWidget>(w, "List2")), "chosen");
        for (int step = 1; step <= 3; ++step)
            click(w, "command_next");
        QCOMPARE(text(w, "info_title1"), QStringLiteral("Filter edited"));
        QCOMPARE(m_reloads, QList<qint16>{2});
        QCOMPARE(filters(), before);
        click(w, "command_next");
        QTRY_VERIFY_WITH_TIMEOUT(!w, 1000);
    }
};

QTEST_MAIN(TestFilterWizards)
#include "tst_filterwizards.moc"

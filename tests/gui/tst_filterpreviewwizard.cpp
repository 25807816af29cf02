#include "filters/FilterListController.h"
#include "filters/FilterPreview.h"
#include "filters/frmAddFilterWizard.h"
#include "filters/frmEditFilterWizard.h"
#include "model/ProgramState.h"
#include "NotifyTestApp.h"
#include "search/SearchDatabase.h"
#include "search/SearchResultModel.h"
#include "WidgetFinder.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QtTest>

using namespace WidgetFinder;

namespace {

const QStringList Categories{"TV/XviD", "TV/HD", "Movies/XviD", "Appz/Misc", "Music"};

// torrents.db of "id|name|category" rows.
QByteArray dbText(const QStringList &rows)
{
    QByteArray out;
    for (const QString &row : rows) {
        const QStringList f = row.split(QLatin1Char('|'));
        out += (f[0] + "\t1572864\t" + f[2] + "\t1\t" + f[1] + "\t" + f[1] + ".torrent\r\n")
                   .toLatin1();
    }
    return out;
}

const QStringList Rows{
    "1|Harbour.Patrol.S01E01.XviD-PWK|TV/XviD",
    "2|Harbour.Patrol.S01E02.720p.x264|TV/HD",
    "3|Linux.Mint.21.ISO|Appz/Misc",
    "4|Some.Movie.2008.DVDRip.XviD-NOiR|Movies/XviD",
    "5|Some.Movie.2008.CAM.XviD|Movies/XviD",
    "6|Debian.Linux.12.ISO|Appz/Misc",
    "7|Cooking.Show.S02E10.XVID|TV/XviD",
    "8|Album.2009.MP3|Music",
};

QTreeView *previewList(QWidget *w)
{
    return control<QTreeView>(w, "list_preview");
}

// The ids of the rows the preview lists, top to bottom.
QList<int> listedIds(QWidget *w)
{
    auto *model = qobject_cast<SearchResultModel *>(previewList(w)->model());
    QList<int> ids;
    for (int row = 0; model && row < model->rowCount(); ++row)
        ids.append(model->record(model->resultAt(row)).Id);
    return ids;
}

QString previewText(QWidget *w)
{
    return control<QLabel>(w, "info_preview")->text();
}

// The preview's line and the ids it lists, as "line | 7 5 1".
QString shown(QWidget *w)
{
    QStringList ids;
    for (const int id : listedIds(w))
        ids << QString::number(id);
    return previewText(w) + " | " + ids.join(' ');
}

// The rows of a category list with these names selected, as a user picks them.
void pickNames(QListWidget *list, const QStringList &names)
{
    QList<int> rows;
    for (const QString &name : names)
        rows.append(int(entries(list).indexOf(name)));
    pickRows(list, rows);
}

} // namespace

class TestFilterPreviewWizard : public EnvTest
{
    Q_OBJECT

    std::unique_ptr<ProgramState> m_state;
    std::unique_ptr<QWidget> m_main;
    std::shared_ptr<const SearchDatabase> m_db;
    int m_databaseCalls = 0;

    // A wizard over the stand-in main window with the sample database, or with none; slot 0
    // opens the add wizard.
    QPointer<FilterWizardWindow> open(const QString &filtersDat, qint16 slot = 0,
                                      bool withDatabase = true)
    {
        m_state->Filters = FilterTable::parse(filtersDat);
        FilterWizardWindow::Hooks h;
        h.reloadFilters = [](qint16) {};
        if (withDatabase) {
            h.torrentDatabase = [this] {
                ++m_databaseCalls;
                return m_db;
            };
        }
        QPointer<FilterWizardWindow> w;
        if (slot == 0)
            w = new frmAddFilterWizard(env->services, *m_state, m_main.get(), h);
        else
            w = new frmEditFilterWizard(env->services, *m_state, m_main.get(), slot, h);
        w->showOverOwner();
        return w;
    }
    static void click(QWidget *w, const char *button)
    {
        QTest::mouseClick(control<QPushButton>(w, button), Qt::LeftButton);
    }
    static QString counts(int matched, int taken = 0, int newest = 8)
    {
        QString text = QStringLiteral("Would have matched %1 of the newest %2 torrents")
                           .arg(QString::number(matched), QString::number(newest));
        if (taken > 0)
            text += QStringLiteral(" (%1 taken first by higher filters)").arg(taken);
        return text;
    }

private slots:
    void init()
    {
        EnvTest::init();
        env->useSite(QStringLiteral("http://127.0.0.1:9"));
        m_state = std::make_unique<ProgramState>();
        m_state->categories = Categories;
        m_main = std::make_unique<QWidget>();
        m_main->setGeometry(33, 47, 701, 503);
        m_main->show();
        m_db = SearchDatabase::fromBytes(dbText(Rows)).database;
        m_databaseCalls = 0;
    }
    void cleanup()
    {
        m_main.reset();
        m_state.reset();
        EnvTest::cleanup();
    }

    // Typing restarts a 150 ms single-shot timer; the preview changes when it fires, and the
    // keyword box keeps what was typed.
    void typingPause()
    {
        QPointer<FilterWizardWindow> w = open(QString());
        QCOMPARE(shown(w), counts(8) + " | 8 7 6 5 4 3 2 1");
        QCOMPARE(w->tmrPreview().interval(), 150);
        QVERIFY(w->tmrPreview().isSingleShot());
        QVERIFY(!w->tmrPreview().isActive());

        QLineEdit *text1 = control<QLineEdit>(w, "Text1");
        QTest::keyClicks(text1, QStringLiteral("xvi"));
        QVERIFY(w->tmrPreview().isActive());
        QCOMPARE(previewText(w), counts(8));
        QTRY_COMPARE_WITH_TIMEOUT(shown(w), counts(4) + " | 7 5 4 1", 2000);

        text1->clear();
        QTest::keyClicks(text1, QStringLiteral("Some.Movie"));
        w->onTmrPreviewTick();
        QVERIFY(!w->tmrPreview().isActive());
        QCOMPARE(shown(w), counts(2) + " | 5 4");
        QCOMPARE(text1->text(), QStringLiteral("Some.Movie"));
        QCOMPARE(m_databaseCalls, 1);
        // A double-click on a row opens its details page on the site.
        QTreeView *list = previewList(w);
        const QPoint second = list->visualRect(list->model()->index(1, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second);
        QCOMPARE(env->shell.urls, QStringList{"http://127.0.0.1:9/details.php?id=4&hit=1"});
    }

    // The match options, the category buttons and the action options recompute at once; on
    // every step the categories are those of List2. A Notify filter above takes the movies.
    void optionsAndCategories()
    {
        QPointer<FilterWizardWindow> w = open(QStringLiteral("110movie\r\n*\r\n"));
        QTest::keyClicks(control<QLineEdit>(w, "Text1"), QStringLiteral("xvid"));
        w->onTmrPreviewTick();
        QCOMPARE(shown(w), counts(4, 2) + " | 7 1");

        clickOption(control<QRadioButton>(w, "Option3"));
        QCOMPARE(shown(w), counts(4) + " | 8 6 3 2");
        clickOption(control<QRadioButton>(w, "Option2"));
        QCOMPARE(shown(w), counts(0) + " | ");
        clickOption(control<QRadioButton>(w, "Option1"));
        QCOMPARE(previewText(w), counts(4, 2));

        click(w, "command_next");
        QListWidget *list1 = control<QListWidget>(w, "List1");
        QListWidget *list2 = control<QListWidget>(w, "List2");
        pickNames(list1, {"TV/XviD", "Movies/XviD"});
        click(w, "Command1");
        QCOMPARE(previewText(w), counts(4, 2));
        pickNames(list2, {"Movies/XviD"});
        click(w, "Command2");
        QCOMPARE(entries(list2), QStringList{"TV/XviD"});
        QCOMPARE(shown(w), counts(2) + " | 7 1");
        pickNames(list1, {"Movies/XviD"});
        click(w, "Command1");
        QCOMPARE(previewText(w), counts(4, 2));

        // An Ignore filter ignores what a higher Notify filter took as well.
        click(w, "command_next");
        clickOption(control<QRadioButton>(w, "Option6"));
        QCOMPARE(shown(w), counts(4) + " | 7 5 4 1");
        clickOption(control<QRadioButton>(w, "Option5"));
        QCOMPARE(shown(w), counts(4, 2) + " | 7 1");
    }

    // The edit wizard opens with its slot's preview (its keywords and categories), and only
    // the enabled slots before it are above it (which slots those are is tst_filterpreview's).
    void editWizardSlotsAbove()
    {
        // Slot 1 takes the movies, slot 2 (disabled) would ignore cam, slot 3 ignores xvid,
        // slot 4 takes harbour. The edited slot is previewed as if it were active.
        QPointer<FilterWizardWindow> w =
            open(QStringLiteral("110movie\r\nMovies/XviD\r\n012cam\r\n*\r\n112xvid\r\n*\r\n"
                                "110harbour\r\n*\r\n"),
                 4);
        QCOMPARE(shown(w), counts(2, 1) + " | 2");
    }

    // The preview shows on the three input steps only, and the window keeps its size.
    void inputStepsOnly()
    {
        QPointer<FilterWizardWindow> w = open(QString());
        QFrame *panel = control<QFrame>(w, "frame_preview");
        const QSize size = w->size();
        for (int step = 1; step <= 4; ++step) {
            QCOMPARE(w->currentStep(), step);
            QCOMPARE(panel->isVisible(), step <= 3);
            QCOMPARE(w->size(), size);
            if (step < 4)
                click(w, "command_next");
        }
        QVERIFY(!w->tmrPreview().isActive());
        click(w, "command_next");
        QTRY_VERIFY_WITH_TIMEOUT(!w, 1000);
    }

    // Without a database the panel says so, its list stays empty, and the wizard stores its
    // filter as before.
    void noDatabase_data()
    {
        QTest::addColumn<bool>("hook");
        QTest::newRow("no hook") << false;
        QTest::newRow("no database") << true;
    }
    void noDatabase()
    {
        QFETCH(bool, hook);
        m_db.reset();
        QPointer<FilterWizardWindow> w = open(QString(), 0, hook);
        const QString none =
            "No local torrent database yet. Open Search Torrents once to build it.";
        QCOMPARE(previewText(w), none);
        QVERIFY(!previewList(w)->isEnabled());
        QTest::keyClicks(control<QLineEdit>(w, "Text1"), QStringLiteral("a.b"));
        w->onTmrPreviewTick();
        QCOMPARE(shown(w), none + " | ");
        for (int step = 1; step <= 3; ++step)
            click(w, "command_next");
        QCOMPARE(m_state->Filters.serialize(), QStringLiteral("110a b\r\n*\r\n"));
        QCOMPARE(m_databaseCalls, hook ? 1 : 0);
    }

    // With the preview on show the steps keep their titles and texts, the keyword box gets its
    // dots replaced only by "Next", and the stored filter is the one the controls give.
    void stepsUnchanged()
    {
        QPointer<FilterWizardWindow> w = open(QStringLiteral("112cam\r\n*\r\n"));
        QLineEdit *text1 = control<QLineEdit>(w, "Text1");
        const auto title = [&w] { return control<QLabel>(w, "info_title1")->text(); };
        QCOMPARE(title(), QStringLiteral("Step 1/3 - Specify Keywords"));
        QCOMPARE(control<QLabel>(w, "Label4")->text(),
                 "Keywords are not case sensitive. Logical AND operator is supported.");
        QCOMPARE(control<QLabel>(w, "Label2")->text(),
                 QStringLiteral("Wildcards are supported. Leave blank for anything."));
        QTest::keyClicks(text1, QStringLiteral("Some.Movie AND xvid"));
        w->onTmrPreviewTick();
        QCOMPARE(text1->text(), QStringLiteral("Some.Movie AND xvid"));
        QCOMPARE(previewText(w), counts(2, 1));
        click(w, "command_next");
        QCOMPARE(text1->text(), QStringLiteral("Some Movie AND xvid"));
        QCOMPARE(title(), QStringLiteral("Step 2/3 - Specify Categories"));
        QCOMPARE(entries(control<QListWidget>(w, "List2")), QStringList{"All Categories"});
        click(w, "command_next");
        QCOMPARE(title(), QStringLiteral("Step 3/3 - Filter Options"));
        clickOption(control<QRadioButton>(w, "Option5"));
        click(w, "command_next");
        QCOMPARE(title(), QStringLiteral("Filter added"));
        QCOMPARE(m_state->Filters.serialize(), "112cam\r\n*\r\n111Some Movie&&xvid\r\n*\r\n");
        QCOMPARE(control<QLabel>(w, "info_action")->text(), QStringLiteral("Notify and Download"));
    }

    // The wizard, taller with its preview, is moved into the work area when centring it over
    // the main window would put its bottom past it.
    void insideTheWorkArea()
    {
        env->screen.setWorkArea(QRect(0, 0, 1280, 620));
        m_main->setGeometry(100, 420, 500, 180);
        QPointer<FilterWizardWindow> w = open(QString());
        QVERIFY2(w->frameGeometry().bottom() < 620,
                 qPrintable(QString::number(w->frameGeometry().bottom())));
        QVERIFY(w->frameGeometry().top() >= 0);
    }

    // The whole program against the local test site: a check fills torrents.db, the add
    // wizard previews the pending filter over it, and a second check over the same rows (with
    // filtering on, lastparsed below every row, an empty result list and nothing below the new
    // filter) turns exactly the listed rows into results of the new filter.
    void agreesWithARealCheck_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("taken");           // first by the filters above
        QTest::addColumn<QString>("aboveLimits"); // filterlimits.dat
        QTest::addColumn<QString>("largest");     // in GB
        // Which rows a filter takes is tst_filterpreview's (against the check's filter stage),
        // how the options and categories reach the preview optionsAndCategories'; here the whole
        // program, with keywords and with size limits.
        // clang-format off
        QTest::newRow("AND keywords, wildcards") << "S0#E0? AND x264" << 2 << "" << "";
        // The 350 MB harbour rows are left to the new filter, which takes up to 0.5 GB: none
        // is taken first.
        QTest::newRow("size limits above and in the new filter") << "x264" << 0
            << "351 MB\t\t1\t10harbour\t*\r\n" << "0.5";
        // clang-format on
    }
    void agreesWithARealCheck()
    {
        QFETCH(QString, typed);
        QFETCH(int, taken);
        QFETCH(QString, aboveLimits);
        QFETCH(QString, largest);

        NotifyTestApp t(*env);
        SettingsStore &store = *t.env.store;
        store.WriteSettingNumber("playsound", 0);
        store.WriteSettingNumber("filterenabled", 1);
        const QString below = QStringLiteral("700000"); // below every torrent of the site
        for (const char *key : {"lastparsed", "lastalerted", "search_newest"})
            store.WriteSettingText(key, below);
        // Notify harbour, ignore cam, veto mp3 and take the rest of Music, a disabled filter.
        NotifyTestApp::writeFile(t.env.file("filters.dat"),
                                 "110harbour\r\n*\r\n112cam\r\n*\r\n130mp3\r\nMusic\r\n"
                                 "010linux\r\n*\r\n");
        NotifyTestApp::writeFile(t.env.file("filterlimits.dat"), aboveLimits.toLatin1());
        NotifyTestApp::writeFile(t.env.file("torrents.db"), QByteArray());
        SiteCatalogue &c = t.site.catalogue();
        c.addTorrent("Harbour.Patrol.S02E01.720p.HDTV.x264-PWK", "TV/XviD", 367001600);
        c.addTorrent("Harbour.Patrol.S02E02.CAM.XviD-PWK", "TV/XviD", 367001600);
        c.addTorrent("Debian.Linux.12.Live.amd64.ISO-GRP", "Appz/Misc", 3 * 524288);
        c.addTorrent("Some.Other.Movie.2008.DVDRip.XviD-NOiR", "Movies/XviD", 734003200);
        c.addTorrent("Quiet.Album.2009.XviD.Live", "Music", 52428800);
        c.addTorrent("Quiet.Album.2010.MP3", "Music", 52428800);
        c.addTorrent("Linux.Mint.21.Cinnamon.ISO", "Appz/Misc", 2 * 1048576);
        c.addTorrent("Night.Show.S01E03.x264", "TV/HD", 1048576);
        c.addTorrent("Harbour.Patrol.S02E03.x264", "TV/HD", 1048576);
        const int rows = c.torrentCount();
        QVERIFY(rows > 40 && rows <= 150); // one check brings every row

        // The first check fills torrents.db with every row of the site.
        QCOMPARE(t.start(), PollwickApp::LoadEnd::NormalStart);
        QCOMPARE(ReadTextFile(t.env.file("torrents.db")).count("\r\n"), rows);
        t.app->seticonnonew();
        QVERIFY(t.state().results.isEmpty());
        store.WriteSettingText("lastparsed", below);
        const int requests = int(t.site.requests().size());
        const QString newest = store.ReadSettingText("search_newest");

        t.main()->filterList().addfilter();
        QPointer<FilterWizardWindow> w = t.main()->filterList().wizard();
        QVERIFY(w && w->preview());
        QTest::keyClicks(control<QLineEdit>(w, "Text1"), typed);
        QTest::keyClicks(control<QLineEdit>(w, "text_maxsize"), largest);
        w->onTmrPreviewTick();
        const QList<int> listed = listedIds(w);
        QVERIFY(!listed.isEmpty());
        QCOMPARE(previewText(w), counts(int(listed.size()) + taken, taken, rows));
        // No request, no change to the bookkeeping or the results.
        QCOMPARE(int(t.site.requests().size()), requests);
        QCOMPARE(store.ReadSettingText("search_newest"), newest);
        QVERIFY(t.state().results.isEmpty());

        for (int step = 1; step <= 4; ++step)
            click(w, "command_next");
        QTRY_VERIFY_WITH_TIMEOUT(!w, 1000);
        const int slot = t.state().Filters.count();

        t.main()->checkfeed();
        QList<int> results;
        for (const MatchRecord &r : std::as_const(t.state().results)) {
            if (r.FilterIndex == slot)
                results.prepend(r.Id); // newest first, as the preview lists them
        }
        QCOMPARE(listed, results);
    }
};

QTEST_MAIN(TestFilterPreviewWizard)
#include "tst_filterpreviewwizard.moc"

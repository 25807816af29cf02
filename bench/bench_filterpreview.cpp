// The filter wizards' preview on a generated torrents.db of realistic release names (the site
// simulator's), at 30000 and 1,000,000 rows, with 1, 10 and 100 enabled filters above the
// pending one:
//   once   what opening a wizard costs: reading every row's id and working out what the
//          filters above do to each row (FilterPreview's construction)
//   edit   one recompute after an edit: the pending filter judged over every row (run()), and
//          the wizard's whole refresh after a typing pause (run(), the count line, the list's
//          model and one repaint of the panel)
// Each figure is a median, printed with its ratio to a floor measured in the same run: one
// memmem pass over the lowered names for a text that does not occur (the plain scan speed),
// and for the edits also the search window's own search for the same text.
//
//   bench/bench_filterpreview [rows...]        (default: 30000 1000000)

#include "BenchDatabase.h"
#include "FeedWriter.h"
#include "filters/FilterPreview.h"
#include "filters/frmAddFilterWizard.h"
#include "model/ProgramState.h"
#include "platform/ScreenMetrics.h"
#include "platform/Services.h"
#include "ReleaseNameGenerator.h"
#include "search/SearchDatabase.h"
#include "search/SearchQuery.h"
#include "SiteCatalogue.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using BenchDatabase::makeDatabase;
using BenchDatabase::medianMs;

// A user's filter table of `count` enabled filters in the simulator's words: shows and titles
// to be told about, a few downloads, every tenth an Ignore filter, and now and then a "Does
// Not Contain" filter, a category restriction, wildcards or two keywords.
FilterTable filtersAbove(int count)
{
    const QStringList keywords{
        "harbour patrol",  "night shift",  "kitchen wars",   "silent",
        "crimson empire",  "s0#e1#",       "1080p",          "nora quill",
        "video converter", "lost valley",  "golden",         "*720p*x264",
        "proper",          "the ledger",   "broken horizon", "deep space crew",
        "static orchard",  "office suite", "frozen",         "midnight AND 2007"};
    const QStringList ignores{"dvdscr", "ts vcd", "nuked", "pal dvdr", "[!a-z]iso"};
    const QStringList categories{"TV/XviD", "Movies/XviD", "Music", "TV/HD", "Appz/misc"};
    FilterTable table;
    for (int i = 0; i < count; ++i) {
        FilterRecord f;
        f.Enabled = true;
        f.MatchMode = QStringLiteral("Contains");
        f.Action = i % 7 == 3 ? QStringLiteral("Download") : QStringLiteral("Notify");
        f.Keywords = keywords[i % keywords.size()].split(QStringLiteral(" AND "));
        f.Categories = QStringList{i % 3 == 1 ? categories[i % categories.size()] : "*"};
        if (i % 10 == 9) {
            f.Action = QStringLiteral("Ignore");
            f.Keywords = QStringList{ignores[(i / 10) % ignores.size()]};
            f.Categories = QStringList{"*"};
        } else if (i % 25 == 12) {
            f.MatchMode = QStringLiteral("Does Not Contain");
            f.Keywords = QStringList{"cam"};
            f.Categories = QStringList{"Movies/XviD"};
        } else if (i % 17 == 5) {
            f.MatchMode = QStringLiteral("Exactly Matches");
            f.Keywords = QStringList{"harbour patrol*"};
        }
        table.append(f);
    }
    return table;
}

struct Pending
{
    const char *label;
    const char *typed; // the keyword box
    const char *mode;
    const char *category; // null: every category
};

const Pending Edits[] = {
    {"\"xvid\"", "xvid", "Contains", nullptr},
    {"\"xvid\" in TV/XviD", "xvid", "Contains", "TV/XviD"},
    {"\"s0#e1#\"", "s0#e1#", "Contains", nullptr},
    {"\"harbour patrol AND 720p\"", "harbour patrol AND 720p", "Contains", nullptr},
    {"exactly \"*dvdrip*xvid*\"", "*dvdrip*xvid*", "Exactly Matches", nullptr},
    {"does not contain \"xvid\"", "xvid", "Does Not Contain", nullptr},
    {"anything (empty box)", "", "Contains", nullptr},
};

FilterRecord pendingFilter(const Pending &p)
{
    FilterRecord f;
    f.Enabled = true;
    f.MatchMode = QString::fromLatin1(p.mode);
    f.Action = QStringLiteral("Notify");
    const QString typed = QString::fromLatin1(p.typed);
    f.Keywords = typed.isEmpty() ? QStringList{"*"} : typed.split(QStringLiteral(" AND "));
    f.Categories = QStringList{p.category ? QString::fromLatin1(p.category) : QStringLiteral("*")};
    return f;
}

void run(int rows)
{
    const bool big = rows > 100000;
    const int runs = big ? 7 : 31;
    const std::shared_ptr<const SearchDatabase> db =
        SearchDatabase::fromBytes(makeDatabase(rows)).database;
    if (!db || db->rowCount() != rows)
        std::abort();
    std::printf("\n%d rows, %.1f MB of lowered names\n", rows, db->loweredSize() / 1048576.0);
    volatile qsizetype sink = 0;

    const char *absent = "qqzqqzq";
    const double floor = medianMs(runs, [&] {
        sink = sink + (memmem(db->loweredNames(), size_t(db->loweredSize()), absent,
                              std::strlen(absent)) != nullptr);
    });
    std::printf(" floor %8.3f ms: one memmem pass over the lowered names for a text that does "
                "not occur\n",
                floor);

    const char *editTarget = big ? "target <= 150 ms" : "target <= 5 ms";
    for (int count : {1, 10, 100}) {
        const FilterTable table = filtersAbove(count);
        const QList<FilterRule> above = FilterPreview::rulesAbove(table, table.count() + 1);
        const double once =
            medianMs(big ? 5 : 15, [&] { sink = sink + FilterPreview(db, above).outcome(0); });
        const FilterPreview preview(db, above);
        int free = 0;
        for (int row = 0; row < rows; ++row)
            free += preview.outcome(row) == FilterPreview::Free;
        std::printf("\n %d filter%s above (%d of the rows left free)\n", count,
                    count == 1 ? "" : "s", free);
        std::printf("  %-44s %9.3f ms  %7.2f x floor  (once per wizard)\n",
                    "opening: the filters above", once, once / floor);
        double worst = 0;
        for (const Pending &p : Edits) {
            const FilterRecord pending = pendingFilter(p);
            FilterPreview::Result result;
            const double ms = medianMs(runs, [&] { result = preview.run(pending); });
            worst = std::max(worst, ms);
            // The search window's search for the same text, in the same category.
            const int category = p.category ? db->categoryIndexOf(QString::fromLatin1(p.category))
                                            : SearchQuery::AllCategories;
            const QString query =
                QString::fromLatin1(p.typed).replace(QStringLiteral(" AND "), QStringLiteral("*"));
            const double search = medianMs(runs, [&] {
                sink = sink + qsizetype(SearchQuery(query).run(*db, category).size());
            });
            const QByteArray label = QByteArray("edit ") + p.label + " (N " +
                                     QByteArray::number(result.matched) + ", K " +
                                     QByteArray::number(result.takenAbove) + ")";
            std::printf("  %-44s %9.3f ms  %7.2f x floor  %6.2f x search  %s\n", label.constData(),
                        ms, ms / floor, ms / search, editTarget);
        }
        std::printf("  %-44s %9.3f ms  %7.2f x floor  %s: %s\n", "slowest edit", worst,
                    worst / floor, editTarget, worst <= (big ? 150.0 : 5.0) ? "met" : "NOT MET");
    }

    // The wizard's whole refresh after a typing pause, with 10 filters above: the recompute,
    // the count line, the list's model and one repaint of the panel.
    ProgramState state;
    state.Filters = filtersAbove(10);
    state.categories = SiteCatalogue::defaultCategories();
    FixedScreenMetrics screen;
    Services services;
    services.screen = &screen;
    QWidget owner;
    owner.resize(700, 500);
    FilterWizardWindow::Hooks hooks;
    hooks.torrentDatabase = [&] { return db; };
    QElapsedTimer opening;
    opening.start();
    auto *wizard = new frmAddFilterWizard(services, state, &owner, hooks);
    const double openMs = opening.nsecsElapsed() / 1e6;
    wizard->show();
    QApplication::processEvents();
    auto *text1 = wizard->findChild<QLineEdit *>(QStringLiteral("Text1"));
    auto *list = wizard->findChild<QTreeView *>(QStringLiteral("list_preview"));
    auto *panel = wizard->findChild<QWidget *>(QStringLiteral("frame_preview"));
    if (!text1 || !list || !panel)
        std::abort();
    const double repaint = medianMs(runs, [&] { panel->repaint(); });
    std::printf("\n the wizard, 10 filters above: opening %.1f ms in all; one repaint of the "
                "preview panel %.3f ms\n",
                openMs, repaint);
    for (const char *typed : {"xvid", "s0#e1#", ""}) {
        text1->setText(QString::fromLatin1(typed));
        const double ms = medianMs(runs, [&] {
            wizard->onTmrPreviewTick();
            panel->repaint();
        });
        const QByteArray label = QByteArray("refresh after typing \"") + typed + "\"";
        std::printf("  %-44s %9.3f ms  %7.2f x floor  %s\n", label.constData(), ms, ms / floor,
                    editTarget);
    }
    delete wizard;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.append(std::max(1, atoi(argv[i])));
    if (sizes.isEmpty())
        sizes = {30000, 1000000};
    for (int rows : sizes)
        run(rows);
    return 0;
}

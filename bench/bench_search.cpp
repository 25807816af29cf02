// The search window's work on a generated torrents.db of realistic release names (the site
// simulator's), at 30000 and 1,000,000 rows: loading the file, one keystroke's plain search,
// wildcard searches, a category-only search, and showing the results in the list. Each figure
// is a median and is printed with its ratio to a floor measured in the same run:
//   load    reading the file into one buffer and finding every line end (memchr)
//   search  one memmem pass over the lowered names for a text that does not occur
//   list    repainting the list view once with nothing changed
// and the memory a loaded snapshot holds, against the file's size.
//
//   bench/bench_search [rows...]        (default: 30000 1000000)

#include "BenchDatabase.h"
#include "FeedWriter.h"
#include "ReleaseNameGenerator.h"
#include "search/SearchDatabase.h"
#include "search/SearchQuery.h"
#include "search/SearchResultModel.h"
#include "SiteCatalogue.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTreeView>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sys/mman.h>
#include <vector>

namespace {

using BenchDatabase::makeDatabase;
using BenchDatabase::medianMs;

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

void report(const char *what, double ms, double floor, const char *target,
            const char *floorName = "floor")
{
    std::printf("  %-44s %9.3f ms  %6.2f x %-6s  %s\n", what, ms, ms / floor, floorName, target);
}

void run(int rows, const QString &folder)
{
    const bool big = rows > 100000;
    const int runs = big ? 7 : 31;
    const QString path = folder + QStringLiteral("/torrents.db");
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(makeDatabase(rows)) < 0)
            std::abort();
    }
    const qint64 fileSize = QFileInfo(path).size();
    std::printf("\n%d rows, torrents.db %.1f MB\n", rows, fileSize / 1048576.0);
    volatile qsizetype sink = 0;

    // Load.
    const double loadFloor = medianMs(runs, [&] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            std::abort();
        // Into memory backed by huge pages, as the loader reads it.
        QByteArray bytes(qsizetype(file.size()), Qt::Uninitialized);
        const uintptr_t huge = 2 * 1024 * 1024;
        const uintptr_t from = (uintptr_t(bytes.constData()) + huge - 1) & ~(huge - 1);
        const uintptr_t to = (uintptr_t(bytes.constData()) + uintptr_t(bytes.size())) & ~(huge - 1);
        if (to > from)
            madvise(reinterpret_cast<void *>(from), to - from, MADV_HUGEPAGE);
        if (file.read(bytes.data(), bytes.size()) != bytes.size())
            std::abort();
        qsizetype lines = 0;
        const char *p = bytes.constData();
        const char *end = p + bytes.size();
        while (const void *lf = std::memchr(p, '\n', size_t(end - p))) {
            ++lines;
            p = static_cast<const char *>(lf) + 1;
        }
        sink = sink + lines;
    });
    const double load = medianMs(runs, [&] {
        const SearchDatabase::LoadResult result = SearchDatabase::load(path);
        if (!result.database || result.database->rowCount() != rows)
            std::abort();
    });
    const long rssBefore = residentKiB();
    std::shared_ptr<const SearchDatabase> db = SearchDatabase::load(path).database;
    const long rssAfter = residentKiB();
    std::printf(" load (read_db)                               floor %8.3f ms (read + find "
                "line ends)\n",
                loadFloor);
    report("load", load, loadFloor, big ? "target <= 500 ms" : "target <= 10 ms");
    std::printf("  %-44s %9.1f MB  %6.2f x file     target <= 1.6 x file\n",
                "memory held by the snapshot", db->memoryBytes() / 1048576.0,
                double(db->memoryBytes()) / double(fileSize));
    std::printf("  %-44s %9.1f MB  %6.2f x file\n", "resident memory grown by one load",
                (rssAfter - rssBefore) / 1024.0, (rssAfter - rssBefore) * 1024.0 / fileSize);

    // Searches.
    const char *absent = "qqzqqzq";
    const double searchFloor = medianMs(runs, [&] {
        sink = sink + (memmem(db->loweredNames(), size_t(db->loweredSize()), absent,
                              std::strlen(absent)) != nullptr);
    });
    std::printf(" search        floor %8.3f ms (one memmem pass over %.1f MB of lowered names for "
                "a text that does not occur); each plain query's floor is its own memmem pass\n",
                searchFloor, db->loweredSize() / 1048576.0);
    const char *plainTarget =
        big ? "target <= 2 x floor, <= 40 ms" : "target <= 2 x floor, <= 1 ms";
    // The floor of one query: one memmem pass finding every occurrence of its text.
    const auto passFor = [&](const char *text) {
        return medianMs(runs, [&] {
            const char *names = db->loweredNames();
            const size_t size = size_t(db->loweredSize());
            const size_t length = std::strlen(text);
            size_t at = 0;
            qsizetype hits = 0;
            while (const void *hit = memmem(names + at, size - at, text, length)) {
                ++hits;
                at = size_t(static_cast<const char *>(hit) - names) + 1;
            }
            sink = sink + hits;
        });
    };
    double plainMs = 0;
    for (const char *query : {"xvid", "dvdrip", "harbour patrol", "qqzqqzq"}) {
        size_t found = 0;
        const double ms = medianMs(runs, [&] {
            found =
                SearchQuery(QString::fromLatin1(query)).run(*db, SearchQuery::AllCategories).size();
        });
        if (std::strcmp(query, "xvid") == 0)
            plainMs = ms;
        const double pass = passFor(query);
        const QByteArray label = "plain \"" + QByteArray(query) + "\" (" +
                                 QByteArray::number(qulonglong(found)) + " found)";
        report(label.constData(), ms, pass, plainTarget, "pass");
        std::printf("  %-44s %9s     %6.2f x floor   (pass = its own memmem pass: %.3f ms)\n", "",
                    "", ms / searchFloor, pass);
    }
    for (const char *query : {"s0#e1#", "*x264*1080p", "*1080p*x264", "[!a-z]iso"}) {
        size_t found = 0;
        const double ms = medianMs(runs, [&] {
            found =
                SearchQuery(QString::fromLatin1(query)).run(*db, SearchQuery::AllCategories).size();
        });
        const QByteArray label = "wildcard \"" + QByteArray(query) + "\" (" +
                                 QByteArray::number(qulonglong(found)) + " found)";
        report(label.constData(), ms, searchFloor, "");
        std::printf("  %-44s %9s     %6.2f x plain   target <= 3 x plain \"xvid\"\n", "", "",
                    ms / plainMs);
    }
    const int tv = db->categoryIndexOf(QStringLiteral("TV/XviD"));
    size_t inCategory = 0;
    const double categoryMs =
        medianMs(runs, [&] { inCategory = SearchQuery(QString()).run(*db, tv).size(); });
    const QByteArray label =
        "category only, TV/XviD (" + QByteArray::number(qulonglong(inCategory)) + " found)";
    report(label.constData(), categoryMs, searchFloor, "");

    // The result list on screen.
    QTreeView view;
    SearchResultModel model;
    view.setUniformRowHeights(true);
    view.setRootIsDecorated(false);
    view.header()->setStretchLastSection(false);
    view.setModel(&model);
    view.resize(624, 330); // the list in the window's first size
    view.show();
    const std::vector<quint32> all = SearchQuery(QString()).run(*db, SearchQuery::AllCategories);
    const std::vector<quint32> first30000(all.begin(),
                                          all.begin() + std::min<size_t>(all.size(), 30000));
    model.setResults(db, first30000);
    QApplication::processEvents();
    const double listFloor = medianMs(runs, [&] { view.viewport()->repaint(); });
    std::printf(" result list                                  floor %8.3f ms (one repaint of "
                "the list)\n",
                listFloor);
    const double fill30000 = medianMs(runs, [&] {
        model.setResults(db, first30000);
        view.viewport()->repaint();
    });
    report("show 30000 results", fill30000, listFloor, "target <= 10 ms");
    if (big) {
        const double fillAll = medianMs(runs, [&] {
            model.setResults(db, all);
            view.viewport()->repaint();
        });
        report("show 1000000 results", fillAll, listFloor, "");
    }
    const double widgets = medianMs(big ? 3 : 5, [&] {
        QTreeWidget tree;
        QList<QTreeWidgetItem *> items;
        items.reserve(30000);
        for (size_t i = 0; i < first30000.size(); ++i) {
            const int row = int(first30000[i]);
            items.append(new QTreeWidgetItem(
                QStringList{db->name(row), db->category(row), QStringLiteral("1.00")}));
        }
        tree.addTopLevelItems(items);
    });
    report("(for comparison: 30000 QTreeWidgetItems)", widgets, listFloor, "");
    QFile::remove(path);
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
    QTemporaryDir dir;
    for (int rows : sizes)
        run(rows, dir.path());
    return 0;
}

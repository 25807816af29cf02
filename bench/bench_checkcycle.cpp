// One whole feed check's work after the reply has arrived: the reply checks and the parser
// (150 rows), the torrents.db append while in step (149 new rows), 100 filters of mixed kinds
// and the alert stage with its bookkeeping (CheckCycle), in a real program folder and settings
// file. Reported next to a floor measured in the same run, the least any implementation must
// do: one pass over the reply finding every TAB and line break, lower-casing the 150 names and
// searching each for the 100 filters' literals with memmem, and one plain append of the new
// rows to a file. Timed with and without the debug log; the stages and one settings write
// (an atomic rewrite of the settings file that the file system syncs) are shown on their own.
// The rewrites of the settings file are counted as the file system reports them: a check
// stores its four values (search_newest, search_updated, lastalerted, lastparsed) in one.
//
// The program folder is a temporary folder: on a disk the syncs dominate and vary with the
// disk's load; TMPDIR=/dev/shm measures the work itself.
//
//   bench/bench_checkcycle [runs]

#include "core/DebugLog.h"
#include "feed/FeedCheck.h"
#include "feed/FeedParser.h"
#include "feed/FeedReplyClassifier.h"
#include "feed/TorrentDb.h"
#include "FileRewriteCounter.h"
#include "model/ProgramState.h"
#include "notify/CheckCycle.h"
#include "platform/Clock.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int Rows = 150;
constexpr int FilterCount = 100;
constexpr int FirstId = 800000;

const char *const Words[] = {"Linux",   "Debian", "Live",    "ISO",    "x264",     "720p",
                             "HDTV",    "Season", "Harbour", "Proper", "REPACK",   "Deluxe",
                             "Edition", "Ubuntu", "Server",  "amd64",  "DVDRip",   "XviD",
                             "FLAC",    "Pack",   "Summer",  "Night",  "Northern", "Lights"};
const char *const Categories[] = {"TV/XviD", "TV/HD", "Appz/PC ISO", "Music/MP3", "Movies/XviD"};

QString makeReply(QRandomGenerator &rng)
{
    QString reply = QStringLiteral("#PWKF12#\r\n\r\n");
    const int words = int(sizeof(Words) / sizeof(Words[0]));
    for (int i = 0; i < Rows; ++i) {
        QStringList name;
        const int n = 4 + int(rng.bounded(6));
        for (int w = 0; w < n; ++w)
            name << QString::fromLatin1(Words[rng.bounded(words)]);
        if (rng.bounded(3) == 0)
            name << QStringLiteral("S0%1E%2").arg(rng.bounded(1, 9)).arg(rng.bounded(10, 24));
        const QString dotted = name.join(QLatin1Char('.')) + QStringLiteral("-GRP");
        reply += QString::number(FirstId + i) + QLatin1Char('\t') +
                 QString::number(100000000 + rng.bounded(2000000000u)) + QLatin1Char('\t') +
                 QString::fromLatin1(Categories[rng.bounded(5)]) + QStringLiteral("\t1\t") +
                 dotted + QLatin1Char('\t') + dotted + QStringLiteral(".torrent\r\n");
    }
    return reply;
}

FilterTable makeFilters(QRandomGenerator &rng, std::vector<std::string> *literals)
{
    FilterTable table;
    const int words = int(sizeof(Words) / sizeof(Words[0]));
    for (int i = 0; i < FilterCount; ++i) {
        const QString w = QString::fromLatin1(Words[rng.bounded(words)]).toLower();
        literals->push_back(w.toStdString());
        FilterRecord f{true, QStringLiteral("Contains"), QStringLiteral("Notify"), {w}, {"*"}};
        const int kind = int(rng.bounded(100));
        if (kind < 15) {
            f.Keywords << QString::fromLatin1(Words[rng.bounded(words)]).toLower();
            f.Categories = {QStringLiteral("TV/HD"), QStringLiteral("Appz/PC ISO")};
        } else if (kind < 27) {
            f.Keywords = {QStringLiteral("s0#e1#")};
        } else if (kind < 37) {
            f.MatchMode = QStringLiteral("Exactly Matches");
            f.Keywords = {w + QLatin1Char('*')};
            f.Action = QStringLiteral("Download");
        } else if (kind < 49) {
            f.MatchMode = QStringLiteral("Does Not Contain");
            f.Categories = {QStringLiteral("Music/MP3")};
        } else if (kind < 55) {
            f.Action = QStringLiteral("Ignore");
        }
        table.append(f);
    }
    return table;
}

double medianMs(std::vector<qint64> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2] / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 200;
    QRandomGenerator rng(20261206);
    const QString reply = makeReply(rng);
    std::vector<std::string> literals;
    const FilterTable filters = makeFilters(rng, &literals);
    const qint32 lastparsed = FirstId;

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    Services services;
    services.config = AppConfig::inFolder(dir.path());
    SettingsStore store(services.config.settingsPath(), services.config.autostartPath());
    SystemClock clock;
    DebugLog log(&clock);
    services.store = &store;
    services.clock = &clock;
    const QString dbPath = services.config.programFile(QStringLiteral("torrents.db"));
    {
        QFile db(dbPath);
        if (!db.open(QIODevice::WriteOnly))
            return 1;
        db.write(QByteArray::number(lastparsed) + "\t1\tTV/HD\t1\tStart\tStart.torrent\r\n");
    }

    ProgramState state;
    state.settings.TorrentFolder = services.config.programFolder();
    state.Filters = filters;
    int downloads = 0;
    const auto starter = [&downloads](const DownloadRequest &) {
        ++downloads;
        return true;
    };

    FileRewriteCounter rewrites(services.config.settingsPath());
    if (!rewrites.isValid())
        return 1;
    long checks = 0;
    long checkRewrites = 0;

    // One check; the settings are put back in step first, outside the timing and the count.
    const auto check = [&](DebugLog *withLog, std::vector<qint64> *times, int *results) {
        store.WriteSettingText(QStringLiteral("search_newest"), QString::number(lastparsed));
        rewrites.reset();
        state.results.clear();
        services.log = withLog;
        QElapsedTimer timer;
        timer.start();
        if (FeedReplyClassifier::classify(reply, QString()) != FeedFailure::None)
            std::abort();
        const FeedParseResult parsed = FeedParser::parse(reply);
        if (parsed.failure != FeedFailure::None || parsed.count != Rows)
            std::abort();
        state.exclusion.clear();
        state.feed = parsed.rows;
        FeedCheckContext context;
        context.lastparsed = lastparsed;
        context.lastalerted = lastparsed;
        context.count = parsed.count;
        CheckCycle cycle(services, state, starter);
        const AlertStage::Outcome outcome = cycle.run(context, true, true);
        times->push_back(timer.nsecsElapsed());
        ++checks;
        checkRewrites += rewrites.count();
        if (!cycle.failedStages().isEmpty() || !outcome.stored ||
            store.ReadSettingText(QStringLiteral("search_newest")) !=
                QString::number(FirstId + Rows - 1))
            std::abort();
        *results = int(state.results.size());
    };

    // One rewrite of the settings file, as each stored value costs.
    std::vector<qint64> storeTimes;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        store.WriteSettingText(QStringLiteral("bench_value"), QString::number(run));
        storeTimes.push_back(timer.nsecsElapsed());
    }

    std::vector<qint64> floorTimes;
    volatile qsizetype sink = 0;
    const ParsedFeed floorRows = FeedParser::parse(reply).rows;
    const QByteArray newRows = reply.mid(reply.indexOf(QStringLiteral("\r\n"), 12) + 2).toLatin1();
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        qsizetype marks = 0;
        for (const QChar c : reply)
            marks += (c == QLatin1Char('\t') || c == QLatin1Char('\r')) ? 1 : 0;
        for (const TorrentRecord &t : floorRows) {
            std::string lowered = t.Name.toStdString();
            for (char &c : lowered)
                c = char(std::tolower(static_cast<unsigned char>(c)));
            for (const std::string &needle : literals)
                marks +=
                    memmem(lowered.data(), lowered.size(), needle.data(), needle.size()) ? 1 : 0;
        }
        QFile out(dir.filePath(QStringLiteral("floor.db")));
        if (out.open(QIODevice::Append)) {
            out.write(newRows);
            out.close();
        }
        floorTimes.push_back(timer.nsecsElapsed());
        sink = sink + marks;
    }

    int results = 0;
    std::vector<qint64> quiet;
    std::vector<qint64> logged;
    long lines = 0;
    QObject::connect(&log, &DebugLog::lineAdded, [&lines] { ++lines; });
    // Alternate the two so that neither gets a warmer cache or disk.
    for (int run = 0; run < runs; ++run) {
        check(nullptr, &quiet, &results);
        check(&log, &logged, &results);
    }

    // The stages on their own, without the log; their settings are written in one batch, as in
    // a check, after the timing.
    std::vector<qint64> parseTimes, dbTimes, filterTimes, alertTimes;
    for (int run = 0; run < runs; ++run) {
        store.WriteSettingText(QStringLiteral("search_newest"), QString::number(lastparsed));
        SettingsStore::Batch batch(store);
        state.results.clear();
        QElapsedTimer timer;
        timer.start();
        const FeedParseResult parsed = FeedParser::parse(reply);
        parseTimes.push_back(timer.nsecsElapsed());
        state.feed = parsed.rows;
        state.exclusion.clear();
        timer.restart();
        TorrentDb(state, store, clock, nullptr, dbPath).appendFromCheck(lastparsed);
        dbTimes.push_back(timer.nsecsElapsed());
        timer.restart();
        FilterEngine(state, nullptr, starter).run(true, lastparsed);
        filterTimes.push_back(timer.nsecsElapsed());
        timer.restart();
        AlertStage(state, store, nullptr).run(lastparsed, lastparsed, true);
        alertTimes.push_back(timer.nsecsElapsed());
        batch.commit();
    }

    const double floor = medianMs(floorTimes);
    const double noLog = medianMs(quiet);
    const double withLog = medianMs(logged);
    const double oneWrite = medianMs(storeTimes);
    std::printf("whole check after the reply: %d rows, %d filters, %d results, median of %d "
                "runs\n",
                Rows, FilterCount, results, runs);
    std::printf("  floor (scan + lower-case/memmem x %d + one append):  %7.3f ms\n", FilterCount,
                floor);
    std::printf("  whole check, no debug log:                       %7.3f ms  (%.1f x floor)\n",
                noLog, noLog / floor);
    std::printf("  whole check, with debug log (%ld lines):      %7.3f ms  (%.1f x floor)\n",
                lines / (runs > 0 ? runs : 1), withLog, withLog / floor);
    std::printf("  stages: parse %.3f, torrents.db %.3f, filters %.3f, alerts %.3f ms\n",
                medianMs(parseTimes), medianMs(dbTimes), medianMs(filterTimes),
                medianMs(alertTimes));
    std::printf("  one settings write (atomic file rewrite):        %7.3f ms\n", oneWrite);
    std::printf("  settings rewrites per check: %.2f (%ld in %ld checks; search_newest, "
                "search_updated, lastalerted and lastparsed stored together)\n",
                double(checkRewrites) / double(checks), checkRewrites, checks);
    std::printf("  target: <= 2 ms\n");
    return 0;
}

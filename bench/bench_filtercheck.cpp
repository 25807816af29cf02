// One feed check's filter work: 150 new torrents through 100 filters of mixed kinds, timed
// against a floor measured in the same run (lower-casing the 150 names and searching each for
// 100 literals with memmem). Prints medians over many runs and their ratio. Then the same stage
// with size limits on every other filter (limits every torrent is within, so the work is the
// same but for the size tests), timed in turn with the stage without them; its target is at
// most 1.10 times their time.

#include "core/DebugLog.h"
#include "filters/FilterEngine.h"
#include "model/ProgramState.h"
#include "platform/Clock.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int Rows = 150;
constexpr int FilterCount = 100;
constexpr int Runs = 400;

const char *const Shows[] = {"Northern Lights", "The Long Road", "Harbour Watch", "Deep Field",
                             "Iron Valley",     "Quiet Hours",   "Second Chance", "Open Range"};
const char *const Tags[] = {"720p HDTV x264-LOL", "1080p WEB-DL DD5 1 H 264", "HDTV XviD-FQM",
                            "PROPER 720p HDTV",   "DVDRip XviD-SAiNTS",       "REPACK WEB h264"};
const char *const Apps[] = {"Office Suite 2010 Pro",       "Linux Mint 13 Maya amd64 ISO",
                            "Photo Editor 9 Portable",     "Ubuntu 12 04 Desktop i386 iso",
                            "Antivirus 2012 Final Keygen", "Video Converter 7 2 Multilingual"};
const char *const Music[] = {"Artist One - Greatest Hits (2008) [FLAC]",
                             "The Band - Live at the Hall 320kbps", "Various - Summer Mix MP3",
                             "Composer - Symphonies 1-9 (Box Set) FLAC"};
const char *const Categories[] = {"TV/XviD",    "TV/HD",       "Appz/PC ISO", "Music/MP3",
                                  "Music/FLAC", "Movies/XviD", "Games/PC",    "n/a"};
const char *const Words[] = {"linux",      "flac",       "hdtv",    "northern lights",
                             "iso",        "proper",     "keygen",  "summer",
                             "symphonies", "deep field", "harbour", "portable",
                             "1080p",      "x264",       "box set", "greatest",
                             "repack",     "mint",       "ubuntu",  "office",
                             "cam",        "ts",         "german",  "french",
                             "dubbed",     "subbed",     "nl",      "r5",
                             "dvdscr",     "telesync"};

ParsedFeed makeFeed(QRandomGenerator &rng)
{
    ParsedFeed feed;
    for (int i = 0; i < Rows; ++i) {
        QString name;
        QString category;
        switch (rng.bounded(3)) {
        case 0:
            name = QString::fromLatin1(Shows[rng.bounded(8)]) +
                   QStringLiteral(" S%1E%2 ")
                       .arg(rng.bounded(1, 9), 2, 10, QLatin1Char('0'))
                       .arg(rng.bounded(1, 24), 2, 10, QLatin1Char('0')) +
                   QString::fromLatin1(Tags[rng.bounded(6)]);
            category = QString::fromLatin1(Categories[rng.bounded(2)]);
            break;
        case 1:
            name = QString::fromLatin1(Apps[rng.bounded(6)]);
            category = QStringLiteral("Appz/PC ISO");
            break;
        default:
            name = QString::fromLatin1(Music[rng.bounded(4)]);
            category = QString::fromLatin1(Categories[3 + rng.bounded(2)]);
            break;
        }
        const QString id = QString::number(500000 + i);
        feed.append({id, QString::number(rng.bounded(1, 1 << 30)), category, name,
                     QString(name).replace(QLatin1Char(' '), QLatin1Char('.')) + ".torrent"});
    }
    return feed;
}

FilterTable makeFilters(QRandomGenerator &rng, QStringList *literals)
{
    FilterTable table;
    const int words = int(sizeof(Words) / sizeof(Words[0]));
    for (int i = 0; i < FilterCount; ++i) {
        FilterRecord f;
        f.Enabled = true;
        f.Action = QStringLiteral("Notify");
        f.Categories = {QStringLiteral("*")};
        const QString w = QString::fromLatin1(Words[rng.bounded(words)]);
        literals->append(w);
        const int kind = rng.bounded(100);
        if (kind < 45) { // one literal
            f.MatchMode = QStringLiteral("Contains");
            f.Keywords = {w};
        } else if (kind < 60) { // two literals
            f.MatchMode = QStringLiteral("Contains");
            f.Keywords = {w, QString::fromLatin1(Words[rng.bounded(words)])};
            f.Categories = {QStringLiteral("Appz/PC ISO"), QStringLiteral("TV/HD")};
        } else if (kind < 72) { // wildcards
            static const char *const patterns[] = {"s0#e1#", "[!a-z]iso", "s0?e0?*hdtv",
                                                   "*[0-9][0-9]p*", "deep*s01e##"};
            f.MatchMode = QStringLiteral("Contains");
            f.Keywords = {QString::fromLatin1(patterns[rng.bounded(5)])};
        } else if (kind < 82) { // whole names
            f.MatchMode = QStringLiteral("Exactly Matches");
            f.Keywords = {w + QLatin1Char('*')};
            f.Action = QStringLiteral("Download");
        } else if (kind < 94) { // vetoes
            f.MatchMode = QStringLiteral("Does Not Contain");
            f.Keywords = {w};
            f.Categories = {QStringLiteral("Music/FLAC")};
        } else {
            f.MatchMode = QStringLiteral("Contains");
            f.Keywords = {w};
            f.Action = QStringLiteral("Ignore");
        }
        table.append(f);
    }
    return table;
}

qint64 median(std::vector<qint64> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    // "--no-log" leaves out the run with the debug log (for profiling the matching alone).
    const bool withLog = !(argc > 1 && std::strcmp(argv[1], "--no-log") == 0);
    QRandomGenerator rng(20260612);
    ProgramState state;
    state.settings.TorrentFolder = QStringLiteral("/tmp/torrents/");
    state.feed = makeFeed(rng);
    QStringList literalWords;
    state.Filters = makeFilters(rng, &literalWords);
    const qint32 lastparsed = 499999;
    int downloads = 0;
    const auto starter = [&downloads](const DownloadRequest &) {
        ++downloads;
        return true;
    };

    // Floor: lower-case every name and search it for 100 literals.
    std::vector<std::string> names;
    for (const TorrentRecord &t : std::as_const(state.feed))
        names.push_back(t.Name.toLatin1().toStdString());
    std::vector<std::string> needles;
    for (const QString &w : std::as_const(literalWords))
        needles.push_back(w.toLatin1().toStdString());
    std::vector<qint64> floorTimes;
    volatile int sink = 0;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        int found = 0;
        for (const std::string &name : names) {
            std::string lowered = name;
            for (char &c : lowered)
                c = char(std::tolower(static_cast<unsigned char>(c)));
            for (const std::string &needle : needles) {
                if (memmem(lowered.data(), lowered.size(), needle.data(), needle.size()))
                    ++found;
            }
        }
        floorTimes.push_back(timer.nsecsElapsed());
        sink = sink + found;
    }

    // One run of the filter stage over the state's feed and filters: its time.
    const auto runOnce = [&](DebugLog *log) {
        state.results.clear();
        state.exclusion.clear();
        QElapsedTimer timer;
        timer.start();
        FilterEngine engine(state, log, starter);
        engine.run(true, lastparsed);
        return timer.nsecsElapsed();
    };
    // The filter stage, without and with the debug log it writes in the program.
    const auto time = [&](DebugLog *log, int *results) {
        std::vector<qint64> times;
        for (int run = 0; run < Runs; ++run)
            times.push_back(runOnce(log));
        *results = int(state.results.size());
        return median(times);
    };
    int results = 0;
    const qint64 engineNs = time(nullptr, &results);
    SystemClock clock;
    DebugLog log(&clock);
    long logLines = 0;
    QObject::connect(&log, &DebugLog::lineAdded, [&logLines] { ++logLines; });
    int loggedResults = results;
    const qint64 loggedNs = withLog ? time(&log, &loggedResults) : 0;
    const qint64 floorNs = median(floorTimes);

    std::printf("filter check: %d rows x %d filters, %d results, median of %d runs\n", Rows,
                FilterCount, results, Runs);
    std::printf("  floor (lower-case + memmem x %d): %8.3f ms\n", FilterCount, floorNs / 1e6);
    std::printf("  filter stage, no log:             %8.3f ms  (%.2f x floor)\n", engineNs / 1e6,
                double(engineNs) / double(floorNs));
    if (withLog)
        std::printf("  filter stage, with debug log:     %8.3f ms  (%.2f x floor, %ld lines)\n",
                    loggedNs / 1e6, double(loggedNs) / double(floorNs), logLines / Runs);
    std::printf("  target: <= 2 ms for the whole check's work\n");

    // Limits on half the filters, timed alternately with the table without them so that both
    // see the same machine.
    const FilterTable plain = state.Filters;
    FilterTable limited = plain;
    for (int slot = 1; slot <= limited.count(); slot += 2) {
        SizeLimit::fromText(QStringLiteral("1 GB"), &limited[slot].Limits.largest);
        if (slot % 4 == 1)
            SizeLimit::fromText(QStringLiteral("0 MB"), &limited[slot].Limits.smallest);
    }
    std::vector<qint64> plainTimes, limitedTimes;
    int limitedResults = 0;
    for (int run = 0; run < 2 * Runs; ++run) {
        const bool withLimits = run % 2 == 1;
        state.Filters = withLimits ? limited : plain;
        (withLimits ? limitedTimes : plainTimes).push_back(runOnce(nullptr));
        if (withLimits)
            limitedResults = int(state.results.size());
    }
    const qint64 plainNs = median(plainTimes);
    const qint64 limitedNs = median(limitedTimes);
    std::printf("  without size limits:              %8.3f ms\n", plainNs / 1e6);
    std::printf("  size limits on half the filters:  %8.3f ms  (%.3f x without, target <= 1.10)\n",
                limitedNs / 1e6, double(limitedNs) / double(plainNs));
    return results == loggedResults && results == limitedResults ? 0 : 1;
}

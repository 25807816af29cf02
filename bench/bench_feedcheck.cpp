// One feed check's work after the reply has arrived, for the part the check itself does: the
// reply checks, the parser (150 rows) and the category comparison. Reported next to a floor
// measured in the same run: one plain pass over the reply's characters that finds every TAB
// and line break, which any parser must at least do.
//
//   bench/bench_feedcheck [iterations]

#include "feed/Categories.h"
#include "feed/FeedParser.h"
#include "feed/FeedReplyClassifier.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString makeReply(int rows)
{
    static const char *words[] = {"Linux",  "Debian", "Live",    "ISO",      "x264",
                                  "720p",   "HDTV",   "Season",  "Complete", "Proper",
                                  "REPACK", "Deluxe", "Edition", "Ubuntu",   "Server",
                                  "amd64",  "DVDRip", "XviD",    "Docs",     "Pack"};
    QRandomGenerator rng(2008);
    const QStringList categories = Categories::builtIn();
    QString reply = QStringLiteral("#PWKF12#\r\n") + categories.join(QLatin1Char('\t')) +
                    QStringLiteral("\r\n");
    for (int i = 0; i < rows; ++i) {
        QStringList name;
        const int n = 4 + int(rng.bounded(6));
        for (int w = 0; w < n; ++w)
            name << QString::fromLatin1(words[rng.bounded(20)]);
        const QString dotted = name.join(QLatin1Char('.')) + QStringLiteral("-GRP");
        reply += QString::number(700000 + i) + QLatin1Char('\t') +
                 QString::number(100000000 + rng.bounded(4000000000u)) + QLatin1Char('\t') +
                 categories[int(rng.bounded(25))] + QStringLiteral("\t1\t") + dotted +
                 QLatin1Char('\t') + dotted + QStringLiteral(".torrent\r\n");
    }
    return reply;
}

template <typename F> double medianMicros(int iterations, F &&work)
{
    std::vector<double> samples;
    for (int round = 0; round < 15; ++round) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < iterations; ++i)
            work();
        samples.push_back(timer.nsecsElapsed() / 1000.0 / iterations);
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(1, atoi(argv[1])) : 200;
    const QString reply = makeReply(150);
    const QStringList current = Categories::builtIn();
    volatile qsizetype sink = 0;

    const double floor = medianMicros(iterations, [&] {
        qsizetype tabs = 0;
        qsizetype breaks = 0;
        for (const QChar c : reply) {
            if (c == QLatin1Char('\t'))
                ++tabs;
            else if (c == QLatin1Char('\r'))
                ++breaks;
        }
        sink = sink + tabs + breaks;
    });

    const double check = medianMicros(iterations, [&] {
        if (FeedReplyClassifier::classify(reply, QString()) != FeedFailure::None)
            std::abort();
        const FeedParseResult parsed = FeedParser::parse(reply);
        if (parsed.count != 150 || parsed.failure != FeedFailure::None)
            std::abort();
        sink = sink + (parsed.categories == current ? 1 : 0) + parsed.rows.size();
    });

    std::printf("reply: %lld characters, 150 rows\n", static_cast<long long>(reply.size()));
    std::printf("floor (one pass over the reply): %8.1f us\n", floor);
    std::printf("reply checks + parse + category compare: %8.1f us  (%.1f x floor; target 2000 us "
                "for the whole check)\n",
                check, check / floor);
    return 0;
}

#pragma once

#include "FeedWriter.h"
#include "ReleaseNameGenerator.h"
#include "SiteCatalogue.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>
#include <vector>

// What the search and preview benchmarks share: the median time of a piece of work, and a
// torrents.db of generated release names (the same rows on every run), ids from 700001 up.
namespace BenchDatabase {

template <typename F> double medianMs(int runs, F &&work)
{
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        samples.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

inline QByteArray makeDatabase(int rows)
{
    QRandomGenerator random(2008);
    ReleaseNameGenerator generator(random);
    const QStringList categories = SiteCatalogue::defaultCategories();
    QByteArray out;
    out.reserve(qsizetype(rows) * 110);
    for (int i = 0; i < rows; ++i) {
        SiteTorrent t = generator.make(categories);
        t.id = 700001 + i;
        out += FeedWriter::row(t);
    }
    return out;
}

} // namespace BenchDatabase

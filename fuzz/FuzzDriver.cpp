// Runs the fuzz targets without libFuzzer. First every seed file under the corpus folder, as
// it is; then a fixed number of inputs made by mutating them with a seeded generator, so the
// run is the same every time. Each seed file is a whole input whose last byte chooses its
// target; a mutation keeps that byte, now and then trying another target. CTest runs it in
// every build; a sanitizer build (POLLWICK_SANITIZE) turns memory errors into failures.
//
//   fuzz_parsers <corpus folder> [iterations] [seed]
#include <QByteArray>
#include <QDirIterator>
#include <QFile>
#include <QList>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

void run(const QByteArray &input)
{
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(input.constData()),
                           size_t(input.size()));
}

QByteArray mutate(QByteArray input, QRandomGenerator &rng)
{
    static const char specials[] = "\t\r\n\\\"[]!*?#&,:;=-.%dlie0123456789\0";
    const int edits = 1 + int(rng.bounded(8));
    for (int e = 0; e < edits; ++e) {
        const int pos = input.isEmpty() ? 0 : int(rng.bounded(input.size() + 1));
        switch (rng.bounded(5)) {
        case 0: // insert a special character
            input.insert(pos, specials[rng.bounded(int(sizeof specials - 1))]);
            break;
        case 1: // insert a random byte
            input.insert(pos, char(rng.bounded(256)));
            break;
        case 2: // delete a run
            if (!input.isEmpty())
                input.remove(std::min<qsizetype>(pos, input.size() - 1), 1 + rng.bounded(8));
            break;
        case 3: // duplicate a run
            if (!input.isEmpty())
                input.insert(pos, input.mid(rng.bounded(input.size()), 1 + rng.bounded(32)));
            break;
        default: // flip a byte
            if (!input.isEmpty())
                input[std::min<qsizetype>(pos, input.size() - 1)] = char(rng.bounded(256));
            break;
        }
    }
    return input;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: fuzz_parsers <corpus folder> [iterations] [seed]\n");
        return 2;
    }
    const int iterations = argc > 2 ? std::atoi(argv[2]) : 20000;
    QRandomGenerator rng(argc > 3 ? quint32(std::atoi(argv[3])) : 512u);

    QStringList files;
    QDirIterator it(QString::fromLocal8Bit(argv[1]), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    QList<QByteArray> corpus;
    for (const QString &path : std::as_const(files)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 1;
        }
        corpus << file.readAll();
        if (corpus.last().isEmpty()) {
            std::fprintf(stderr, "%s is empty: a seed ends in its target's number\n",
                         qPrintable(path));
            return 1;
        }
    }
    if (corpus.isEmpty()) {
        std::fprintf(stderr, "no seed files under %s\n", argv[1]);
        return 1;
    }

    for (const QByteArray &seed : std::as_const(corpus))
        run(seed);
    for (int i = 0; i < iterations; ++i) {
        const QByteArray &seed = corpus[int(rng.bounded(corpus.size()))];
        QByteArray input = mutate(seed.chopped(1), rng);
        input.append(rng.bounded(8) == 0 ? char(rng.bounded(256)) : seed.back());
        run(input);
    }
    std::printf("%lld seeds and %d mutations, no failures\n", static_cast<long long>(corpus.size()),
                iterations);
    return 0;
}

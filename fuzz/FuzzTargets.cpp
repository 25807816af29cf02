// Fuzz targets for every parser of text that comes from the site or from a file the user may
// edit. Each one feeds the bytes to a parser and checks what must hold for any input: no
// crash, no undefined behaviour, and round trips that stay stable.
//
// An input's last byte chooses the target (its value modulo the number of targets), so one
// corpus exercises them all; the seed files under fuzz/corpus/<target>/ end in their target's
// number. POLLWICK_FUZZ_TARGET=<name> fixes the target for a campaign on one parser (the last
// byte is then still taken off, so the same seed files serve).
#include "account/ProfileCache.h"
#include "account/ProfilePage.h"
#include "download/TorrentFileCheck.h"
#include "feed/FeedParser.h"
#include "feed/FeedReplyClassifier.h"
#include "feed/TorrentDb.h"
#include "filters/FilterLimitsFile.h"
#include "model/FilterTable.h"
#include "platform/RegFile.h"
#include "platform/TextUtils.h"
#include "platform/WildcardMatcher.h"
#include "search/SearchDatabase.h"
#include "search/SearchQuery.h"
#include "search/SubstringFinder.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

void feed(const QByteArray &, const QString &text)
{
    const FeedParseResult parsed = FeedParser::parse(text);
    require(parsed.rows.size() <= parsed.count || parsed.failure != FeedFailure::None);
}

void classify(const QByteArray &, const QString &text)
{
    FeedReplyClassifier::classify(text, text.left(20));
}

// filters.dat: what a save writes, a load reads back the same.
void filters(const QByteArray &, const QString &text)
{
    const FilterTable table = FilterTable::parse(text);
    const QString saved = table.serialize();
    require(FilterTable::parse(saved).serialize() == saved);
}

// filterlimits.dat: what a save writes, a load reads back the same, and no limit attaches to a
// table without its filter.
void filterLimits(const QByteArray &, const QString &text)
{
    QList<FilterLimitsFile::Entry> entries;
    if (!FilterLimitsFile::parse(text, &entries))
        return;
    const QString saved = FilterLimitsFile::format(entries);
    QList<FilterLimitsFile::Entry> reread;
    require(FilterLimitsFile::parse(saved, &reread) && reread == entries);
    require(FilterLimitsFile::format(reread) == saved);
    FilterTable empty;
    require(FilterLimitsFile::attach(&empty, entries) == entries);
}

// settings.reg: what a rewrite writes reads back as the same keys and values, and a second
// rewrite writes the same bytes.
void settings(const QByteArray &bytes, const QString &)
{
    const RegFile file = RegFile::parse(bytes);
    const QByteArray written = file.serialize();
    const RegFile reread = RegFile::parse(written);
    require(reread.keys() == file.keys());
    require(reread.serialize() == written);
}

void torrentsDb(const QByteArray &, const QString &text)
{
    TorrentRecord record;
    for (const QStringView line : QStringView(text).split(QStringLiteral("\r\n")))
        TorrentDb::readLine(line, &record);
}

// The search window's loader of torrents.db: every row's fields and lowered name lie inside the
// snapshot, and a query finds rows newest first, each once.
void searchDb(const QByteArray &bytes, const QString &text)
{
    const SearchDatabase::LoadResult loaded = SearchDatabase::fromBytes(bytes);
    require(loaded.skippedRows >= 0);
    if (const std::shared_ptr<const SearchDatabase> db = loaded.database) {
        require(db->rowCount() > 0 && db->nameEnd(db->rowCount() - 1) < db->loweredSize());
        for (int row = 0; row < db->rowCount(); ++row) {
            require(db->nameStart(row) <= db->nameEnd(row));
            require(db->name(row).size() == db->nameEnd(row) - db->nameStart(row));
            require(db->categoryIndex(row) < db->categories().size());
            db->fileName(row);
            db->id(row);
        }
        const QString query = text.left(3);
        const std::vector<quint32> found = SearchQuery(query).run(*db, SearchQuery::AllCategories);
        for (size_t i = 0; i < found.size(); ++i)
            require(int(found[i]) < db->rowCount() && (i == 0 || found[i] < found[i - 1]));
    }
}

// Keyword patterns: the first line is the pattern, the rest the name.
void wildcard(const QByteArray &, const QString &text)
{
    const qsizetype cut = text.indexOf(QLatin1Char('\n'));
    const QString pattern = cut < 0 ? text : text.left(cut);
    const QString name = cut < 0 ? QString() : text.mid(cut + 1);
    WildcardMatcher matcher(pattern);
    const bool hit = matcher.matches(name);
    require(!hit || matcher.isValid());
    // The byte matcher of the search window agrees with the text matcher on Latin-1.
    const QString lowered = name.toLower();
    if (std::all_of(lowered.begin(), lowered.end(), [](QChar c) { return c.unicode() <= 0xff; }))
        require(matcher.matchesLoweredLatin1(lowered.toLatin1()) == hit);
    // The search's substring finder finds what memmem finds, from every start.
    const QByteArray needle = pattern.toLatin1();
    const QByteArray haystack = name.toLatin1();
    const SubstringFinder finder(needle);
    for (qsizetype from = 0; from <= haystack.size(); ++from) {
        const void *expected = memmem(haystack.constData() + from, size_t(haystack.size() - from),
                                      needle.constData(), size_t(needle.size()));
        const size_t found =
            finder.find(haystack.constData(), size_t(haystack.size()), size_t(from));
        require(expected
                    ? found == size_t(static_cast<const char *>(expected) - haystack.constData())
                    : found == SubstringFinder::NotFound);
    }
}

// The profile pages: every value cut out by its markers is one line, an id is used only when it
// is the number it reads as, and the cache gives back what it was given.
void profile(const QByteArray &, const QString &text)
{
    const QString name = ProfilePage::ownName(text);
    const qint32 id = ProfilePage::ownUserId(text);
    const ProfilePage::Details details = ProfilePage::details(text, id);
    ProfileTexts texts = details.values;
    texts.name = name;
    for (const QString &value : texts.toList())
        require(!value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r')));
    for (const ProfileTorrent &row : details.torrents) {
        const qint32 n = ProfilePage::numberFrom(row.id);
        require(n == 0 || row.id.toLongLong() == n);
    }
    const QString cache = ProfileCache::format(QStringLiteral("demo"), id > 0 ? id : 1, texts);
    const ProfileCache::Entry entry = ProfileCache::parse(cache, QStringLiteral("demo"));
    require(entry.valid && entry.texts == texts);
}

// getelement between the first two lines' markers, over the rest.
void profileMarkers(const QByteArray &, const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('\n'));
    const QString source = parts.mid(2).join(QLatin1Char('\n'));
    const QString start = parts.value(0);
    const QString end = parts.value(1);
    const QString found = ProfilePage::getelement(source, start, end);
    require(found.isEmpty() || (source.contains(start + found + end) && !found.contains(end)));
}

// A downloaded body: the answer does not depend on how the body arrives in pieces.
void torrentFile(const QByteArray &bytes, const QString &)
{
    const bool whole = TorrentFileCheck::isTorrent(bytes);
    TorrentFileCheck pieces;
    qsizetype at = 0;
    for (qsizetype step = 1; at < bytes.size(); step = step * 3 % 17 + 1) {
        pieces.add(QByteArrayView(bytes.constData() + at, std::min(step, bytes.size() - at)));
        at += step;
    }
    require(pieces.isTorrent() == whole);
    require(!whole || (bytes.startsWith('d') && bytes.endsWith('e')));
}

struct Target
{
    const char *name;
    void (*run)(const QByteArray &bytes, const QString &text);
};

// Their numbers are the seed files' last bytes: add new targets at the end.
const Target Targets[] = {
    {"feed", feed},
    {"classify", classify},
    {"filters", filters},
    {"settings", settings},
    {"torrentsdb", torrentsDb},
    {"wildcard", wildcard},
    {"profile", profile},
    {"profilemarkers", profileMarkers},
    {"torrentfile", torrentFile},
    {"searchdb", searchDb},
    {"filterlimits", filterLimits},
};
constexpr int TargetCount = int(sizeof Targets / sizeof Targets[0]);

// The target POLLWICK_FUZZ_TARGET names, or -1 when it is not set.
int fixedTarget()
{
    static const int fixed = [] {
        const char *name = std::getenv("POLLWICK_FUZZ_TARGET");
        if (!name || !*name)
            return -1;
        for (int i = 0; i < TargetCount; ++i) {
            if (std::strcmp(Targets[i].name, name) == 0)
                return i;
        }
        std::fprintf(stderr, "POLLWICK_FUZZ_TARGET: no target named %s; the targets are:", name);
        for (const Target &t : Targets)
            std::fprintf(stderr, " %s", t.name);
        std::fprintf(stderr, "\n");
        std::exit(2);
    }();
    return fixed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size - 1));
    const int fixed = fixedTarget();
    const Target &target = Targets[fixed >= 0 ? fixed : data[size - 1] % TargetCount];
    target.run(bytes, FromAnsi(bytes));
    return 0;
}

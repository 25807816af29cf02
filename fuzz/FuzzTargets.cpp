// Fuzz targets for every parser of text that comes from the site or from a file the user may
// edit. Each one feeds the bytes to a parser and checks what must hold for any input: no
// crash, no undefined behaviour, and round trips that stay stable.
#include "feed/FeedParser.h"
#include "feed/FeedReplyClassifier.h"
#include "feed/TorrentDb.h"
#include "filters/FilterTable.h"
#include "filters/WildcardMatcher.h"
#include "platform/RegFile.h"
#include "platform/TextUtils.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size - 1));
    const QString text = FromAnsi(bytes);
    // The first byte chooses the parser, so one corpus exercises them all.
    switch (data[size - 1] % 6) {
    case 0: {
        const FeedParseResult parsed = FeedParser::parse(text);
        require(parsed.rows.size() <= parsed.count || parsed.failure != FeedFailure::None);
        break;
    }
    case 1:
        FeedReplyClassifier::classify(text, text.left(20));
        break;
    case 2: {
        // filters.dat: what a save writes, a load reads back the same.
        const FilterTable table = FilterTable::parse(text);
        const QString saved = table.serialize();
        require(FilterTable::parse(saved).serialize() == saved);
        break;
    }
    case 3: {
        // settings.reg: what a rewrite writes reads back as the same keys and values, and a
        // second rewrite writes the same bytes.
        const RegFile file = RegFile::parse(bytes);
        const QByteArray written = file.serialize();
        const RegFile reread = RegFile::parse(written);
        require(reread.keys() == file.keys());
        require(reread.serialize() == written);
        break;
    }
    case 4: {
        TorrentRecord record;
        for (const QStringView line : QStringView(text).split(QStringLiteral("\r\n")))
            TorrentDb::readLine(line, &record);
        break;
    }
    case 5: {
        // Keyword patterns: the first line is the pattern, the rest the name.
        const qsizetype cut = text.indexOf(QLatin1Char('\n'));
        const QString pattern = cut < 0 ? text : text.left(cut);
        const QString name = cut < 0 ? QString() : text.mid(cut + 1);
        WildcardMatcher matcher(pattern);
        const bool hit = matcher.matches(name);
        require(!hit || matcher.isValid());
        break;
    }
    }
    return 0;
}

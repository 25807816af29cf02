#include "feed/FeedParser.h"

#include <algorithm>

namespace {
const QString CrLf = QStringLiteral("\r\n");
const QChar Tab = QLatin1Char('\t');
} // namespace

bool FeedParser::parseRow(QStringView line, TorrentRecord &record)
{
    if (!line.contains(Tab))
        return false;
    QStringView fields[6];
    int n = 0;
    for (const QStringView field : line.tokenize(Tab)) {
        if (n == 6)
            break;
        fields[n++] = field;
    }
    record.Id = fields[0].toString();
    record.Size = fields[1].toString();
    record.Category = fields[2].isEmpty() ? QStringLiteral("n/a") : fields[2].toString();
    record.Name = fields[4].toString().replace(QLatin1Char('.'), QLatin1Char(' '));
    record.FileName = fields[5].toString();
    return true;
}

FeedParseResult FeedParser::parse(const QString &reply)
{
    FeedParseResult result;
    // The CR LF that ends line 1 sits at characters 9 and 10; the search starts at character
    // 10, so the first CR LF it finds ends line 2.
    const qsizetype end = reply.indexOf(CrLf, 9);
    if (end < 0) {
        result.header = reply;
        result.failure = FeedFailure::Error2;
        return result;
    }
    result.header = reply.left(end);
    const QStringView rest = QStringView(reply).mid(end + 2);
    if (!rest.contains(CrLf)) {
        result.failure = FeedFailure::Error2;
        return result;
    }
    const QList<QStringView> pieces = rest.split(CrLf);
    result.count = int(pieces.size()) - 1;

    if (result.header.size() > 10) {
        result.hasCategoryLine = true;
        // Names are separated by TAB and hold no other control character; a line that does is
        // not the site's list.
        const QStringView line = QStringView(result.header).mid(10);
        const bool junk = std::any_of(line.begin(), line.end(), [](QChar c) {
            return (c.unicode() < 32 && c != Tab) || c.unicode() == 127;
        });
        if (!result.header.contains(Tab) || junk) {
            result.failure = FeedFailure::Error8;
            return result;
        }
        result.categories = result.header.mid(10).split(Tab);
    }

    result.rows.reserve(result.count);
    for (int i = 0; i < result.count; ++i) {
        TorrentRecord record;
        if (!parseRow(pieces[i], record)) {
            result.failure = FeedFailure::Error3;
            return result;
        }
        result.rows.append(record);
    }
    return result;
}

bool FeedParser::isValidId(const QString &id)
{
    bool ok = false;
    const qint32 value = QStringView(id).trimmed().toInt(&ok);
    return ok && value >= 1;
}

qsizetype FeedParser::dropInvalidIds(ParsedFeed &rows)
{
    return rows.removeIf([](const TorrentRecord &row) { return !isValidId(row.Id); });
}

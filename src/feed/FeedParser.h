#pragma once

#include "feed/FeedFailure.h"
#include "model/TorrentRecord.h"

#include <QString>
#include <QStringList>
#include <QStringView>

// What the parser makes of a feed reply that passed the reply checks.
struct FeedParseResult
{
    // None, Error2 (no line break after the header block), Error8 (a category line without a
    // TAB, or holding a control character other than TAB) or Error3 (a row without a TAB).
    // Error8 is found before any row is read.
    FeedFailure failure = FeedFailure::None;
    // Lines 1 and 2 without the CR LF that ends line 2.
    QString header;
    // Line 2 is not empty: the site sent its category list.
    bool hasCategoryLine = false;
    // Line 2 split at TAB (when it holds one).
    QStringList categories;
    // Rows in the reply: the pieces after the header block minus the one after the last CR LF.
    int count = 0;
    // The rows read, in reply order; on Error3 the rows before the failing one.
    ParsedFeed rows;
};

// Splits a feed reply: line 1 the magic "#PWKF12#", line 2 the TAB-separated category names or
// nothing, then one row per line, each ended by CR LF; whatever follows the last CR LF is
// ignored. A row holds Id, Size, Category, an unused field, Name and FileName separated by TAB;
// an empty or missing category reads "n/a", every "." of the name becomes a blank, and other
// missing fields (a row with fewer than six) stay empty.
class FeedParser
{
public:
    static FeedParseResult parse(const QString &reply);
    // One row; false when it holds no TAB.
    static bool parseRow(QStringView line, TorrentRecord &record);
    // True when the id is a torrent id the site can have: a number from 1 to 2147483647.
    static bool isValidId(const QString &id);
    // Takes the rows with an invalid id out; returns how many.
    static qsizetype dropInvalidIds(ParsedFeed &rows);
};

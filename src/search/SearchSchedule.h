#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// What opening the search window does with torrents.db: create it anew, bring it up to date,
// or only load it. Stored times are "dd-mm-yyyy|hh:mm:ss" (search_created, search_updated).
namespace SearchSchedule {

enum class Action
{
    Create,
    Update,
    Load,
};

// The first rule that applies:
// 1. a stored time that is not exactly 19 characters long (or missing): Create;
// 2. no torrents.db: Create;
// 3. more than 62 hour boundaries since search_created: Create;
// 4. more than 6 hour boundaries since search_updated: Update;
// 5. search_newest N and lastparsed L as numbers (anything else reads 0): Update when N > 1
//    and N + 1 < L (the feed check has seen newer torrents than the file holds), else Load.
Action checkforupdates(const QString &created, const QString &updated, bool fileExists,
                       const QString &newest, const QString &lastparsed, const QDateTime &now);

// Due for a full download: more than 62 hour boundaries since `created`.
bool replace_db(const QString &created, const QDateTime &now);
// Due for an update: more than 6 hour boundaries since `updated`.
bool update_db(const QString &updated, const QDateTime &now);

// The hour boundaries from the stored time to now: the calendar difference in whole hours
// (23:59 to 00:01 is one), negative when the stored time lies ahead. Nothing when the text is
// not a date and time of that format; callers treat that as long ago.
std::optional<qint64> hourBoundaries(const QString &stored, const QDateTime &now);

// A stored number as the rules read it: its decimal value, or 0.
qint64 numberOrZero(const QString &text);

} // namespace SearchSchedule

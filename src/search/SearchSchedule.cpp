#include "search/SearchSchedule.h"

namespace SearchSchedule {

namespace {

qint64 hourNumber(const QDate &date, int hour)
{
    return date.toJulianDay() * 24 + hour;
}

} // namespace

qint64 numberOrZero(const QString &text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? value : 0;
}

std::optional<qint64> hourBoundaries(const QString &stored, const QDateTime &now)
{
    if (stored.size() != 19)
        return std::nullopt;
    // Day in characters 1-2, month 4-5, year 7-10; the last 8 are hh:mm:ss.
    const QDate date(stored.mid(6, 4).toInt(), stored.mid(3, 2).toInt(), stored.mid(0, 2).toInt());
    const QTime time = QTime::fromString(stored.right(8), QStringLiteral("HH:mm:ss"));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return hourNumber(now.date(), now.time().hour()) - hourNumber(date, time.hour());
}

bool replace_db(const QString &created, const QDateTime &now)
{
    const std::optional<qint64> hours = hourBoundaries(created, now);
    return !hours || *hours > 62;
}

bool update_db(const QString &updated, const QDateTime &now)
{
    const std::optional<qint64> hours = hourBoundaries(updated, now);
    return !hours || *hours > 6;
}

Action checkforupdates(const QString &created, const QString &updated, bool fileExists,
                       const QString &newest, const QString &lastparsed, const QDateTime &now)
{
    if (created.size() != 19 || updated.size() != 19)
        return Action::Create;
    if (!fileExists)
        return Action::Create;
    if (replace_db(created, now))
        return Action::Create;
    if (update_db(updated, now))
        return Action::Update;
    const qint64 n = numberOrZero(newest);
    const qint64 l = numberOrZero(lastparsed);
    if (n > 1 && n + 1 < l)
        return Action::Update;
    return Action::Load;
}

} // namespace SearchSchedule

#include "platform/SiteWait.h"

#include "platform/AppConfig.h"
#include "platform/Clock.h"
#include "platform/SettingNames.h"
#include "platform/SettingsStore.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <limits>

namespace {

const QString ValueName = SettingName::RetryAfter;

bool digitsOnly(QStringView text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

int number(QStringView text, int digitsMin, int digitsMax)
{
    if (text.size() < digitsMin || text.size() > digitsMax || !digitsOnly(text))
        return -1;
    return text.toInt();
}

int monthNumber(QStringView name)
{
    static const char *const names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int i = 0; i < 12; ++i) {
        if (name == QLatin1String(names[i]))
            return i + 1;
    }
    return 0;
}

// "Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT" or
// "Sun Nov  6 08:49:37 1994"; always in UTC.
std::optional<QDateTime> httpDate(const QString &value, const QDateTime &now)
{
    const QStringList p = value.simplified().split(QLatin1Char(' '));
    int day = -1, month = 0, year = -1;
    QString time;
    if (p.size() == 6 && p[0].endsWith(QLatin1Char(',')) && p[5] == QLatin1String("GMT")) {
        day = number(p[1], 2, 2);
        month = monthNumber(p[2]);
        year = number(p[3], 4, 4);
        time = p[4];
    } else if (p.size() == 4 && p[0].endsWith(QLatin1Char(',')) && p[3] == QLatin1String("GMT")) {
        const QStringList dmy = p[1].split(QLatin1Char('-'));
        if (dmy.size() != 3)
            return std::nullopt;
        day = number(dmy[0], 2, 2);
        month = monthNumber(dmy[1]);
        year = number(dmy[2], 2, 2);
        if (year >= 0) {
            // A two-digit year more than 50 years ahead belongs to the century before.
            const int century = now.toUTC().date().year() / 100 * 100;
            year += century;
            if (year > now.toUTC().date().year() + 50)
                year -= 100;
        }
        time = p[2];
    } else if (p.size() == 5) {
        month = monthNumber(p[1]);
        day = number(p[2], 1, 2);
        time = p[3];
        year = number(p[4], 4, 4);
    }
    const QDate date(year, month, day);
    const QTime clock = QTime::fromString(time, QStringLiteral("hh:mm:ss"));
    if (!date.isValid() || !clock.isValid())
        return std::nullopt;
    return QDateTime(date, clock, Qt::UTC);
}

} // namespace

SiteWait::SiteWait(SettingsStore &store, const Clock &clock) : m_store(store), m_clock(clock)
{
    m_until = m_store.RegReadNumber(SettingsStore::HKEY_CURRENT_USER, SettingsStore::ProgramKey(),
                                    ValueName);
    // A stored time further ahead than any wait obeyed (the clock was put back) is cut to the
    // longest wait, and stored so, or each start would begin it afresh.
    const qint64 latest = m_clock.secondsSinceEpoch() + MaxSeconds;
    if (m_until > latest) {
        m_until = latest;
        m_store.RegWriteNumber(SettingsStore::HKEY_CURRENT_USER, SettingsStore::ProgramKey(),
                               ValueName, qint32(m_until));
    }
}

std::optional<qint64> SiteWait::parseRetryAfter(const QString &value, const QDateTime &now)
{
    const QString text = value.trimmed();
    if (digitsOnly(text)) {
        // Any count of digits is a valid delay; one too large for a number is a long wait.
        bool ok = false;
        const qint64 seconds = text.toLongLong(&ok);
        return ok ? seconds : std::numeric_limits<qint64>::max();
    }
    const std::optional<QDateTime> date = httpDate(text, now);
    if (!date)
        return std::nullopt;
    return now.secsTo(*date);
}

bool SiteWait::obey(int status, const QString &retryAfter)
{
    if (!isBusyStatus(status))
        return false;
    const QDateTime now = m_clock.now();
    const std::optional<qint64> seconds = parseRetryAfter(retryAfter, now);
    if (!seconds || *seconds <= 0)
        return false;
    m_until = now.toSecsSinceEpoch() + std::min(*seconds, MaxSeconds);
    m_store.RegWriteNumber(SettingsStore::HKEY_CURRENT_USER, SettingsStore::ProgramKey(), ValueName,
                           qint32(m_until));
    return true;
}

bool SiteWait::active() const
{
    return m_clock.secondsSinceEpoch() < m_until;
}

bool SiteWait::isSiteAddress(const QUrl &url)
{
    const QUrl site(SiteBaseUrl());
    return url.scheme().compare(site.scheme(), Qt::CaseInsensitive) == 0 &&
           url.host().compare(site.host(), Qt::CaseInsensitive) == 0 &&
           url.port(url.scheme() == QLatin1String("https") ? 443 : 80) ==
               site.port(site.scheme() == QLatin1String("https") ? 443 : 80);
}

QString SiteWait::clockText() const
{
    // Shown in the clock's own time zone, so that "today" is the clock's today.
    const QDateTime now = m_clock.now();
    const QDateTime until = now.addSecs(m_until - now.toSecsSinceEpoch());
    const QLocale c = QLocale::c();
    return until.date() == now.date() ? c.toString(until, QStringLiteral("HH:mm"))
                                      : c.toString(until, QStringLiteral("ddd HH:mm"));
}

QString SiteWait::text() const
{
    return QStringLiteral("The site asked Pollwick to wait until ") + clockText() +
           QLatin1Char('.');
}

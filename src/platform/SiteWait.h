#pragma once

#include <QDateTime>
#include <QString>
#include <QUrl>

#include <optional>

class Clock;
class SettingsStore;

// A pause the site asked for: a 429 or 503 reply whose Retry-After names a time in the future
// keeps every request of every window away from the site until then. One per process, shared
// by all transfers; the time is kept in the number value "retryafter" (Unix time) so that a
// restart keeps to it.
class SiteWait
{
public:
    // The longest wait obeyed; a site asking for more is asked again after this.
    static constexpr qint64 MaxSeconds = 6 * 60 * 60;

    // Reads the stored time.
    SiteWait(SettingsStore &store, const Clock &clock);

    // The reply's status and its Retry-After value: a busy status (429 or 503) with a value
    // that names a time in the future starts the wait (at most MaxSeconds long) and stores it.
    // True when a wait was started.
    bool obey(int status, const QString &retryAfter);
    bool active() const;
    // Requests to this address wait: it is on the site (scheme, host and port of the site's
    // address).
    static bool isSiteAddress(const QUrl &url);

    // The end of the wait as the clock shows it: "HH:mm", or "ddd HH:mm" when not today.
    QString clockText() const;
    // "The site asked Pollwick to wait until " + clockText() + ".".
    QString text() const;

    static bool isBusyStatus(int status) { return status == 429 || status == 503; }
    // Seconds from now that a Retry-After value asks for: whole seconds, or an HTTP date
    // (IMF-fixdate, or the obsolete RFC 850 and asctime forms). Nothing for other text; a date
    // in the past gives a negative count.
    static std::optional<qint64> parseRetryAfter(const QString &value, const QDateTime &now);

private:
    SettingsStore &m_store;
    const Clock &m_clock;
    qint64 m_until = 0; // Unix time
};

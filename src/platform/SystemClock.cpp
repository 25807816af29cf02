#include "platform/Clock.h"

QDateTime SystemClock::now() const
{
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    if (ms >= m_offsetValidUntilMs || ms < m_offsetValidUntilMs - 60'000) {
        m_offsetSeconds = QDateTime::fromMSecsSinceEpoch(ms).offsetFromUtc();
        // Valid to the end of the current minute: a change of daylight saving time happens on
        // a minute boundary.
        m_offsetValidUntilMs = (ms / 60'000 + 1) * 60'000;
    }
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, m_offsetSeconds);
}

qint64 SystemClock::secondsSinceEpoch() const
{
    return QDateTime::currentSecsSinceEpoch();
}

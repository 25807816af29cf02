#pragma once

#include <QDateTime>

// The time of day, behind a seam so tests can drive it.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // Whole seconds since the epoch; cheaper than now() where only a change of second matters.
    virtual qint64 secondsSinceEpoch() const { return now().toSecsSinceEpoch(); }
};

// The system's local time. Asking the time zone on every call costs microseconds (the C
// library looks at /etc/localtime each time), and the debug log asks for every line, so the
// offset from UTC is looked up at most once a minute.
class SystemClock : public Clock
{
public:
    QDateTime now() const override;
    qint64 secondsSinceEpoch() const override;

private:
    mutable qint64 m_offsetValidUntilMs = 0;
    mutable int m_offsetSeconds = 0;
};

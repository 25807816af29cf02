#pragma once

#include "platform/DebugConsole.h"

#include <QFile>
#include <QStringList>

class Clock;

// The in-memory debug log: one line per step of a check, pause, resume and start-up decision.
// It holds at most MaxLines lines and is cleared, not trimmed, when full. When a mirror is set
// (POLLWICK_LOG), every line added is also appended to that file ("-" is standard error).
class DebugLog : public DebugConsole
{
    Q_OBJECT
public:
    static constexpr int MaxLines = 2000;

    explicit DebugLog(const Clock *clock, QObject *parent = nullptr);

    // "-" for standard error, a path to append to, or empty for no mirror.
    void setMirror(const QString &target);

    void debug_console(const QString &message) override;
    void clearByUser() override;

    const QStringList &lines() const override { return m_lines; }
    quint64 generation() const override { return m_generation; }
    // Time of day in the system's long time format, without a time zone.
    QString timeText() const;

private:
    void add(const QString &line);

    const Clock *m_clock;
    QStringList m_lines;
    quint64 m_generation = 0;
    QFile m_mirror;
    // A check writes thousands of lines within the same second: the formatted time is kept
    // for the second it was made for.
    mutable qint64 m_timeSecond = -1;
    mutable QString m_timeTextCache;
};

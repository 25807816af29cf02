#pragma once

#include <QFile>
#include <QObject>
#include <QStringList>

class Clock;

// The in-memory debug log: one line per step of a check, pause, resume and start-up decision.
// It holds at most MaxLines lines and is cleared, not trimmed, when full. When a mirror is set
// (POLLWICK_LOG), every line added is also appended to that file ("-" is standard error).
class DebugLog : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxLines = 2000;

    explicit DebugLog(const Clock *clock, QObject *parent = nullptr);

    // "-" for standard error, a path to append to, or empty for no mirror.
    void setMirror(const QString &target);

    // Adds "(" + time of day + ") " + message.
    void debug_console(const QString &message);
    // Empties the log and adds the line saying the user did so.
    void clearByUser();

    const QStringList &lines() const { return m_lines; }
    // Counts the times the log was emptied; a view compares it to know whether the lines it
    // shows are still at the head of lines().
    quint64 generation() const { return m_generation; }
    // Time of day in the system's long time format, without a time zone.
    QString timeText() const;

signals:
    void lineAdded(const QString &line);
    void cleared();

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

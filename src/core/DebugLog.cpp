#include "core/DebugLog.h"

#include "platform/Clock.h"

#include <QLocale>
#include <QRegularExpression>

#include <cstdio>

DebugLog::DebugLog(const Clock *clock, QObject *parent) : DebugConsole(parent), m_clock(clock) {}

void DebugLog::setMirror(const QString &target)
{
    m_mirror.close();
    if (target.isEmpty())
        return;
    if (target == QLatin1String("-")) {
        m_mirror.open(stderr, QIODevice::WriteOnly | QIODevice::Text);
        return;
    }
    m_mirror.setFileName(target);
    m_mirror.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
}

QString DebugLog::timeText() const
{
    static const QLocale locale = QLocale::system();
    static const QString format = [] {
        QString f = locale.timeFormat(QLocale::LongFormat);
        f.remove(QRegularExpression(QStringLiteral("\\s*t+\\s*")));
        return f.trimmed().isEmpty() ? QStringLiteral("HH:mm:ss") : f.trimmed();
    }();
    const qint64 second = m_clock->secondsSinceEpoch();
    if (second != m_timeSecond) {
        m_timeSecond = second;
        m_timeTextCache = locale.toString(m_clock->now().time(), format);
    }
    return m_timeTextCache;
}

void DebugLog::add(const QString &line)
{
    m_lines.append(line);
    if (m_mirror.isOpen()) {
        m_mirror.write(line.toLocal8Bit() + '\n');
        m_mirror.flush();
    }
    emit lineAdded(line);
}

void DebugLog::debug_console(const QString &message)
{
    if (m_lines.size() >= MaxLines) {
        m_lines.clear();
        ++m_generation;
        emit cleared();
        add(QStringLiteral("Log has exceeded maximum allowed limit and will be cleared."));
    }
    const QString time = timeText();
    QString line;
    line.reserve(time.size() + message.size() + 3);
    line += QLatin1Char('(');
    line += time;
    line += QLatin1String(") ");
    line += message;
    add(line);
}

void DebugLog::clearByUser()
{
    m_lines.clear();
    ++m_generation;
    emit cleared();
    add(QLatin1Char('(') + timeText() + QStringLiteral(") ") +
        QStringLiteral("The debug log has been cleared by the user."));
}

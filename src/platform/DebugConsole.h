#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// The debug log as the rest of the program sees it: every procedure writes a line for each
// step and failure through debug_console, and the options page's debug frame and the debug
// report read the lines back. core/DebugConsole keeps them (with the time in front, at most 2000
// of them, mirrored to POLLWICK_LOG when set).
class DebugConsole : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Adds "(" + time of day + ") " + message.
    virtual void debug_console(const QString &message) = 0;
    // Empties the log and adds the line saying the user did so.
    virtual void clearByUser() = 0;

    virtual const QStringList &lines() const = 0;
    // Counts the times the log was emptied; a view compares it to know whether the lines it
    // shows are still at the head of lines().
    virtual quint64 generation() const = 0;

signals:
    void lineAdded(const QString &line);
    void cleared();
};

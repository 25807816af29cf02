#pragma once

#include <QString>

// What the check scheduler needs from the main window.
class SchedulerHost
{
public:
    virtual ~SchedulerHost() = default;
    // The status label info_timetocheck.
    virtual void setStatusText(const QString &text) = 0;
    // Runs one feed check and returns when it has ended.
    virtual void checkfeed() = 0;
    // Paused: the interval label, box and unit and the "Check for new torrents" item are
    // disabled and the box shows the current interval again; resumed: enabled.
    virtual void setIntervalControlsPaused(bool paused) = 0;
};

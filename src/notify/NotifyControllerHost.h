#pragma once

#include <QString>

struct Announcement;

// What the end of a feed check needs from the main window: whether the filters run, and where
// its outcome shows (the tray animation and tooltip, the status line, the popup or a desktop
// notification).
class NotifyControllerHost
{
public:
    virtual ~NotifyControllerHost() = default;
    // "Filter Torrents?" as it stands when the filters run; off, every new torrent is a result.
    virtual bool filteringOn() const = 0;
    // "start", "stop", "stopnew" or "stopwitherror".
    virtual void checkanimation(const QString &word) = 0;
    // The tray tooltip and TrayTipText.
    virtual void setTrayTip(const QString &text) = 0;
    // The countdown to the next scheduled check in the status label.
    virtual void showNextCheckStatus() = 0;
    // Hands an announcement to the application's notification windows (the popup queue or a
    // desktop notification); returns at once.
    virtual void announce(const Announcement &announcement) = 0;
};

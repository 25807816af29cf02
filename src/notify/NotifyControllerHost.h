#pragma once

#include <QString>

struct PopupRequest;

// What the end of a feed check needs from the main window: whether the filters run, and where
// its outcome shows (the tray animation and tooltip, the status line, the popup queue).
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
    // Hands an announcement to the application's popup queue; returns at once.
    virtual void showPopup(const PopupRequest &request) = 0;
};

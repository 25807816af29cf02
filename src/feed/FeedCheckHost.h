#pragma once

#include <QString>

// What a feed check needs from the main window: the tray animation and tooltip and the status
// line of the options page.
class FeedCheckHost
{
public:
    virtual ~FeedCheckHost() = default;
    // "start", "stop", "stopnew" or "stopwitherror".
    virtual void checkanimation(const QString &word) = 0;
    // The tray tooltip and TrayTipText.
    virtual void setTrayTip(const QString &text) = 0;
    // The status label info_timetocheck.
    virtual void setStatusText(const QString &text) = 0;
    // The countdown to the next scheduled check in the status label.
    virtual void showNextCheckStatus() = 0;
};

#pragma once

#include <QString>

// Tells the user something that needs them outside any window they opened: the message of the
// tray icon, or, where there is no tray, the stand-in line on the options window.
class Notifier
{
public:
    virtual ~Notifier() = default;
    virtual void notify(const QString &title, const QString &text) = 0;
    // The last notice no longer holds: a stand-in line still showing it goes back to its own
    // text (a tray message has gone by itself).
    virtual void withdraw() = 0;
};

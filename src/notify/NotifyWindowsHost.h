#pragma once

// What the notification windows need from the application around them: the main window may
// be loaded or not (before the first-run wizard has finished, or between two loads).
class NotifyWindowsHost
{
public:
    virtual ~NotifyWindowsHost() = default;
    // The acknowledgement of the results: through the main window when one is loaded, else
    // on the tray state alone.
    virtual void seticonnonew() = 0;
    // "Show me this filter": the main window, when loaded, brings up that filter's row.
    virtual void highlightfilter(int slot) = 0;
};

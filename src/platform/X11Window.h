#pragma once

class QWidget;

// What Qt has no public call for on X11, done through xcb on Qt's own connection: the window
// properties that keep a notification window out of the taskbar and the pager, and the XEmbed
// tray's selection. Everything answers false where the program does not run on X11 (or was
// built without xcb).
namespace X11Window {

// Sets _NET_WM_STATE_SKIP_TASKBAR, _NET_WM_STATE_SKIP_PAGER and the window type
// _NET_WM_WINDOW_TYPE_NOTIFICATION on a top-level window before its first map (Qt adds its own
// states to the first two when it maps the window). False when not on X11.
bool markAsNotification(QWidget *window);

// Whether an XEmbed system tray owns the selection _NET_SYSTEM_TRAY_S<screen> of the display's
// default screen.
bool systemTrayOwned();

} // namespace X11Window

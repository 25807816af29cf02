#pragma once

#include <QString>

// The desktop the program runs on, as far as its windows and notices depend on it: Qt's
// platform plugin and the Wayland display. main() fills it in; tests name any platform.
struct DesktopSession
{
    QString platformName = QStringLiteral("offscreen"); // QGuiApplication::platformName()
    QString waylandDisplay;                             // WAYLAND_DISPLAY

    // The program's own windows are Wayland surfaces: it cannot place them, and they cannot
    // fade.
    bool nativeWayland() const { return platformName.startsWith(QLatin1String("wayland")); }
    // A Wayland compositor runs the desktop, whether the program talks to it natively or
    // through XWayland.
    bool waylandSession() const { return nativeWayland() || !waylandDisplay.isEmpty(); }
    // Whole-window opacity; Wayland's plugin refuses it with a warning at every call.
    bool windowOpacity() const { return !nativeWayland(); }
    // X11: the popup's window properties and the XEmbed tray are reached through xcb.
    bool x11() const { return platformName == QLatin1String("xcb"); }
};

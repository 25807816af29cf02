#pragma once

#include <QtGlobal>

struct DesktopSession;

// How new torrents are told: Pollwick's popup, or desktop notifications. The choice is the
// stored notifystyle; automatic follows the desktop: notifications on a Wayland session (no
// client may place a window there, and XWayland windows are centred and take the focus on some
// compositors), the popup on X11. The popup is never offered to a native Wayland client: a
// stored choice of it counts as automatic there.
namespace AlertStyle {

enum Setting : qint16
{
    Automatic = 0,
    Popup = 1,
    Notifications = 2
};

// A stored value as the program uses it on this desktop: anything unknown is automatic, and
// so is the popup on native Wayland. The options page shows this.
qint16 effective(qint16 stored, const DesktopSession &session);
// Whether an alert goes out as a desktop notification (else in the popup).
bool desktopNotifications(qint16 stored, const DesktopSession &session);
// Whether the popup can be chosen at all.
bool popupOffered(const DesktopSession &session);

} // namespace AlertStyle

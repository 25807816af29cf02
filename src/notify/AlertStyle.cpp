#include "notify/AlertStyle.h"

#include "platform/DesktopSession.h"

namespace AlertStyle {

bool popupOffered(const DesktopSession &session)
{
    return !session.nativeWayland();
}

qint16 effective(qint16 stored, const DesktopSession &session)
{
    if (stored == Notifications || (stored == Popup && popupOffered(session)))
        return stored;
    return Automatic;
}

bool desktopNotifications(qint16 stored, const DesktopSession &session)
{
    const qint16 style = effective(stored, session);
    return style == Notifications || (style == Automatic && session.waylandSession());
}

} // namespace AlertStyle

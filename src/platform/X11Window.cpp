#include "platform/X11Window.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QWidget>

#if defined(POLLWICK_HAVE_XCB)
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace X11Window {

#if defined(POLLWICK_HAVE_XCB)

namespace {

xcb_connection_t *connection()
{
    const auto *x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t *c, const QByteArray &name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(c, 0, name.size(), name.constData());
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(c, cookie, nullptr);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return value;
}

// The screen of DISPLAY ("host:display.screen"), 0 when it names none.
int defaultScreen()
{
    const QByteArray display = qgetenv("DISPLAY");
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.indexOf('.', colon + 1);
    return colon >= 0 && dot > colon ? display.mid(dot + 1).toInt() : 0;
}

} // namespace

bool markAsNotification(QWidget *window)
{
    xcb_connection_t *c = connection();
    if (!c || !window || !window->isWindow())
        return false;
    const xcb_window_t id = xcb_window_t(window->winId());
    const xcb_atom_t states[] = {atom(c, "_NET_WM_STATE_SKIP_TASKBAR"),
                                 atom(c, "_NET_WM_STATE_SKIP_PAGER")};
    const xcb_atom_t type = atom(c, "_NET_WM_WINDOW_TYPE_NOTIFICATION");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32,
                        2, states);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM,
                        32, 1, &type);
    xcb_flush(c);
    return true;
}

bool systemTrayOwned()
{
    xcb_connection_t *c = connection();
    if (!c)
        return false;
    const xcb_atom_t selection =
        atom(c, "_NET_SYSTEM_TRAY_S" + QByteArray::number(defaultScreen()));
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t *reply =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr);
    const bool owned = reply && reply->owner != XCB_NONE;
    std::free(reply);
    return owned;
}

#else

bool markAsNotification(QWidget *)
{
    return false;
}

bool systemTrayOwned()
{
    return false;
}

#endif

} // namespace X11Window

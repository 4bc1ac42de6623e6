#include "ui/common/x11.h"

#include <QGuiApplication>

#include <cstdlib>
#include <cstring>

namespace halyard::x11 {

xcb_connection_t* connection()
{
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    const auto cookie
        = xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t { XCB_ATOM_NONE };
    std::free(reply); // NOLINT: xcb hands out malloc'd replies
    return result;
}

xcb_window_t rootWindow(xcb_connection_t* connection)
{
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    return screen ? screen->root : xcb_window_t { XCB_WINDOW_NONE };
}

} // namespace halyard::x11

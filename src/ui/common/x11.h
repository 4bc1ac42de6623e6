#pragma once

#include <QString>

#include <cstdint>
#include <xcb/xcb.h>

// The few X11 calls the windows need beyond Qt: window types and states, the active window, and
// startup notification. Each returns a null value when the program does not run on X11.
namespace halyard::x11 {

// Qt's own connection to the X server, or null off X11.
xcb_connection_t* connection();
// The atom of this name; XCB_ATOM_NONE when the server does not answer.
xcb_atom_t atom(xcb_connection_t* connection, const char* name);
// The root window of the first screen.
xcb_window_t rootWindow(xcb_connection_t* connection);

// The X server's time now, for requests that must not look older than the user's last action
// (Qt stamps its own with the time of the last event it saw). 0 when no server answers.
uint32_t serverTime();
// The running window manager's name (_NET_WM_NAME of the _NET_SUPPORTING_WM_CHECK window);
// empty when it gives none.
QString windowManagerName(xcb_connection_t* connection);

} // namespace halyard::x11

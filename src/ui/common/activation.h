#pragma once

#include <QString>

#include <cstdint>
#include <xcb/xcb.h>

class QWidget;

namespace halyard {

// Shows, un-minimises, raises and activates `window` because the user just asked for it (a
// click, a shortcut, a second launch). Desktops refuse to let a program that has been idle take
// focus (focus-stealing prevention), so under X11 the request says so: it comes "from a pager",
// which KWin and Mutter honour for an action the user took, and it carries a time no older than
// that action. The time is `userTime` (the X server time of the click) when given, else the time
// of the launch that handed over `token`, else the server's time now.
//
// Under X11 the token is the startup id: it is set on the window and the startup sequence is
// ended so the launcher's busy cursor stops. Under Wayland Qt hands the token to the
// compositor. An empty token activates as well as the desktop allows.
void activateWithToken(QWidget* window, const QString& token, uint32_t userTime = 0);

namespace activation {

// Launchers end startup ids with "_TIME<server time of the click>"; 0 when there is none.
uint32_t startupTime(const QString& id);

// The _NET_ACTIVE_WINDOW client message, to the root window, asking to activate `window` on the
// user's behalf at `timestamp`.
xcb_client_message_event_t activeWindowRequest(
    xcb_window_t window, xcb_atom_t activeWindowAtom, uint32_t timestamp);

} // namespace activation

} // namespace halyard

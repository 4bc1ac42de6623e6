#pragma once

#include <QString>

class QWidget;

namespace halyard {

// Shows, un-minimises, raises and activates `window` on behalf of the launch that handed over
// `token`. Desktops refuse to let a program that has been idle take focus (focus-stealing
// prevention); the token proves the user just asked for it. Under X11 the token is the startup
// id: it is set on the window, its time is used for the activation request, and the startup
// sequence is ended so the launcher's busy cursor stops. Under Wayland Qt hands the token to
// the compositor. An empty token activates as well as the desktop allows.
void activateWithToken(QWidget* window, const QString& token);

} // namespace halyard

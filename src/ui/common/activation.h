#pragma once

#include <QString>

class QWidget;

namespace halyard {

// The activation token of this launch: XDG_ACTIVATION_TOKEN, else DESKTOP_STARTUP_ID; empty when
// the launcher gave none or it is not a token. Read once per process, the first time before the
// application object exists: Qt's X11 connection takes DESKTOP_STARTUP_ID out of the environment
// (and ends the startup sequence when the first window shows).
QString launchActivationToken();

// Shows, un-minimises, raises and activates `window` on behalf of the launch that handed over
// `token`. Desktops refuse to let a program that has been idle take focus (focus-stealing
// prevention); the token proves the user just asked for it. Under X11 the token is the startup
// id: it is set on the window, its time is used for the activation request, and the startup
// sequence is ended so the launcher's busy cursor stops. Under Wayland Qt hands the token to
// the compositor. An empty token activates as well as the desktop allows.
void activateWithToken(QWidget* window, const QString& token);

} // namespace halyard

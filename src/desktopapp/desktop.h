#pragma once

#include "app/commandline.h"
#include "service/profile.h"
#include "settings/keychainservice.h"

#include <QString>

#include <memory>

namespace halyard {

// The desktop program: the core plus the floating panel. Keeps running with no window open,
// until SIGINT, SIGTERM, SIGHUP or "Quit Halyard". `platformNote` is logged once the logging is
// set up. A demo says so on the panel and in Settings, and holds the session bus name only until
// a real copy asks for it. `withoutPanel` (or the preference) leaves out the panel: no window
// shows until Settings is asked for.
int runDesktop(std::unique_ptr<KeychainService> keychain, const Profile& profile,
    const QString& platformNote, bool demo = false, bool withoutPanel = false);

// The desktop program against a simulated workspace on loopback, in a throw-away profile
// (data, configuration and tokens) that is removed when it ends. The profile is the program's
// alone: what it opens runs in the user's own environment.
int runDemo(const QString& platformNote);

// The desktop program's part of the command line.
const DesktopEntry& desktopEntry();

} // namespace halyard

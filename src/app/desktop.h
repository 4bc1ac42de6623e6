#pragma once

#include <QString>

namespace halyard {

// The desktop program: the core plus the floating panel. Keeps running with no window open,
// until SIGINT, SIGTERM or "Quit Halyard". `platformNote` is logged once the logging is set up.
int runDesktop(const QString& keychainService, const QString& platformNote);

} // namespace halyard

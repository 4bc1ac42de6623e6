#pragma once

#include <QString>

namespace halyard {

// Runs the core without windows until SIGINT or SIGTERM; returns the exit status. Exits with 1
// at once when another copy holds the data folder.
int runHeadless(const QString& keychainService);

} // namespace halyard

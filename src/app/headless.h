#pragma once

#include <QString>

namespace halyard {

// Runs the core without windows until SIGINT or SIGTERM; returns the exit status.
int runHeadless(const QString& keychainService);

} // namespace halyard

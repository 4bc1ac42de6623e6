#pragma once

#include <QLockFile>
#include <QString>

#include <expected>
#include <memory>

namespace halyard {

// The data folder's lock file ("halyard.lock"), held for as long as the program runs: two copies
// on one folder would each get some of Slack's events and overwrite each other's queue file.
// A lock left by a copy that crashed is taken over (its process is gone).
//
// Creates the folder (mode 0700) if needed. Fails with the line to show the user: which process
// holds the lock, or why the folder cannot be locked.
std::expected<std::unique_ptr<QLockFile>, QString> lockDataFolder(const QString& folder);

} // namespace halyard

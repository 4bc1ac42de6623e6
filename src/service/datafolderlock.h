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
// Why the folder could not be locked: the line to show the user (which process holds the lock,
// or why the folder cannot be locked), and whether another copy holds it.
struct DataFolderLockError {
    QString message;
    bool heldByAnotherCopy = false;
};

// Creates the folder (mode 0700) if needed.
std::expected<std::unique_ptr<QLockFile>, DataFolderLockError> lockDataFolder(
    const QString& folder);

} // namespace halyard

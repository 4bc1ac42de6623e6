#include "service/datafolderlock.h"

#include "common/privatefile.h"

#include <QCoreApplication>
#include <QDir>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

std::expected<std::unique_ptr<QLockFile>, DataFolderLockError> lockDataFolder(const QString& folder)
{
    if (auto made = makePrivateFolder(folder); !made)
        return std::unexpected(DataFolderLockError { QCoreApplication::translate(
            "halyard::DataFolderLock", "Halyard cannot create its data folder %1: %2")
                                                         .arg(folder, made.error()) });
    auto lock = std::make_unique<QLockFile>(QDir(folder).filePath(u"halyard.lock"_s));
    // Only a dead owner makes the lock stale: with an age limit, a copy that has run for long
    // would lose its lock to the next one.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0))
        return lock;
    if (lock->error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host;
        QString application;
        if (lock->getLockInfo(&pid, &host, &application))
            return std::unexpected(DataFolderLockError {
                QCoreApplication::translate("halyard::DataFolderLock",
                    "Halyard is already running (process %1); not starting a second copy.")
                    .arg(pid),
                true });
        return std::unexpected(
            DataFolderLockError { QCoreApplication::translate("halyard::DataFolderLock",
                                      "Halyard is already running; not "
                                      "starting a second copy."),
                true });
    }
    return std::unexpected(DataFolderLockError { (lock->error() == QLockFile::PermissionError
            ? QCoreApplication::translate("halyard::DataFolderLock",
                "Halyard cannot lock its data folder %1: permission denied")
            : QCoreApplication::translate(
                "halyard::DataFolderLock", "Halyard cannot lock its data folder %1: unknown error"))
                                                     .arg(folder) });
}

} // namespace halyard

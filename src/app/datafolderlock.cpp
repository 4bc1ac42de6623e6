#include "app/datafolderlock.h"

#include "common/privatefile.h"

#include <QDir>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

std::expected<std::unique_ptr<QLockFile>, QString> lockDataFolder(const QString& folder)
{
    if (auto made = makePrivateFolder(folder); !made)
        return std::unexpected(
            u"Halyard cannot create its data folder "_s + folder + u": "_s + made.error());
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
            return std::unexpected(u"Halyard is already running (process "_s + QString::number(pid)
                + u"); not starting a second copy."_s);
        return std::unexpected(u"Halyard is already running; not starting a second copy."_s);
    }
    return std::unexpected(u"Halyard cannot lock its data folder "_s + folder
        + (lock->error() == QLockFile::PermissionError ? u": permission denied"_s
                                                       : u": unknown error"_s));
}

} // namespace halyard

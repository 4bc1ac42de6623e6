#pragma once

#include <QByteArray>
#include <QString>

#include <expected>

namespace halyard {

// Files that hold the user's data (message text, preferences) are private to the user, replaced
// whole and flushed to disk before they replace the old version, so a crash or a power cut
// leaves either the old or the new content, never a short file.

// Creates the folder (mode 0700) and any missing parents; an existing folder is left as it is.
std::expected<void, QString> makePrivateFolder(const QString& folder);

// The absolute path of the file `name` in `folder` of the user's data, the folder made private
// (as above) first; fails when there is no folder or it cannot be made.
std::expected<QString, QString> privateFilePath(const QString& folder, const QString& name);

// Replaces the file with `bytes` (mode 0600) atomically. A short write, such as on a full disk,
// fails and leaves the old file in place.
std::expected<void, QString> writePrivateFile(const QString& filePath, const QByteArray& bytes);

// Renames a file that could not be read to "<name>.corrupt-<UTC yyyyMMddThhmmssZ>" beside it
// (with "-2", "-3", … when that name is taken), so that nothing overwrites it. Returns the new
// path.
std::expected<QString, QString> keepFileAside(const QString& filePath);

} // namespace halyard

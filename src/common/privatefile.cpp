#include "common/privatefile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

std::expected<void, QString> makePrivateFolder(const QString& folder)
{
    const QFileInfo info(folder);
    if (info.isDir())
        return {};
    if (info.exists())
        return std::unexpected(info.absoluteFilePath() + u" is not a folder"_s);
    constexpr auto ownerOnly
        = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    if (!QDir().mkpath(info.absolutePath()) || !QDir().mkdir(info.absoluteFilePath(), ownerOnly))
        return std::unexpected(u"cannot create folder "_s + info.absoluteFilePath());
    return {};
}

std::expected<QString, QString> privateFilePath(const QString& folder, const QString& name)
{
    if (folder.isEmpty())
        return std::unexpected(u"no data folder"_s);
    if (auto made = makePrivateFolder(folder); !made)
        return std::unexpected(made.error());
    return QDir(QFileInfo(folder).absoluteFilePath()).filePath(name);
}

std::expected<void, QString> writePrivateFile(const QString& filePath, const QByteArray& bytes)
{
    QSaveFile file(filePath);
    // Unbuffered, so a short write shows in write()'s count: a buffered QSaveFile loses that
    // error in commit() and renames a truncated file into place.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return std::unexpected(file.errorString());
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return std::unexpected(error);
    }
    // commit() syncs the new content to disk before it renames it over the old file.
    if (!file.commit())
        return std::unexpected(file.errorString());
    return {};
}

std::expected<QString, QString> keepFileAside(const QString& filePath)
{
    const QString stamp = QDateTime::currentDateTimeUtc().toString(u"yyyyMMdd'T'HHmmss'Z'"_s);
    QString keptPath = filePath + u".corrupt-"_s + stamp;
    for (int n = 2; QFileInfo::exists(keptPath); ++n)
        keptPath = filePath + u".corrupt-"_s + stamp + u'-' + QString::number(n);
    QFile file(filePath);
    if (!file.rename(keptPath))
        return std::unexpected(file.errorString());
    return keptPath;
}

} // namespace halyard

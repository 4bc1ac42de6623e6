#include "queue/alertpersistence.h"

#include "common/logging.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {
constexpr auto kOwnerOnlyFolder
    = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr auto kOwnerOnlyFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
} // namespace

QString AlertPersistence::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Halyard"_s;
}

AlertPersistence::AlertPersistence(QString filePath)
    : m_filePath(std::move(filePath))
{
}

std::expected<AlertPersistence, QString> AlertPersistence::create(const QString& folder)
{
    if (folder.isEmpty())
        return std::unexpected(u"no data folder"_s);
    const QFileInfo info(folder);
    if (!info.exists()) {
        const QString parent = info.absolutePath();
        if (!QDir().mkpath(parent))
            return std::unexpected(u"cannot create folder "_s + parent);
        if (!QDir().mkdir(info.absoluteFilePath(), kOwnerOnlyFolder))
            return std::unexpected(u"cannot create folder "_s + info.absoluteFilePath());
    } else if (!info.isDir()) {
        return std::unexpected(info.absoluteFilePath() + u" is not a folder"_s);
    }
    return AlertPersistence(QDir(info.absoluteFilePath()).filePath(u"queue.json"_s));
}

QByteArray AlertPersistence::encode(const State& state)
{
    QJsonArray alerts;
    for (const Alert& alert : state.alerts)
        alerts.append(alert.toJson());
    QJsonObject marks;
    for (auto it = state.highWaterByChannel.cbegin(); it != state.highWaterByChannel.cend(); ++it)
        marks.insert(it.key(), it.value());
    const QJsonObject root {
        { u"alerts"_s, alerts },
        { u"highWaterByChannel"_s, marks },
    };
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

json::Decoded<AlertPersistence::State> AlertPersistence::decode(const QByteArray& bytes)
{
    auto root = json::parseObject(bytes);
    if (!root)
        return std::unexpected(root.error());
    json::ObjectReader reader(*root);
    State state;
    if (auto alerts = reader.optionalListWith<Alert>(u"alerts", &Alert::fromJson))
        state.alerts = std::move(*alerts);
    else if (reader.ok())
        reader.fail(u"alerts", u"missing required value"_s);
    if (auto marks = reader.optionalObject(u"highWaterByChannel")) {
        for (auto it = marks->constBegin(); it != marks->constEnd(); ++it) {
            if (!it->isString()) {
                reader.fail(u"highWaterByChannel", u"expected a string for every channel"_s);
                break;
            }
            state.highWaterByChannel.insert(it.key(), it->toString());
        }
    } else if (reader.ok()) {
        reader.fail(u"highWaterByChannel", u"missing required value"_s);
    }
    return reader.finish(std::move(state));
}

std::expected<AlertPersistence::State, QString> AlertPersistence::load()
{
    QFile file(m_filePath);
    if (!file.exists())
        return State {};
    std::expected<State, QString> result;
    if (!file.open(QIODevice::ReadOnly)) {
        result = std::unexpected(file.errorString());
    } else {
        auto decoded = decode(file.readAll());
        if (file.error() != QFileDevice::NoError)
            result = std::unexpected(file.errorString());
        else if (!decoded)
            result = std::unexpected(decoded.error().description());
        else
            result = std::move(*decoded);
    }
    m_loadFailure = result ? std::nullopt : std::optional(result.error());
    return result;
}

std::expected<void, QString> AlertPersistence::keepDamagedFileAside()
{
    const QString reason = *m_loadFailure;
    if (!QFileInfo::exists(m_filePath)) {
        m_loadFailure.reset();
        return {};
    }
    const QString stamp = QDateTime::currentDateTimeUtc().toString(u"yyyyMMdd'T'HHmmss'Z'"_s);
    QString keptPath = m_filePath + u".corrupt-"_s + stamp;
    for (int n = 2; QFileInfo::exists(keptPath); ++n)
        keptPath = m_filePath + u".corrupt-"_s + stamp + u'-' + QString::number(n);
    if (!QFile::rename(m_filePath, keptPath))
        return std::unexpected(u"cannot keep the unreadable queue file aside"_s);
    m_loadFailure.reset();
    qCCritical(lcAlerts, "Queue file could not be loaded (%s); kept it as %s",
        qUtf8Printable(reason), qUtf8Printable(keptPath));
    return {};
}

std::expected<void, QString> AlertPersistence::save(const State& state)
{
    // Never replace a file we could not read: it may hold alerts someone can still recover.
    if (m_loadFailure) {
        if (auto kept = keepDamagedFileAside(); !kept)
            return kept;
    }
    QSaveFile file(m_filePath);
    // Unbuffered, so a short write (a full disk) fails here instead of being committed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return std::unexpected(file.errorString());
    file.setPermissions(kOwnerOnlyFile);
    const QByteArray bytes = encode(state);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return std::unexpected(file.errorString());
    }
    // commit() syncs the new content to disk before it renames it over the old file.
    if (!file.commit())
        return std::unexpected(file.errorString());
    return {};
}

} // namespace halyard

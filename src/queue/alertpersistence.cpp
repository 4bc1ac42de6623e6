#include "queue/alertpersistence.h"

#include "common/logging.h"
#include "common/privatefile.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>

#include <algorithm>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

QString AlertPersistence::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u"/Halyard"_s;
}

AlertPersistence::AlertPersistence(QString filePath)
    : m_file(std::make_shared<FileState>(FileState { std::move(filePath), std::nullopt }))
{
}

void AlertPersistence::saveInBackground(const State& state)
{
    if (!m_writer) {
        // One line when saving starts to fail and one when it works again, however many saves
        // fail in between. Only the writer thread touches `failing`.
        m_writer = std::make_shared<LatestWinsWriter<State>>(
            [file = m_file, failing = false](const State& next) mutable {
                const auto outcome = write(*file, next);
                if (!outcome && !failing) {
                    qCCritical(lcAlerts,
                        "Could not save the queue file %s: %s; will try again at the next change",
                        qUtf8Printable(file->filePath), qUtf8Printable(outcome.error()));
                } else if (outcome && failing) {
                    qCInfo(lcAlerts, "Queue file saved again");
                }
                failing = !outcome;
            });
    }
    m_writer->submit(state);
}

void AlertPersistence::flush()
{
    if (m_writer)
        m_writer->flush();
}

bool AlertPersistence::isWriting() const
{
    return m_writer && m_writer->busy();
}

std::expected<AlertPersistence, QString> AlertPersistence::create(const QString& folder)
{
    auto path = privateFilePath(folder, u"queue.json"_s);
    if (!path)
        return std::unexpected(path.error());
    return AlertPersistence(std::move(*path));
}

namespace {

// A channel-to-ts object; false when the key is absent.
bool readTimestampMap(json::LocalObjectReader& reader, QStringView key, QMap<QString, QString>& out)
{
    const auto object = reader.optionalObject(key);
    if (!object)
        return false;
    for (auto it = object->constBegin(); it != object->constEnd(); ++it) {
        if (!it->isString()) {
            reader.fail(key, u"expected a string for every channel"_s);
            break;
        }
        out.insert(it.key(), it->toString());
    }
    return true;
}

// An alert whose time cannot be right (a damaged or hand-edited file, a clock far off when it
// was written) is kept with the load time instead, and the file is named once, not per alert.
// The alerts come back in time order, which the store and the overdue reminder search by: a
// clamped time lands among the newest, and a hand-edited file may hold any order.
AlertPersistence::State withPlausibleTimes(AlertPersistence::State state, ReferenceTime now)
{
    qsizetype clamped = 0;
    for (Alert& alert : state.alerts) {
        if (!isPlausibleTime(alert.receivedAt, now)) {
            alert.receivedAt = now;
            ++clamped;
        }
    }
    if (clamped > 0) {
        qCWarning(lcAlerts,
            "Queue file held %lld alert time(s) before 2001, more than a day ahead or not a "
            "number; they now show the load time",
            static_cast<long long>(clamped));
    }
    // Stable: alerts of the same time keep the order they were queued in.
    std::ranges::stable_sort(state.alerts, std::less<> {}, &Alert::receivedAt);
    return state;
}

} // namespace

QByteArray AlertPersistence::encode(const State& state)
{
    QJsonArray alerts;
    for (const Alert& alert : state.alerts)
        alerts.append(alert.toJson());
    QJsonObject marks;
    for (auto it = state.highWaterByChannel.cbegin(); it != state.highWaterByChannel.cend(); ++it)
        marks.insert(it.key(), it.value());
    QJsonObject root {
        { u"alerts"_s, alerts },
        { u"highWaterByChannel"_s, marks },
    };
    if (!state.backfillFromByChannel.isEmpty()) {
        QJsonObject points;
        for (auto it = state.backfillFromByChannel.cbegin();
             it != state.backfillFromByChannel.cend(); ++it)
            points.insert(it.key(), it.value());
        root.insert(u"backfillFromByChannel"_s, points);
    }
    if (!state.acknowledgedIds.isEmpty()) {
        QStringList ids(state.acknowledgedIds.cbegin(), state.acknowledgedIds.cend());
        ids.sort();
        root.insert(u"acknowledgedIds"_s, QJsonArray::fromStringList(ids));
    }
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

json::Decoded<AlertPersistence::State> AlertPersistence::decode(const QByteArray& bytes)
{
    auto root = json::parseObject(bytes);
    if (!root)
        return std::unexpected(root.error());
    json::LocalObjectReader reader(*root);
    State state;
    if (const auto alerts = reader.optionalArray(u"alerts")) {
        // An alert whose ts is not Slack's (written before such messages were refused) is
        // dropped alone; any other damage sets the whole file aside.
        qsizetype dropped = 0;
        for (qsizetype i = 0; i < alerts->size() && reader.ok(); ++i) {
            const QString path = u"alerts[%1]"_s.arg(i);
            auto alert = Alert::fromJson(alerts->at(i), path);
            if (alert)
                state.alerts.append(std::move(*alert));
            else if (alert.error().path == path + u".ts"_s
                && alert.error().message.startsWith(u"expected a Slack timestamp"))
                ++dropped;
            else
                reader.fail(u"alerts", alert.error().description());
        }
        if (dropped > 0)
            qCWarning(lcAlerts,
                "Queue file held %lld alert(s) whose ts is not a Slack timestamp; "
                "they were dropped",
                static_cast<long long>(dropped));
    } else if (reader.ok()) {
        reader.fail(u"alerts", u"missing required value"_s);
    }
    if (!readTimestampMap(reader, u"highWaterByChannel", state.highWaterByChannel) && reader.ok())
        reader.fail(u"highWaterByChannel", u"missing required value"_s);
    readTimestampMap(reader, u"backfillFromByChannel", state.backfillFromByChannel);
    if (const auto ids = reader.optionalArray(u"acknowledgedIds")) {
        for (const QJsonValue& id : *ids) {
            if (!id.isString()) {
                reader.fail(u"acknowledgedIds", u"expected a string for every id"_s);
                break;
            }
            state.acknowledgedIds.insert(id.toString());
        }
    }
    return reader.finish(std::move(state));
}

std::expected<AlertPersistence::State, QString> AlertPersistence::load()
{
    flush();
    QFile file(m_file->filePath);
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
            result = withPlausibleTimes(std::move(*decoded), currentReferenceTime());
    }
    m_file->loadFailure = result ? std::nullopt : std::optional(result.error());
    return result;
}

std::expected<void, QString> AlertPersistence::keepDamagedFileAside(FileState& file)
{
    const QString reason = *file.loadFailure;
    if (!QFileInfo::exists(file.filePath)) {
        file.loadFailure.reset();
        return {};
    }
    const auto keptPath = keepFileAside(file.filePath);
    if (!keptPath)
        return std::unexpected(
            u"cannot keep the unreadable queue file aside: "_s + keptPath.error());
    file.loadFailure.reset();
    qCCritical(lcAlerts, "Queue file could not be loaded (%s); kept it as %s",
        qUtf8Printable(reason), qUtf8Printable(*keptPath));
    return {};
}

std::expected<void, QString> AlertPersistence::save(const State& state)
{
    flush();
    return write(*m_file, state);
}

std::expected<void, QString> AlertPersistence::write(FileState& target, const State& state)
{
    // Never replace a file we could not read: it may hold alerts someone can still recover.
    if (target.loadFailure) {
        if (auto kept = keepDamagedFileAside(target); !kept)
            return kept;
    }
    return writePrivateFile(target.filePath, encode(state));
}

} // namespace halyard

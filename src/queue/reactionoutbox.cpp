#include "queue/reactionoutbox.h"

#include "common/logging.h"
#include "common/privatefile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

ReactionOutbox::ReactionOutbox(QString filePath)
    : m_filePath(std::make_shared<QString>(std::move(filePath)))
{
}

std::expected<ReactionOutbox, QString> ReactionOutbox::create(const QString& folder)
{
    auto path = privateFilePath(folder, u"reactions.json"_s);
    if (!path)
        return std::unexpected(path.error());
    return ReactionOutbox(std::move(*path));
}

QByteArray ReactionOutbox::encode(const QList<PendingReaction>& pending)
{
    QJsonArray list;
    for (const PendingReaction& reaction : pending) {
        list.append(QJsonObject { { u"channel"_s, reaction.channel }, { u"ts"_s, reaction.ts },
            { u"emoji"_s, reaction.emoji } });
    }
    return QJsonDocument(QJsonObject { { u"reactions"_s, list } }).toJson(QJsonDocument::Compact);
}

std::expected<QList<PendingReaction>, QString> ReactionOutbox::decode(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return std::unexpected(
            error.errorString() + u" at offset "_s + QString::number(error.offset));
    const QJsonValue list = document.object().value(u"reactions"_s);
    if (!document.isObject() || !list.isArray())
        return std::unexpected(u"expected an object with a \"reactions\" list"_s);
    QList<PendingReaction> pending;
    for (const QJsonValue& entry : list.toArray()) {
        const QJsonObject object = entry.toObject();
        PendingReaction reaction { object.value(u"channel"_s).toString(),
            object.value(u"ts"_s).toString(), object.value(u"emoji"_s).toString() };
        if (reaction.channel.isEmpty() || reaction.ts.isEmpty() || reaction.emoji.isEmpty())
            return std::unexpected(u"a reaction without channel, ts or emoji"_s);
        pending.append(std::move(reaction));
    }
    return pending;
}

QList<PendingReaction> ReactionOutbox::load()
{
    flush();
    QFile file(*m_filePath);
    if (!file.exists())
        return {};
    std::expected<QList<PendingReaction>, QString> result;
    if (!file.open(QIODevice::ReadOnly))
        result = std::unexpected(file.errorString());
    else
        result = decode(file.readAll());
    file.close();
    if (result)
        return *result;
    const auto kept = keepFileAside(*m_filePath);
    qCCritical(lcAlerts, "Reactions file could not be loaded (%s); kept it as %s",
        qUtf8Printable(result.error()),
        qUtf8Printable(kept ? *kept : u"nothing ("_s + kept.error() + u')'));
    return {};
}

void ReactionOutbox::saveInBackground(const QList<PendingReaction>& pending)
{
    if (!m_writer) {
        m_writer = std::make_shared<LatestWinsWriter<QList<PendingReaction>>>(
            [path = m_filePath, failing = false](const QList<PendingReaction>& next) mutable {
                const auto outcome = writePrivateFile(*path, encode(next));
                if (!outcome && !failing) {
                    qCCritical(lcAlerts,
                        "Could not save the reactions file %s: %s; will try again at the next "
                        "change",
                        qUtf8Printable(*path), qUtf8Printable(outcome.error()));
                }
                failing = !outcome;
            });
    }
    m_writer->submit(pending);
}

void ReactionOutbox::flush()
{
    if (m_writer)
        m_writer->flush();
}

} // namespace halyard

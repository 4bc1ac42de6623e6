#include "queue/mutelist.h"

#include "common/logging.h"
#include "common/privatefile.h"
#include "queue/alertfolding.h"
#include "queue/alertstore.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

bool Mute::covers(const Alert& alert) const
{
    return alert.channelId == channelId && alert.userId == userId
        && AlertFolding::textKey(alert.text) == AlertFolding::textKey(text);
}

MuteList::MuteList(AlertStore& store, std::optional<QString> folder, Clock clock, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_clock(std::move(clock))
{
    if (folder) {
        if (auto path = privateFilePath(*folder, u"mutes.json"_s))
            m_filePath = *path;
        else
            qCCritical(lcAlerts, "Mutes cannot be saved: %s", qUtf8Printable(path.error()));
    }
    if (m_filePath && QFile::exists(*m_filePath)) {
        QFile file(*m_filePath);
        auto loaded = file.open(QIODevice::ReadOnly)
            ? decode(file.readAll())
            : std::expected<QList<Mute>, QString>(std::unexpected(file.errorString()));
        file.close();
        if (loaded) {
            m_mutes = std::move(*loaded);
        } else {
            const auto kept = keepFileAside(*m_filePath);
            qCCritical(lcAlerts, "Mutes file could not be loaded (%s); kept it as %s",
                qUtf8Printable(loaded.error()),
                qUtf8Printable(kept ? *kept : u"nothing ("_s + kept.error() + u')'));
        }
    }
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &MuteList::recheck);
    store.setArrivalSnooze([this](const Alert& alert) -> std::optional<ReferenceTime> {
        const ReferenceTime now = m_clock();
        for (Mute& mute : m_mutes) {
            if (mute.until > now && mute.covers(alert)) {
                ++mute.arrived;
                changed();
                return mute.until;
            }
        }
        return std::nullopt;
    });
    recheck();
}

MuteList::~MuteList()
{
    m_store.setArrivalSnooze({});
    flush();
}

void MuteList::mute(const Alert& like, ReferenceTime until)
{
    const auto same
        = std::ranges::find_if(m_mutes, [&](const Mute& mute) { return mute.covers(like); });
    if (same != m_mutes.end()) {
        same->until = std::max(same->until, until);
    } else {
        m_mutes.append({ like.id, like.channelId, like.userId, like.text, until, 0 });
        qCInfo(lcAlerts, "Muted alerts like %s", qUtf8Printable(like.id));
    }
    changed();
    recheck();
}

bool MuteList::unmute(const QString& id)
{
    const auto found = std::ranges::find(m_mutes, id, &Mute::id);
    if (found == m_mutes.end())
        return false;
    end(found - m_mutes.begin());
    recheck();
    return true;
}

void MuteList::end(qsizetype index)
{
    const Mute mute = m_mutes.takeAt(index);
    // What it held comes back now, quietly: the summary stands for all of it.
    QStringList held;
    for (const Alert& alert : m_store.snoozed())
        if (alert.muted && mute.covers(alert))
            held.append(alert.id);
    m_store.unsnooze(held);
    qCInfo(lcAlerts, "Mute of alerts like %s ended; %lld arrived meanwhile",
        qUtf8Printable(mute.id), static_cast<long long>(mute.arrived));
    changed();
    emit muteEnded(mute);
}

void MuteList::recheck()
{
    const ReferenceTime now = m_clock();
    for (qsizetype i = m_mutes.size() - 1; i >= 0; --i)
        if (m_mutes.at(i).until <= now)
            end(i);
    m_timer.stop();
    if (m_mutes.isEmpty())
        return;
    ReferenceTime next = m_mutes.first().until;
    for (const Mute& mute : std::as_const(m_mutes))
        next = std::min(next, mute.until);
    // Capped, so a suspend or a clock being set is noticed within that time.
    m_timer.start(int(std::clamp<double>(std::ceil((next - now) * 1000), 0, kLongestWaitMs)));
}

void MuteList::changed()
{
    emit mutesChanged();
    if (!m_filePath)
        return;
    if (!m_writer) {
        m_writer = std::make_shared<LatestWinsWriter<QList<Mute>>>(
            [path = *m_filePath, failing = false](const QList<Mute>& next) mutable {
                const auto outcome = writePrivateFile(path, encode(next));
                if (!outcome && !failing)
                    qCCritical(lcAlerts,
                        "Could not save the mutes file %s: %s; will try again at the next change",
                        qUtf8Printable(path), qUtf8Printable(outcome.error()));
                failing = !outcome;
            });
    }
    m_writer->submit(m_mutes);
}

void MuteList::flush()
{
    if (m_writer)
        m_writer->flush();
}

QByteArray MuteList::encode(const QList<Mute>& mutes)
{
    QJsonArray list;
    for (const Mute& mute : mutes) {
        QJsonObject object { { u"id"_s, mute.id }, { u"channelId"_s, mute.channelId },
            { u"text"_s, mute.text }, { u"until"_s, mute.until },
            { u"arrived"_s, double(mute.arrived) } };
        if (mute.userId)
            object.insert(u"userId"_s, *mute.userId);
        list.append(object);
    }
    return QJsonDocument(QJsonObject { { u"mutes"_s, list } }).toJson(QJsonDocument::Compact);
}

std::expected<QList<Mute>, QString> MuteList::decode(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return std::unexpected(
            error.errorString() + u" at offset "_s + QString::number(error.offset));
    const QJsonValue list = document.object().value(u"mutes"_s);
    if (!document.isObject() || !list.isArray())
        return std::unexpected(u"expected an object with a \"mutes\" list"_s);
    QList<Mute> mutes;
    for (const QJsonValue& entry : list.toArray()) {
        const QJsonObject o = entry.toObject();
        const QJsonValue user = o.value(u"userId"_s);
        Mute mute { o.value(u"id"_s).toString(), o.value(u"channelId"_s).toString(),
            user.isString() ? std::optional(user.toString()) : std::nullopt,
            o.value(u"text"_s).toString(), o.value(u"until"_s).toDouble(std::nan("")),
            qint64(o.value(u"arrived"_s).toDouble(0)) };
        if (mute.id.isEmpty() || mute.channelId.isEmpty() || !std::isfinite(mute.until)
            || !o.value(u"text"_s).isString() || mute.arrived < 0)
            return std::unexpected(u"a mute without id, channel, text or end"_s);
        mutes.append(std::move(mute));
    }
    return mutes;
}

} // namespace halyard

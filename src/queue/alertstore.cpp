#include "queue/alertstore.h"

#include "common/logging.h"

#include <QTimer>

#include <algorithm>

namespace halyard {

namespace {

// The ts of an alert id ("<channelId>:<ts>"); a ts never holds a ":".
QStringView tsOfId(const QString& id)
{
    return QStringView(id).sliced(id.lastIndexOf(u':') + 1);
}

} // namespace

AlertStore::AlertStore(std::optional<AlertPersistence> persistence, QObject* parent)
    : QObject(parent)
    , m_persistence(std::move(persistence))
{
    if (!m_persistence)
        return;
    // A file that fails to load leaves the queue empty; the persistence keeps it aside.
    if (auto state = m_persistence->load()) {
        for (Alert& alert : state->alerts)
            (alert.snoozedUntil ? m_snoozed : m_alerts).append(std::move(alert));
        m_highWaterByChannel = std::move(state->highWaterByChannel);
        m_backfillFrom = std::move(state->backfillFromByChannel);
        m_acknowledged = std::move(state->acknowledgedIds);
        for (const Alert& alert : std::as_const(m_alerts))
            m_ids.insert(alert.id);
        for (const Alert& alert : std::as_const(m_snoozed))
            m_ids.insert(alert.id);
    }
}

AlertStore::~AlertStore()
{
    flushPendingSaves();
}

void AlertStore::flushPendingSaves()
{
    if (!m_persistence)
        return;
    if (m_dirty)
        submitState();
    m_persistence->flush();
}

void AlertStore::setAgingPolicy(const AgingPolicy& policy)
{
    if (policy == m_agingPolicy)
        return;
    m_agingPolicy = policy;
    emit agingPolicyChanged();
}

void AlertStore::setFolding(bool folding)
{
    if (folding == m_folding)
        return;
    m_folding = folding;
    emit foldingChanged();
}

bool AlertStore::advanceHighWaterMark(const QString& channelId, const QString& ts)
{
    auto it = m_highWaterByChannel.find(channelId);
    if (it == m_highWaterByChannel.end()) {
        m_highWaterByChannel.insert(channelId, ts);
        return true;
    }
    // Plain string order, which matches numeric order for Slack timestamps of equal width.
    if (*it == ts || QStringView(*it).compare(ts) > 0)
        return false;
    *it = ts;
    return true;
}

void AlertStore::enqueue(const Alert& alert, Arrival arrival)
{
    if (advanceHighWaterMark(alert.channelId, alert.ts))
        emit highWaterByChannelChanged();

    if (m_acknowledged.contains(alert.id)) {
        qCDebug(lcAlerts, "Not queued again (acknowledged): %s", qUtf8Printable(alert.id));
        return;
    }
    if (m_ids.contains(alert.id)) {
        qCDebug(lcAlerts, "Dedup hit (already enqueued): %s", qUtf8Printable(alert.id));
        return;
    }
    m_ids.insert(alert.id);
    if (const auto until = m_arrivalSnooze ? m_arrivalSnooze(alert) : std::nullopt) {
        Alert muted = alert;
        muted.snoozedUntil = *until;
        muted.muted = true;
        const auto at = std::ranges::upper_bound(
            m_snoozed, muted.receivedAt, std::less<> {}, &Alert::receivedAt);
        m_snoozed.insert(at, std::move(muted));
        qCInfo(lcAlerts, "Arrived muted: %s", qUtf8Printable(alert.id));
        emit snoozedChanged();
        save();
        emit alertArrived(alert, arrival);
        emit alertsSnoozed({ alert });
        return;
    }
    Alert shown = alert;
    shown.snoozedUntil.reset();
    shown.muted = false;
    insertShown(std::move(shown));
    qCDebug(lcAlerts, "Enqueued: %s queueDepth=%lld", qUtf8Printable(alert.id),
        static_cast<long long>(m_alerts.size()));
    save();
    emit alertArrived(alert, arrival);
}

void AlertStore::insertShown(Alert alert)
{
    // After every alert of the same second, so equal times keep their arrival order; most
    // alerts are the newest and land at the end.
    const auto at
        = std::ranges::upper_bound(m_alerts, alert.receivedAt, std::less<> {}, &Alert::receivedAt);
    const qsizetype row = at - m_alerts.begin();
    const QString id = alert.id;
    m_alerts.insert(row, std::move(alert));
    recordInserted(id, row);
}

qsizetype AlertStore::snooze(const QStringList& ids, ReferenceTime until)
{
    const QSet<QString> wanted(ids.cbegin(), ids.cend());
    qsizetype found = 0;
    QList<Alert> changed;
    for (Alert& alert : m_snoozed) {
        if (wanted.contains(alert.id)) {
            alert.snoozedUntil = until;
            changed.append(alert);
            ++found;
        }
    }
    for (qsizetype row = m_alerts.size() - 1; row >= 0; --row) {
        if (!wanted.contains(m_alerts.at(row).id))
            continue;
        Alert alert = m_alerts.takeAt(row);
        recordRemoved(alert.id, row);
        alert.snoozedUntil = until;
        changed.append(alert);
        const auto at = std::ranges::upper_bound(
            m_snoozed, alert.receivedAt, std::less<> {}, &Alert::receivedAt);
        m_snoozed.insert(at, std::move(alert));
        ++found;
    }
    if (found > 0) {
        qCInfo(lcAlerts, "Snoozed %lld alert(s)", static_cast<long long>(found));
        emit snoozedChanged();
        save();
        emit alertsSnoozed(changed);
    }
    return found;
}

qsizetype AlertStore::unsnooze(const QStringList& ids)
{
    const QSet<QString> wanted(ids.cbegin(), ids.cend());
    QList<Alert> back;
    m_snoozed.removeIf([&](const Alert& alert) {
        if (!wanted.contains(alert.id))
            return false;
        back.append(alert);
        return true;
    });
    for (const Alert& alert : std::as_const(back)) {
        Alert shown = alert;
        shown.snoozedUntil.reset();
        shown.muted = false;
        insertShown(std::move(shown));
    }
    if (!back.isEmpty()) {
        emit snoozedChanged();
        save();
        emit alertsWoken(back);
    }
    return back.size();
}

void AlertStore::wakeDue(ReferenceTime now)
{
    QList<Alert> woken;
    m_snoozed.removeIf([&](const Alert& alert) {
        if (*alert.snoozedUntil > now)
            return false;
        woken.append(alert);
        return true;
    });
    if (woken.isEmpty())
        return;
    for (const Alert& alert : std::as_const(woken)) {
        Alert shown = alert;
        shown.snoozedUntil.reset();
        shown.muted = false;
        insertShown(std::move(shown));
    }
    qCInfo(lcAlerts, "Woke %lld snoozed alert(s)", static_cast<long long>(woken.size()));
    emit snoozedChanged();
    save();
    emit alertsWoken(woken);
    emit snoozeEnded(woken);
}

std::optional<ReferenceTime> AlertStore::nextWake() const
{
    std::optional<ReferenceTime> next;
    for (const Alert& alert : m_snoozed)
        if (!next || *alert.snoozedUntil < *next)
            next = alert.snoozedUntil;
    return next;
}

std::optional<Alert> AlertStore::removeById(const QString& id)
{
    if (!m_ids.remove(id))
        return std::nullopt;
    // A snoozed alert leaves without being seen: nothing to announce to the views.
    if (const auto snoozed = std::ranges::find(m_snoozed, id, &Alert::id);
        snoozed != m_snoozed.end()) {
        Alert removed = std::move(*snoozed);
        m_snoozed.erase(snoozed);
        emit snoozedChanged();
        return removed;
    }
    // Ids are unique in the queue, so the first match is the only one.
    const auto found = std::ranges::find(m_alerts, id, &Alert::id);
    if (found == m_alerts.end())
        return std::nullopt;
    const qsizetype row = found - m_alerts.begin();
    // `id` may live in the alert about to go.
    recordRemoved(QString(id), row);
    return m_alerts.takeAt(row);
}

void AlertStore::recordInserted(const QString& id, qsizetype row)
{
    m_pending.firstRow = m_pending.isEmpty() ? row : std::min(m_pending.firstRow, row);
    m_pending.inserted.insert(id);
    scheduleAnnouncement();
}

void AlertStore::recordRemoved(const QString& id, qsizetype row)
{
    m_pending.firstRow = m_pending.isEmpty() ? row : std::min(m_pending.firstRow, row);
    if (!m_pending.inserted.remove(id))
        m_pending.removed.insert(id);
    scheduleAnnouncement();
}

void AlertStore::scheduleAnnouncement()
{
    if (m_announceScheduled)
        return;
    m_announceScheduled = true;
    // The first change after a quiet spell is announced when this turn ends; during a burst the
    // announcements are spaced, so the views do their work a few times, not once per frame.
    const qint64 since
        = m_sinceAnnounced.isValid() ? m_sinceAnnounced.elapsed() : kAnnounceSpacingMs;
    QTimer::singleShot(
        std::max<qint64>(0, kAnnounceSpacingMs - since), this, &AlertStore::announceChanges);
}

void AlertStore::announceChanges()
{
    m_announceScheduled = false;
    if (m_pending.isEmpty())
        return;
    const AlertChanges changes = std::exchange(m_pending, {});
    m_sinceAnnounced.start();
    emit alertsChanged(changes);
}

bool AlertStore::rememberAcknowledged(const QString& channelId, const QString& ts)
{
    // A catch-up reads only messages newer than its point, so older ones need no memory.
    const auto point = m_backfillFrom.contains(channelId)
        ? std::optional(m_backfillFrom.value(channelId))
        : (m_highWaterByChannel.contains(channelId)
                ? std::optional(m_highWaterByChannel.value(channelId))
                : std::nullopt);
    if (!point || compareSlackTimestamps(ts, *point) <= 0)
        return false;
    const QString id = Alert::makeId(channelId, ts);
    if (m_acknowledged.contains(id))
        return false;
    m_acknowledged.insert(id);
    // Ack reactions on messages the filter never took (people's messages, say) are newer than
    // any mark and stay until an alert moves the mark past them; a bound keeps a quiet channel
    // from collecting them without end. The oldest go first: a catch-up reaches them last.
    if (m_acknowledged.size() > kMaxAcknowledgedIds) {
        const auto oldest
            = std::ranges::min_element(m_acknowledged, [](const QString& a, const QString& b) {
                  return compareSlackTimestamps(tsOfId(a), tsOfId(b)) < 0;
              });
        m_acknowledged.erase(oldest);
    }
    return true;
}

void AlertStore::acknowledge(const Alert& alert, AckCause cause)
{
    rememberAcknowledged(alert.channelId, alert.ts);
    const auto removed = removeById(alert.id);
    save();
    if (removed)
        emit alertAcknowledged(*removed, cause, QString());
}

void AlertStore::removeBySource(
    const QString& channelId, const QString& ts, const QString& byUserId)
{
    const QString key = Alert::makeId(channelId, ts);
    const bool remembered = rememberAcknowledged(channelId, ts);
    const auto removed = removeById(key);
    if (!removed) {
        qCDebug(lcAlerts, "removeBySource no-op (not in queue): %s", qUtf8Printable(key));
        if (remembered)
            save();
        return;
    }
    qCInfo(lcAlerts, "Removed by source reaction: %s queueDepth=%lld", qUtf8Printable(key),
        static_cast<long long>(m_alerts.size()));
    save();
    emit alertAcknowledged(*removed, AckCause::teammate, byUserId);
}

QMap<QString, QString> AlertStore::beginBackfill()
{
    QMap<QString, QString> points = m_backfillFrom;
    for (auto it = m_highWaterByChannel.cbegin(); it != m_highWaterByChannel.cend(); ++it) {
        auto point = points.find(it.key());
        if (point == points.end())
            points.insert(it.key(), it.value());
        else if (compareSlackTimestamps(it.value(), *point) < 0)
            *point = it.value();
    }
    if (points != m_backfillFrom) {
        m_backfillFrom = points;
        save();
    }
    return points;
}

void AlertStore::finishBackfill(const QString& channelId)
{
    if (!m_backfillFrom.remove(channelId))
        return;
    const QString mark = m_highWaterByChannel.value(channelId);
    const QString prefix = channelId + u':';
    m_acknowledged.removeIf([&](const QString& id) {
        return id.startsWith(prefix) && compareSlackTimestamps(tsOfId(id), mark) <= 0;
    });
    save();
}

QList<AgeStage> AlertStore::stages(ReferenceTime now) const
{
    QList<AgeStage> out;
    out.reserve(m_alerts.size());
    for (const Alert& alert : m_alerts)
        out.append(m_agingPolicy.stageForAge(now - alert.receivedAt));
    return out;
}

void AlertStore::save()
{
    if (!m_persistence)
        return;
    // Off the main thread, so socket acknowledgements never wait for the disk, and once per
    // turn of the event loop at most: every hand-over copies the whole queue. A failed save is
    // not fatal: memory stays intact and the next change writes everything.
    m_dirty = true;
    if (m_handOverScheduled)
        return;
    m_handOverScheduled = true;
    QTimer::singleShot(0, this, &AlertStore::handOver);
}

void AlertStore::handOver()
{
    m_handOverScheduled = false;
    if (!m_dirty || !m_persistence)
        return;
    // While the writer is busy, later changes pile up here and go over as one state.
    if (m_persistence->isWriting()) {
        m_handOverScheduled = true;
        QTimer::singleShot(kHandOverRetryMs, this, &AlertStore::handOver);
        return;
    }
    submitState();
}

void AlertStore::submitState()
{
    m_dirty = false;
    QList<Alert> all = m_alerts;
    if (!m_snoozed.isEmpty()) {
        all.append(m_snoozed);
        std::ranges::stable_sort(all, std::less<> {}, &Alert::receivedAt);
    }
    m_persistence->saveInBackground(
        { std::move(all), m_highWaterByChannel, m_backfillFrom, m_acknowledged });
}

} // namespace halyard

#include "history/historyrecorder.h"

#include <QDateTime>
#include <QTimer>

namespace halyard {

namespace {

qint64 unixMs(ReferenceTime time)
{
    return qint64((time + double(kUnixToReferenceOffset)) * 1000.0);
}

QString nameOf(const HistoryRecorder::NameOf& lookup, const QString& id)
{
    return lookup && !id.isEmpty() ? lookup(id) : QString();
}

} // namespace

HistoryRecorder::HistoryRecorder(
    AlertStore& store, std::unique_ptr<HistoryWriter> writer, Names names, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_writer(std::move(writer))
    , m_names(std::move(names))
{
    connect(&store, &AlertStore::alertArrived, this, [this](const Alert& alert, Arrival arrival) {
        HistoryRecord entry
            = named(recordOf(alert, eventFor(arrival), QDateTime::currentMSecsSinceEpoch()), alert);
        entry.text = historyText(alert.text);
        record(std::move(entry));
    });
    connect(&store, &AlertStore::alertAcknowledged, this,
        [this](const Alert& alert, AckCause cause, const QString& byUserId) {
            // Names are looked up after arrival; by now they are usually known.
            HistoryRecord entry = named(
                recordOf(alert, eventFor(cause), QDateTime::currentMSecsSinceEpoch()), alert);
            entry.by = byUserId;
            entry.byName = nameOf(m_names.user, byUserId);
            entry.stage
                = m_store.agingPolicy().stageForAge(double(entry.at - entry.postedAt) / 1000.0);
            record(std::move(entry));
        });
    const auto marks = [this](AlertEvent event) {
        return [this, event](const QList<Alert>& alerts) {
            const qint64 now = QDateTime::currentMSecsSinceEpoch();
            for (const Alert& alert : alerts)
                record(recordOf(alert, event, now));
        };
    };
    connect(&store, &AlertStore::alertsSnoozed, this, marks(AlertEvent::snoozed));
    connect(&store, &AlertStore::alertsWoken, this, marks(AlertEvent::woken));
}

HistoryRecord HistoryRecorder::recordOf(const Alert& alert, AlertEvent event, qint64 at)
{
    HistoryRecord entry;
    entry.at = at;
    entry.event = event;
    entry.alertId = alert.id;
    entry.channelId = alert.channelId;
    entry.postedAt = unixMs(alert.receivedAt);
    return entry;
}

HistoryRecord HistoryRecorder::named(HistoryRecord entry, const Alert& alert) const
{
    entry.channelName = nameOf(m_names.channel, alert.channelId);
    entry.sender = alert.userId.value_or(QString());
    entry.senderName = nameOf(m_names.user, entry.sender);
    return entry;
}

HistoryRecorder::~HistoryRecorder()
{
    handOver();
}

void HistoryRecorder::flush()
{
    handOver();
    m_writer->flush();
}

AlertEvent HistoryRecorder::eventFor(Arrival arrival)
{
    return arrival == Arrival::catchUp ? AlertEvent::arrivedCatchUp : AlertEvent::arrivedLive;
}

AlertEvent HistoryRecorder::eventFor(AckCause cause)
{
    switch (cause) {
    case AckCause::panel:
        return AlertEvent::ackedInPanel;
    case AckCause::banner:
        return AlertEvent::ackedOnBanner;
    case AckCause::bus:
        return AlertEvent::ackedOverBus;
    case AckCause::acknowledgeAll:
        return AlertEvent::ackedAll;
    case AckCause::teammate:
        return AlertEvent::ackedByTeammate;
    }
    return AlertEvent::ackedInPanel;
}

void HistoryRecorder::record(HistoryRecord record)
{
    m_pending.append(std::move(record));
    if (m_handOverScheduled)
        return;
    m_handOverScheduled = true;
    QTimer::singleShot(0, this, &HistoryRecorder::handOver);
}

void HistoryRecorder::handOver()
{
    m_handOverScheduled = false;
    if (!m_pending.isEmpty())
        m_writer->append(std::exchange(m_pending, {}));
}

} // namespace halyard

#pragma once

#include "queue/agingpolicy.h"
#include "queue/alert.h"
#include "queue/alertpersistence.h"

#include <QElapsedTimer>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>

#include <functional>
#include <optional>

namespace halyard {

// What one announcement of the store changed since the one before. Rows before `firstRow` are
// untouched; after them, the queue as it was minus `removed`, in its order, is the queue as it
// is now minus `inserted`. An alert both added and removed since the last announcement appears
// in neither.
// How an alert reached the queue: as it was posted, or read later by a catch-up.
enum class Arrival : quint8 { live, catchUp };

// How an alert left the queue. New ways go at the end: the history stores them by name.
enum class AckCause : quint8 { panel, banner, bus, acknowledgeAll, teammate };

struct AlertChanges {
    QSet<QString> inserted;
    QSet<QString> removed;
    qsizetype firstRow = 0;

    bool isEmpty() const { return inserted.isEmpty() && removed.isEmpty(); }
};

// The single owner of the alert queue: de-duplicates by id, keeps the queue ordered by posting
// time, remembers the newest ts seen per channel and where each channel's catching up resumes,
// and writes every change through to the queue file. An alert acknowledged here is never
// queued again, even when a catch-up reads its message once more. Main thread only.
class AlertStore : public QObject {
    Q_OBJECT
    Q_PROPERTY(
        AgingPolicy agingPolicy READ agingPolicy WRITE setAgingPolicy NOTIFY agingPolicyChanged)
    Q_PROPERTY(bool folding READ folding WRITE setFolding NOTIFY foldingChanged)

public:
    explicit AlertStore(
        std::optional<AlertPersistence> persistence = std::nullopt, QObject* parent = nullptr);
    // Waits for the queue file to hold the last change.
    ~AlertStore() override;

    // The alerts that are shown: every queued alert that is not snoozed.
    const QList<Alert>& alerts() const { return m_alerts; }
    // The snoozed alerts, in time order, each with its wake time.
    const QList<Alert>& snoozed() const { return m_snoozed; }
    // Queued, shown or snoozed.
    bool contains(const QString& id) const { return m_ids.contains(id); }
    const QMap<QString, QString>& highWaterByChannel() const { return m_highWaterByChannel; }
    const QMap<QString, QString>& backfillFromByChannel() const { return m_backfillFrom; }
    const QSet<QString>& acknowledgedIds() const { return m_acknowledged; }
    const AgingPolicy& agingPolicy() const { return m_agingPolicy; }
    void setAgingPolicy(const AgingPolicy& policy);
    // Whether views fold repeats into one row (see AlertFolding); the queue itself keeps every
    // alert either way.
    bool folding() const { return m_folding; }
    void setFolding(bool folding);

    // Always offers the alert's ts to its channel's mark; adds the alert unless its id is queued
    // or was acknowledged.
    void enqueue(const Alert& alert, Arrival arrival = Arrival::live);
    // The user's Ack: removes the alert with this id, and saves even when it was already gone.
    void acknowledge(const Alert& alert, AckCause cause = AckCause::panel);
    // Removes the alert built from this message, if queued (acknowledged elsewhere, by `byUserId`
    // when known). A message not queued yet is remembered as acknowledged when a catch-up may
    // still read it.
    void removeBySource(const QString& channelId, const QString& ts, const QString& byUserId = {});

    // Where a catch-up reads each channel from: the older of its kept "backfill from" point and
    // its mark. Every returned point is kept until finishBackfill() for its channel, so live
    // messages cannot move a catch-up past what it has not read, and a run that ends early
    // (failure, cancellation, crash) resumes from the same place.
    QMap<QString, QString> beginBackfill();
    // The channel was read completely: its point is dropped, and so are the acknowledged ids
    // that no catch-up can read again.
    void finishBackfill(const QString& channelId);

    QList<AgeStage> stages(ReferenceTime now) const;

    // Takes these alerts out of view until `until` (snoozed ones get the new time); their age
    // runs on and an ack reaction still removes them. How many were found.
    qsizetype snooze(const QStringList& ids, ReferenceTime until);
    // Brings these snoozed alerts back now, without a banner. How many were snoozed.
    qsizetype unsnooze(const QStringList& ids);
    // Brings back every snoozed alert whose time has come and announces them with snoozeEnded.
    void wakeDue(ReferenceTime now);
    // The earliest wake time, if anything is snoozed.
    std::optional<ReferenceTime> nextWake() const;
    // Decides, for an alert about to be queued, whether it arrives snoozed (a mute covers it)
    // and until when.
    using ArrivalSnooze = std::function<std::optional<ReferenceTime>(const Alert&)>;
    void setArrivalSnooze(ArrivalSnooze rule) { m_arrivalSnooze = std::move(rule); }

    // Announces the changes made since the last announcement now rather than when due.
    void announceChanges();

    // Waits until every change so far is in the queue file (saves run on a writer thread).
    void flushPendingSaves();

    // How often a change waiting for a busy writer looks again; a burst of changes meanwhile
    // goes to the writer as one state.
    static constexpr int kHandOverRetryMs = 5;
    // Announcements follow each other at least this far apart.
    static constexpr qint64 kAnnounceSpacingMs = 100;
    // Acknowledged ids remembered at most.
    static constexpr qsizetype kMaxAcknowledgedIds = 5000;

signals:
    // At the end of the turn of the event loop that made the first change, and then at most
    // every kAnnounceSpacingMs, so a catch-up page or a burst of frames reaches the views as one
    // change, not one per alert; `alerts()` already holds the outcome.
    void alertsChanged(const halyard::AlertChanges& changes);
    void highWaterByChannelChanged();
    // Alerts whose snooze ran out came back into view; `muted` ones arrived during a mute.
    void snoozeEnded(const QList<halyard::Alert>& woken);
    // An alert was snoozed, woken, or left while snoozed.
    void snoozedChanged();
    // Per alert, for its history: put aside (by the user or a mute), or back in view (its time
    // came, or the user brought it back).
    void alertsSnoozed(const QList<halyard::Alert>& alerts);
    void alertsWoken(const QList<halyard::Alert>& alerts);
    void agingPolicyChanged();
    void foldingChanged();
    // At once, one per alert that joined or left the queue, for its history.
    void alertArrived(const halyard::Alert& alert, halyard::Arrival arrival);
    void alertAcknowledged(
        const halyard::Alert& alert, halyard::AckCause cause, const QString& byUserId);

private:
    bool advanceHighWaterMark(const QString& channelId, const QString& ts);
    bool rememberAcknowledged(const QString& channelId, const QString& ts);
    // The alert taken out, if it was queued (shown or snoozed).
    std::optional<Alert> removeById(const QString& id);
    void insertShown(Alert alert);
    void recordInserted(const QString& id, qsizetype row);
    void recordRemoved(const QString& id, qsizetype row);
    void scheduleAnnouncement();
    void save();
    void handOver();
    // Hands the complete current state to the writer.
    void submitState();

    QList<Alert> m_alerts;
    QList<Alert> m_snoozed;
    ArrivalSnooze m_arrivalSnooze;
    QSet<QString> m_ids;
    AlertChanges m_pending;
    bool m_announceScheduled = false;
    QElapsedTimer m_sinceAnnounced;
    bool m_dirty = false;
    bool m_handOverScheduled = false;
    QMap<QString, QString> m_highWaterByChannel;
    QMap<QString, QString> m_backfillFrom;
    QSet<QString> m_acknowledged;
    AgingPolicy m_agingPolicy;
    bool m_folding = true;
    std::optional<AlertPersistence> m_persistence;
};

} // namespace halyard

Q_DECLARE_METATYPE(halyard::AlertChanges)

#pragma once

#include "queue/agingpolicy.h"
#include "queue/alert.h"
#include "queue/alertpersistence.h"

#include <QList>
#include <QMap>
#include <QObject>

#include <optional>

namespace halyard {

// The single owner of the alert queue: de-duplicates by id, keeps the queue ordered by posting
// time, remembers the newest ts seen per channel (where catching up resumes) and writes every
// change through to the queue file. Main thread only.
class AlertStore : public QObject {
    Q_OBJECT
    Q_PROPERTY(
        AgingPolicy agingPolicy READ agingPolicy WRITE setAgingPolicy NOTIFY agingPolicyChanged)

public:
    explicit AlertStore(
        std::optional<AlertPersistence> persistence = std::nullopt, QObject* parent = nullptr);
    // Waits for the queue file to hold the last change.
    ~AlertStore() override;

    const QList<Alert>& alerts() const { return m_alerts; }
    const QMap<QString, QString>& highWaterByChannel() const { return m_highWaterByChannel; }
    const AgingPolicy& agingPolicy() const { return m_agingPolicy; }
    void setAgingPolicy(const AgingPolicy& policy);

    // Always offers the alert's ts to its channel's mark; adds the alert unless its id is queued.
    void enqueue(const Alert& alert);
    // The user's Ack: removes the alert with this id, and saves even when it was already gone.
    void acknowledge(const Alert& alert);
    // Removes the alert built from this message, if queued (acknowledged elsewhere).
    void removeBySource(const QString& channelId, const QString& ts);

    QList<AgeStage> stages(ReferenceTime now) const;

    // Waits until every change so far is in the queue file (saves run on a writer thread).
    void flushPendingSaves();

signals:
    void alertsChanged();
    void highWaterByChannelChanged();
    void agingPolicyChanged();

private:
    bool advanceHighWaterMark(const QString& channelId, const QString& ts);
    qsizetype removeById(const QString& id);
    void save();

    QList<Alert> m_alerts;
    QMap<QString, QString> m_highWaterByChannel;
    AgingPolicy m_agingPolicy;
    std::optional<AlertPersistence> m_persistence;
};

} // namespace halyard

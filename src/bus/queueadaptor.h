#pragma once

#include "queue/agingpolicy.h"
#include "queue/alert.h"

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QTimer>
#include <QVariantMap>

#include <functional>

namespace halyard {

class AppCore;
struct Alert;

// The queue for scripts and status bars, on the program's bus object: what waits, how it
// stands, and the user's Ack. Acks take the panel's path, ack-back included. Properties and
// Changed follow the store's batched announcements, never one per alert of a burst, and the
// passing of time where it moves an alert into another stage.
class QueueAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.corvane.Halyard.Queue")
    Q_PROPERTY(int Count READ count)
    Q_PROPERTY(QString Health READ health)
    Q_PROPERTY(QString ConnectionState READ connectionState)
    Q_PROPERTY(int OverdueCount READ overdueCount)
    Q_PROPERTY(int SnoozedCount READ snoozedCount)

public:
    // Opens an alert as a click on its row does; false where there is no display.
    using OpenHandler = std::function<bool(const Alert&)>;

    // A child of `busObject`, which must be published with its adaptors.
    QueueAdaptor(AppCore& core, QObject* busObject);

    void setOpenHandler(OpenHandler open) { m_open = std::move(open); }

    int count() const;
    QString health() const;
    QString connectionState() const;
    int overdueCount() const;
    int snoozedCount() const;

    // Ids longer than this are no alert's: refused before any look-up.
    static constexpr qsizetype kMaxIdLength = 128;
    // Members listed per row at most; the count says how many there are.
    static constexpr qsizetype kMaxListedMembers = 100;
    // The longest snooze or mute, in seconds.
    static constexpr int kMaxQuietSeconds = 365 * 24 * 60 * 60;
    // What List() sends at most. A text is cut to what a row shows, a name to what a label
    // shows, and the reply stays far below the bus's message limit: a reply over it gets the
    // program disconnected from the bus, whatever the alerts hold.
    static constexpr qsizetype kListTextLength = 1000;
    static constexpr qsizetype kListNameLength = 300;
    static constexpr qsizetype kMaxListBytes = 4 * 1024 * 1024;
    static constexpr qsizetype kMaxListedAlerts = 2000;

public slots:
    // One map per row (repeats folded, see AlertFolding), oldest first: id, channel, channelId,
    // author, text (plain, cut with "…"), received (Unix seconds), stage, count, members (the
    // ids folded into the row, oldest first). `leftOut`: how many of the newest alerts did not
    // fit.
    QList<QVariantMap> List(int& leftOut);
    // The snoozed alerts, one map each as List() gives, with wake (Unix seconds) and muted.
    QList<QVariantMap> ListSnoozed(int& leftOut);
    // Snoozes the row (or member) with this id for `seconds`; how many alerts.
    int Snooze(const QString& id, int seconds, const QDBusMessage& call);
    int Unsnooze(const QString& id, const QDBusMessage& call);
    // Mutes alerts like this one for `seconds`.
    void Mute(const QString& id, int seconds, const QDBusMessage& call);
    void Unmute(const QString& id, const QDBusMessage& call);
    // One map per active mute: id, channel, channelId, text, until (Unix seconds), arrived.
    QList<QVariantMap> Mutes();
    // The row with this id (every alert folded into it), or the member with this id alone.
    void Ack(const QString& id, const QDBusMessage& call);
    // How many were acknowledged.
    int AckAll();
    void Open(const QString& id, const QDBusMessage& call);

signals:
    void Changed();

private:
    enum class Announce { never, summaryChanges, always };
    struct Summary {
        int count = 0;
        int overdue = 0;
        QueueHealth health = QueueHealth::allClear;
        QString connection;
        int snoozed = 0;
    };
    Summary summary() const;
    void refresh(Announce announce);
    // The queued alert with this id; null, with an error reply to `call`, when there is none.
    const Alert* find(const QString& id, const QDBusMessage& call);
    // The bus map of one alert or row.
    QVariantMap listed(const Alert& alert, ReferenceTime now) const;
    // Maps in order until the reply would grow too large; how many were left out.
    static int bounded(QList<QVariantMap>& rows);

    AppCore& m_core;
    OpenHandler m_open;
    QTimer m_nextStage;
    // What the last PropertiesChanged said, to announce only what differs.
    Summary m_announced;
};

} // namespace halyard

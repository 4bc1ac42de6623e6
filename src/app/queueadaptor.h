#pragma once

#include "queue/agingpolicy.h"

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

    // Ids longer than this are no alert's: refused before any look-up.
    static constexpr qsizetype kMaxIdLength = 128;
    // What List() sends at most. A text is cut to what a row shows, a name to what a label
    // shows, and the reply stays far below the bus's message limit: a reply over it gets the
    // program disconnected from the bus, whatever the alerts hold.
    static constexpr qsizetype kListTextLength = 1000;
    static constexpr qsizetype kListNameLength = 300;
    static constexpr qsizetype kMaxListBytes = 4 * 1024 * 1024;
    static constexpr qsizetype kMaxListedAlerts = 2000;

public slots:
    // One map per alert, oldest first: id, channel, channelId, author, text (plain, cut with
    // "…"), received (Unix seconds), stage. `leftOut`: how many of the newest alerts did not fit.
    QList<QVariantMap> List(int& leftOut);
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
    };
    Summary summary() const;
    void refresh(Announce announce);
    // The queued alert with this id; null, with an error reply to `call`, when there is none.
    const Alert* find(const QString& id, const QDBusMessage& call);

    AppCore& m_core;
    OpenHandler m_open;
    QTimer m_nextStage;
    // What the last PropertiesChanged said, to announce only what differs.
    Summary m_announced;
};

// Names on the wire, shared with the commands that read them.
QString healthName(QueueHealth health);

} // namespace halyard

#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

namespace halyard::test {

// A desktop notification server that records what it is asked to show. Notify answers with a
// new ID each time, or with an error reply while `refusal` is set.
class FakeNotificationServer : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Notification {
        QString appName;
        uint replacesId = 0;
        QString summary, body;
        QVariantMap hints;
        int expireTimeout = 0;
    };

    explicit FakeNotificationServer(QStringList capabilities = { QStringLiteral("body") })
        : m_capabilities(std::move(capabilities))
    {
    }

    // Owns org.freedesktop.Notifications on the connection's bus.
    bool registerOn(QDBusConnection connection)
    {
        return connection.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                   QDBusConnection::ExportAllSlots)
            && connection.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }

    QString refusal;
    QList<Notification> notifications;

public slots:
    QStringList GetCapabilities() const { return m_capabilities; }
    uint Notify(const QString& appName, uint replacesId, const QString&, const QString& summary,
        const QString& body, const QStringList&, const QVariantMap& hints, int expireTimeout)
    {
        if (!refusal.isEmpty()) {
            sendErrorReply(QDBusError::Failed, refusal);
            return 0;
        }
        notifications.append({ appName, replacesId, summary, body, hints, expireTimeout });
        return uint(notifications.size());
    }

private:
    QStringList m_capabilities;
};

} // namespace halyard::test

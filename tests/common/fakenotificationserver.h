#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

namespace halyard::test {

// A desktop notification server that records what it is asked to show and to close, and sends
// the signals a user's clicks cause. Notify answers with a new ID each time, or with an error
// reply while `refusal` is set.
class FakeNotificationServer : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Notification {
        QString appName;
        uint replacesId = 0;
        QString appIcon, summary, body;
        QStringList actions;
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
        m_connection = connection;
        return connection.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                   QDBusConnection::ExportAllSlots)
            && connection.registerService(QStringLiteral("org.freedesktop.Notifications"));
    }

    // ActionInvoked(id, key), ActivationToken(id, token), NotificationClosed(id, reason).
    bool emitSignal(const QString& name, uint id, const QVariant& argument) const
    {
        return m_connection.send(
            QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                QStringLiteral("org.freedesktop.Notifications"), name)
            << id << argument);
    }

    QString refusal;
    QList<Notification> notifications;
    QList<uint> closed;

public slots:
    QStringList GetCapabilities() const { return m_capabilities; }
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
        const QString& summary, const QString& body, const QStringList& actions,
        const QVariantMap& hints, int expireTimeout)
    {
        if (!refusal.isEmpty()) {
            sendErrorReply(QDBusError::Failed, refusal);
            return 0;
        }
        notifications.append(
            { appName, replacesId, appIcon, summary, body, actions, hints, expireTimeout });
        return uint(notifications.size());
    }
    void CloseNotification(uint id)
    {
        closed.append(id);
        emitSignal(QStringLiteral("NotificationClosed"), id, 3u);
    }

private:
    QDBusConnection m_connection { QString() };
    QStringList m_capabilities;
};

} // namespace halyard::test

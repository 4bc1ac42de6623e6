#pragma once

#include <QDBusContext>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace halyard::test {

// A desktop notification server that records what it is asked to show. Register it on a
// connection with registerOn(); it answers Notify with a new ID each time, or with an error
// reply when told to refuse.
class FakeNotificationServer : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Notification {
        QString appName;
        uint replacesId = 0;
        QString appIcon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        int expireTimeout = 0;
        uint returnedId = 0;
    };

    explicit FakeNotificationServer(QStringList capabilities = { QStringLiteral("body") });

    // Owns org.freedesktop.Notifications on the connection's bus.
    bool registerOn(QDBusConnection connection);

    // Answer Notify with this error message (name org.freedesktop.DBus.Error.Failed).
    void refuseWith(const QString& message) { m_refusal = message; }

    const QList<Notification>& notifications() const { return m_notifications; }

public slots:
    QStringList GetCapabilities() const { return m_capabilities; }
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
        const QString& summary, const QString& body, const QStringList& actions,
        const QVariantMap& hints, int expireTimeout);

private:
    QStringList m_capabilities;
    QString m_refusal;
    QList<Notification> m_notifications;
    uint m_nextId = 1;
};

} // namespace halyard::test

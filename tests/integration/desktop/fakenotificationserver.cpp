#include "fakenotificationserver.h"

#include <QDBusConnection>
#include <QDBusError>

using namespace Qt::Literals::StringLiterals;

namespace halyard::test {

FakeNotificationServer::FakeNotificationServer(QStringList capabilities)
    : m_capabilities(std::move(capabilities))
{
}

bool FakeNotificationServer::registerOn(QDBusConnection connection)
{
    return connection.registerObject(
               u"/org/freedesktop/Notifications"_s, this, QDBusConnection::ExportAllSlots)
        && connection.registerService(u"org.freedesktop.Notifications"_s);
}

uint FakeNotificationServer::Notify(const QString& appName, uint replacesId, const QString& appIcon,
    const QString& summary, const QString& body, const QStringList& actions,
    const QVariantMap& hints, int expireTimeout)
{
    if (!m_refusal.isEmpty()) {
        sendErrorReply(QDBusError::Failed, m_refusal);
        return 0;
    }
    const uint id = m_nextId++;
    m_notifications.append(
        { appName, replacesId, appIcon, summary, body, actions, hints, expireTimeout, id });
    return id;
}

} // namespace halyard::test

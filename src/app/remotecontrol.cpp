#include "app/remotecontrol.h"

#include "app/appcore.h"
#include "common/logging.h"
#include "settings/keychainservice.h"

#include <QDBusConnection>
#include <QDBusMessage>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

constexpr int kRemoteCallTimeoutMs = 5000;

} // namespace

bool publishOnSessionBus(QObject* object)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    const bool published = bus.isConnected()
        && bus.registerObject(
            kObjectPath.toString(), object, QDBusConnection::ExportScriptableSlots)
        && bus.registerService(kBusName.toString());
    if (!published)
        qCInfo(lcApp, "Not on the session bus; commands cannot reach this copy");
    return published;
}

void unpublishFromSessionBus()
{
    QDBusConnection::sessionBus().unregisterService(kBusName.toString());
}

bool tellRunningCopyToReloadTokens(const QString& keychainService)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        kBusName.toString(), kObjectPath.toString(), kBusName.toString(), u"ReloadTokens"_s);
    call << keychainService;
    const QDBusMessage reply
        = QDBusConnection::sessionBus().call(call, QDBus::Block, kRemoteCallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
}

CoreRemoteControl::CoreRemoteControl(AppCore& core, QObject* parent)
    : QObject(parent)
    , m_core(core)
{
}

bool CoreRemoteControl::ReloadTokens(const QString& keychainService)
{
    if (keychainService != m_core.keychain().service())
        return false;
    m_core.reloadTokens();
    return true;
}

} // namespace halyard

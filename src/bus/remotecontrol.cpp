#include "bus/remotecontrol.h"

#include "bus/queueadaptor.h"
#include "common/logging.h"
#include "service/appcore.h"
#include "settings/keychainservice.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QRegularExpression>
#include <QTextStream>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

constexpr int kRemoteCallTimeoutMs = 5000;

} // namespace

bool publishOnSessionBus(QObject* object, BusName name)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()
        || !bus.registerObject(kObjectPath.toString(), object,
            QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportAdaptors)) {
        qCInfo(lcApp, "Not on the session bus; commands cannot reach this copy");
        return false;
    }
    // A real copy takes the name from a demo, which allows that; never from another real copy.
    const bool demo = name == BusName::handedToRealCopy;
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply
        = bus.interface()->registerService(kBusName.toString(),
            demo ? QDBusConnectionInterface::DontQueueService
                 : QDBusConnectionInterface::ReplaceExistingService,
            demo ? QDBusConnectionInterface::AllowReplacement
                 : QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        qCInfo(lcApp, "Serving the queue on the session bus as %s",
            qUtf8Printable(kBusName.toString()));
        return true;
    }
    bus.unregisterObject(kObjectPath.toString());
    qCInfo(lcApp, "Another copy holds %s on the session bus; commands reach it, not this one",
        qUtf8Printable(kBusName.toString()));
    return false;
}

void unpublishFromSessionBus()
{
    QDBusConnection::sessionBus().unregisterService(kBusName.toString());
}

QDBusMessage callRunningCopy(const QString& method, const QVariantList& arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        kBusName.toString(), kObjectPath.toString(), kControlInterface.toString(), method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, kRemoteCallTimeoutMs);
}

bool noRunningCopy(const QDBusMessage& reply)
{
    const QString error = reply.errorName();
    return !QDBusConnection::sessionBus().isConnected()
        || error == u"org.freedesktop.DBus.Error.ServiceUnknown"_s
        || error == u"org.freedesktop.DBus.Error.NameHasNoOwner"_s;
}

bool tellRunningCopyToReloadTokens(const QString& keychainService)
{
    const QDBusMessage reply = callRunningCopy(u"ReloadTokens"_s, { keychainService });
    return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
}

CoreRemoteControl::CoreRemoteControl(AppCore& core, QObject* parent)
    : QObject(parent)
    , m_core(core)
    , m_queue(new QueueAdaptor(core, this))
{
}

bool reloadTokensOf(AppCore& core, const QString& keychainService)
{
    if (keychainService != core.keychain().service())
        return false;
    core.reloadTokens();
    return true;
}

bool CoreRemoteControl::ReloadTokens(const QString& keychainService)
{
    return reloadTokensOf(m_core, keychainService);
}

DesktopRemoteControl::DesktopRemoteControl(AppCore& core, QObject* parent)
    : QObject(parent)
    , m_core(core)
    , m_queue(new QueueAdaptor(core, this))
{
}

bool DesktopRemoteControl::ReloadTokens(const QString& keychainService)
{
    return reloadTokensOf(m_core, keychainService);
}

QString launchActivationToken()
{
    static const QString token = [] {
        QString value = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
        if (value.isEmpty())
            value = qEnvironmentVariable("DESKTOP_STARTUP_ID");
        // A token is a short printable word; anything else is not one.
        static const QRegularExpression printable(u"^[\\x21-\\x7e]{1,256}$"_s);
        return printable.match(value).hasMatch() ? value : QString();
    }();
    return token;
}

int focusRunningCopy(const QString& activationToken)
{
    const QDBusMessage reply = callRunningCopy(u"Focus"_s, { activationToken });
    if (reply.type() == QDBusMessage::ReplyMessage)
        return 0;
    if (noRunningCopy(reply)) {
        QTextStream(stderr) << QCoreApplication::translate(
            "halyard::CommandLine", "Halyard is not running.")
                            << Qt::endl;
        return 3;
    }
    QTextStream(stderr) << QCoreApplication::translate(
        "halyard::CommandLine", "Halyard did not take the request: %1")
                               .arg(reply.errorMessage())
                        << Qt::endl;
    return 1;
}

} // namespace halyard

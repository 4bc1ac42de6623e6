#include "desktop/notificationservice.h"

#include "common/logging.h"
#include "common/servertext.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

const QString kService = u"org.freedesktop.Notifications"_s;
const QString kPath = u"/org/freedesktop/Notifications"_s;
const QString kInterface = u"org.freedesktop.Notifications"_s;

QDBusMessage methodCall(const QString& method)
{
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

} // namespace

NotificationService::NotificationService(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
}

void NotificationService::postBanner(const QString& title, const QString& body)
{
    // Servers with "body-markup" read the body as markup; alert text comes from anyone in
    // Slack, so it must reach them escaped, and everyone else as it is. Both are cut to what a
    // banner shows before that, so no escape is cut in half.
    whenFinished(m_bus.asyncCall(methodCall(u"GetCapabilities"_s)),
        [this, title = excerpt(title, kBannerTextLimit), body = cutText(body, kBannerTextLimit)](
            const QDBusPendingCall& call) {
            const QDBusPendingReply<QStringList> capabilities(call);
            if (capabilities.isError()) {
                logFailure(capabilities.error());
                return;
            }
            const bool markup = capabilities.value().contains(u"body-markup"_s);
            notify(title, markup ? body.toHtmlEscaped() : body);
        });
}

void NotificationService::notify(const QString& title, const QString& body)
{
    QDBusMessage message = methodCall(u"Notify"_s);
    // replaces_id 0: banners never replace each other. expire_timeout -1: the server decides.
    // The desktop-entry hint (the entry's name, without ".desktop") lets desktops list the
    // program in their notification settings.
    message << u"Halyard"_s << 0u << QString() << title << body << QStringList()
            << QVariantMap { { u"desktop-entry"_s, u"com.corvane.Halyard"_s } } << -1;
    whenFinished(m_bus.asyncCall(message), [this](const QDBusPendingCall& call) {
        if (call.isError())
            logFailure(call.error());
        else
            m_serverMissingLogged = false;
    });
}

void NotificationService::whenFinished(
    const QDBusPendingCall& call, std::function<void(const QDBusPendingCall&)> handler)
{
    // A call on a bus that is not connected is finished already, and a watcher would never
    // report it.
    if (call.isFinished()) {
        QMetaObject::invokeMethod(
            this, [call, handler = std::move(handler)] { handler(call); }, Qt::QueuedConnection);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
        [handler = std::move(handler)](QDBusPendingCallWatcher* finished) {
            finished->deleteLater();
            handler(*finished);
        });
}

void NotificationService::logFailure(const QDBusError& error)
{
    // NameHasNoOwner has no ErrorType of its own in Qt.
    const bool noServer = error.type() == QDBusError::ServiceUnknown
        || error.type() == QDBusError::Disconnected
        || error.name() == u"org.freedesktop.DBus.Error.NameHasNoOwner";
    // Desktops without a notification server are common enough that a line per alert would
    // bury everything else in the log.
    if (noServer) {
        if (!std::exchange(m_serverMissingLogged, true)) {
            qCCritical(lcApp,
                "No notification server on the session bus; banners are off until one appears");
        }
        return;
    }
    qCCritical(lcApp, "Failed to post notification: %s", qUtf8Printable(excerpt(error.message())));
}

} // namespace halyard

#include "freedesktop/notificationservice.h"

#include "common/logging.h"
#include "common/servertext.h"
#include "queue/alertstore.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

#include <algorithm>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

const QString kService = u"org.freedesktop.Notifications"_s;
const QString kPath = u"/org/freedesktop/Notifications"_s;
const QString kInterface = u"org.freedesktop.Notifications"_s;

// The installed desktop entry's name, without ".desktop", and the theme icon of that name.
const QString kDesktopEntry = u"com.corvane.Halyard"_s;
const QString kDefaultAction = u"default"_s;
const QString kAckAction = u"ack"_s;
constexpr uchar kNormalUrgency = 1;
constexpr uchar kCriticalUrgency = 2;
// From the freedesktop sound theme, which desktops that play sounds ship.
const QString kReminderSound = u"alarm-clock-elapsed"_s;

QDBusMessage methodCall(const QString& method, const QString& service = kService)
{
    return QDBusMessage::createMethodCall(service, kPath, kInterface, method);
}

bool isActivationToken(const QString& token)
{
    return !token.isEmpty() && token.size() <= NotificationService::kMaxActivationTokenLength
        && std::ranges::all_of(token, [](QChar c) { return c > u' ' && c < QChar(0x7f); });
}

} // namespace

NotificationService::NotificationService(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(std::move(bus))
{
    // From any sender: each signal is checked against the server that showed the banner, which
    // also covers a server that was replaced meanwhile.
    m_bus.connect(QString(), kPath, kInterface, u"ActivationToken"_s, this,
        SLOT(onActivationToken(uint, QString, QDBusMessage)));
    m_bus.connect(QString(), kPath, kInterface, u"ActionInvoked"_s, this,
        SLOT(onActionInvoked(uint, QString, QDBusMessage)));
    m_bus.connect(QString(), kPath, kInterface, u"NotificationClosed"_s, this,
        SLOT(onNotificationClosed(uint, uint, QDBusMessage)));
}

void NotificationService::follow(const AlertStore& store)
{
    m_store = &store;
    connect(&store, &AlertStore::alertsChanged, this, &NotificationService::onAlertsChanged);
}

void NotificationService::postBanner(
    const QString& alertId, const QString& title, const QString& body)
{
    post(alertId, title, body, {});
}

void NotificationService::postReminder(
    const QString& alertId, const QString& title, const QString& body, bool sound)
{
    post(alertId, title, body, { .reminder = true, .sound = sound });
}

void NotificationService::updateBanner(
    const QString& alertId, const QString& title, const QString& body)
{
    post(alertId, title, body, { .replace = true });
}

void NotificationService::post(
    const QString& alertId, const QString& title, const QString& body, Style style)
{
    // Servers with "body-markup" read the body as markup; alert text comes from anyone in
    // Slack, so it must reach them escaped, and everyone else as it is. Both are cut to what a
    // banner shows before that, so no escape is cut in half.
    whenFinished(m_bus.asyncCall(methodCall(u"GetCapabilities"_s)),
        [this, alertId, style, title = excerpt(title, kBannerTextLimit),
            body = cutText(body, kBannerTextLimit)](const QDBusPendingCall& call) {
            const QDBusPendingReply<QStringList> capabilities(call);
            if (capabilities.isError()) {
                logFailure(capabilities.error());
                return;
            }
            const bool markup = capabilities.value().contains(u"body-markup"_s);
            notify(alertId, title, markup ? body.toHtmlEscaped() : body, style);
        });
}

void NotificationService::notify(
    const QString& alertId, const QString& title, const QString& body, Style style)
{
    QDBusMessage message = methodCall(u"Notify"_s);
    // replaces_id 0 but for a row's update. expire_timeout -1: the server decides.
    // The desktop-entry hint lets desktops list the program in their notification settings.
    const QStringList actions = alertId.isEmpty()
        ? QStringList()
        : QStringList { kDefaultAction, tr("Open"), kAckAction, tr("Ack") };
    QVariantMap hints {
        { u"desktop-entry"_s, kDesktopEntry },
        { u"category"_s, u"im.received"_s },
        { u"urgency"_s, QVariant::fromValue(style.reminder ? kCriticalUrgency : kNormalUrgency) },
    };
    if (style.sound)
        hints.insert(u"sound-name"_s, kReminderSound);
    // A row's banner is replaced in place: same id, new count.
    const uint replaces = style.replace ? m_bannerByAlert.value(alertId, 0u) : 0u;
    message << u"Halyard"_s << replaces << kDesktopEntry << title << body << actions << hints << -1;
    whenFinished(m_bus.asyncCall(message), [this, alertId](const QDBusPendingCall& call) {
        const QDBusPendingReply<uint> reply(call);
        if (reply.isError()) {
            logFailure(reply.error());
            return;
        }
        m_serverMissingLogged = false;
        shown(alertId, reply.value(), reply.reply().service());
    });
}

void NotificationService::shown(const QString& alertId, uint id, const QString& server)
{
    // A new server: the banners of the one before went with it.
    if (server != m_server) {
        m_server = server;
        m_alertByBanner.clear();
        m_bannerByAlert.clear();
        m_activation.reset();
    }
    m_alertByBanner.insert(id, alertId);
    if (!m_bannerByAlert.contains(alertId, id))
        m_bannerByAlert.insert(alertId, id);
    if (!m_store)
        return;
    if (!isWanted(alertId)) {
        withdraw(alertId);
        return;
    }
    // An alert added and removed between two announcements is in neither, and the store
    // announces what is pending now within this spacing: one more look after it.
    QTimer::singleShot(AlertStore::kAnnounceSpacingMs, this, [this, alertId] {
        if (!isWanted(alertId))
            withdraw(alertId);
    });
}

bool NotificationService::isWanted(const QString& alertId) const
{
    return alertId.isEmpty() ? !m_store->alerts().isEmpty() : m_store->contains(alertId);
}

void NotificationService::onAlertsChanged(const AlertChanges& changes)
{
    for (const QString& alertId : changes.removed)
        withdraw(alertId);
    if (m_store->alerts().isEmpty())
        withdraw(QString());
}

void NotificationService::withdraw(const QString& alertId)
{
    // The answer tells nothing worth waiting for: a banner the server has already closed is
    // gone either way.
    for (const uint id : m_bannerByAlert.values(alertId)) {
        m_alertByBanner.remove(id);
        m_bus.send(methodCall(u"CloseNotification"_s, m_server) << id);
    }
    m_bannerByAlert.remove(alertId);
}

std::optional<QString> NotificationService::alertOf(uint id, const QDBusMessage& message) const
{
    if (m_server.isEmpty() || message.service() != m_server)
        return std::nullopt;
    const auto alertId = m_alertByBanner.constFind(id);
    return alertId == m_alertByBanner.cend() ? std::nullopt : std::optional(*alertId);
}

void NotificationService::onActivationToken(
    uint id, const QString& token, const QDBusMessage& message)
{
    if (alertOf(id, message))
        m_activation = std::pair(id, isActivationToken(token) ? token : QString());
}

void NotificationService::onActionInvoked(uint id, const QString& key, const QDBusMessage& message)
{
    const std::optional<QString> alertId = alertOf(id, message);
    if (!alertId)
        return;
    const auto activation = std::exchange(m_activation, std::nullopt);
    if (!m_store)
        return;
    const QList<Alert>& alerts = m_store->alerts();
    const auto alert = std::ranges::find(alerts, *alertId, &Alert::id);
    if (alert == alerts.cend())
        return;
    // A copy: acknowledging takes the alert out of the list.
    const Alert target = *alert;
    if (key == kDefaultAction)
        emit openRequested(
            target, activation && activation->first == id ? activation->second : QString());
    else if (key == kAckAction)
        emit acknowledgeRequested(target);
}

void NotificationService::onNotificationClosed(uint id, uint, const QDBusMessage& message)
{
    const std::optional<QString> alertId = alertOf(id, message);
    if (!alertId)
        return;
    m_alertByBanner.remove(id);
    m_bannerByAlert.remove(*alertId, id);
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

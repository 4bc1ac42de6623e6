#pragma once

#include "queue/alert.h"
#include "slack/intake/bannerposter.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

class QDBusError;
class QDBusMessage;
class QDBusPendingCall;

namespace halyard {

class AlertStore;
struct AlertChanges;

// System banners through the desktop's notification server (org.freedesktop.Notifications on
// the session bus). Every banner is a notification of its own. Nothing waits for the bus, and
// the alert itself is unaffected by a failed banner. There is no permission to ask for; a
// desktop without a notification server (or without a bus) is the refused case, logged once
// until a banner gets through again; an error reply is logged with each banner. The title (on
// one line) and the body are cut to what a banner shows.
//
// A banner acts on its alert: its default action asks for the alert to be opened, its "Ack"
// for it to be acknowledged. What the server signals is heeded only from the server that showed
// the banner and only for banners of this service. Once the followed store no longer holds the
// alert, its banner is withdrawn. Main thread only.
//
// A reminder is a critical banner with the same actions, withdrawn the same way; one for
// several alerts (no alert ID) has no actions and is withdrawn once the queue is empty.
class NotificationService : public QObject, public BannerPoster {
    Q_OBJECT
public:
    explicit NotificationService(
        QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);

    // The store whose alerts the banners stand for; it must outlive this service. Without one,
    // actions find no alert and banners stay until the server closes them.
    void follow(const AlertStore& store);

    void postBanner(const QString& alertId, const QString& title, const QString& body) override;
    void postReminder(
        const QString& alertId, const QString& title, const QString& body, bool sound) override;
    // Replaces the alert's banner (the same notification id) while the server still holds it.
    void updateBanner(const QString& alertId, const QString& title, const QString& body) override;

    // Longer tokens, or ones with characters outside printable ASCII, are dropped: they go into
    // the environment of the program that is opened.
    static constexpr qsizetype kMaxActivationTokenLength = 256;

signals:
    // The banner itself (or "Open") was clicked. `activationToken` is empty or what the server
    // sent for this click, for the opened program to come to the front with.
    void openRequested(const halyard::Alert& alert, const QString& activationToken);
    void acknowledgeRequested(const halyard::Alert& alert);

private slots:
    void onActivationToken(uint id, const QString& token, const QDBusMessage& message);
    void onActionInvoked(uint id, const QString& key, const QDBusMessage& message);
    void onNotificationClosed(uint id, uint reason, const QDBusMessage& message);

private:
    struct Style {
        bool reminder = false;
        bool sound = false;
        bool replace = false;
    };
    void post(const QString& alertId, const QString& title, const QString& body, Style style);
    void notify(const QString& alertId, const QString& title, const QString& body, Style style);
    // Whether the banner still stands for something the queue holds.
    bool isWanted(const QString& alertId) const;
    void shown(const QString& alertId, uint id, const QString& server);
    void onAlertsChanged(const AlertChanges& changes);
    void withdraw(const QString& alertId);
    // The banner's alert, when the signal comes from the server that showed the banner.
    std::optional<QString> alertOf(uint id, const QDBusMessage& message) const;
    // Runs handler once the call has an answer, on a later turn of the event loop.
    void whenFinished(
        const QDBusPendingCall& call, std::function<void(const QDBusPendingCall&)> handler);
    void logFailure(const QDBusError& error);

    QDBusConnection m_bus;
    const AlertStore* m_store = nullptr;
    // Set once the missing server is logged; a banner that gets through clears it.
    bool m_serverMissingLogged = false;
    // The unique bus name of the server that answered the last Notify; its banner IDs below.
    QString m_server;
    QHash<uint, QString> m_alertByBanner;
    // An alert may have its first banner and its reminder; the empty ID holds summaries.
    QMultiHash<QString, uint> m_bannerByAlert;
    // The token the server sent for a banner, taken by the action that follows it.
    std::optional<std::pair<uint, QString>> m_activation;
};

} // namespace halyard

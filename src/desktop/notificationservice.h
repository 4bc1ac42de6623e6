#pragma once

#include "slack/intake/bannerposter.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>

class QDBusError;
class QDBusPendingCall;

namespace halyard {

// System banners through the desktop's notification server (org.freedesktop.Notifications on
// the session bus). Every banner is a notification of its own. Nothing waits for the bus, and
// the alert itself is unaffected by a failed banner. There is no permission to ask for; a
// desktop without a notification server (or without a bus) is the refused case, logged once
// until a banner gets through again; an error reply is logged with each banner. The title (on
// one line) and the body are cut to what a banner shows. Main thread only.
class NotificationService : public QObject, public BannerPoster {
    Q_OBJECT
public:
    explicit NotificationService(
        QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);

    void postBanner(const QString& title, const QString& body) override;

private:
    void notify(const QString& title, const QString& body);
    // Runs handler once the call has an answer, on a later turn of the event loop.
    void whenFinished(
        const QDBusPendingCall& call, std::function<void(const QDBusPendingCall&)> handler);
    void logFailure(const QDBusError& error);

    QDBusConnection m_bus;
    // Set once the missing server is logged; a banner that gets through clears it.
    bool m_serverMissingLogged = false;
};

} // namespace halyard

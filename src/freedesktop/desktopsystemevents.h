#pragma once

#include "slack/systemevents.h"

#include <QDBusConnection>
#include <QNetworkInformation>

namespace halyard {

// SystemEvents from a Linux desktop: reachability from Qt's network information backend, sleep
// and wake from logind's PrepareForSleep signal on the system bus, and the screen lock from the
// logind session's LockedHint and the screen savers' ActiveChanged signals on the session bus.
// Without a reachability backend the network counts as always reachable and only that first status
// is reported; without a system bus no sleep or wake is ever reported. Nothing here blocks on
// another program. Main thread only.
class DesktopSystemEvents : public SystemEvents {
    Q_OBJECT
public:
    explicit DesktopSystemEvents(QDBusConnection systemBus = QDBusConnection::systemBus(),
        QDBusConnection sessionBus = QDBusConnection::sessionBus(), QObject* parent = nullptr);

    void start() override;

    // Whether a reachability counts as a usable network. Unknown does: the backend cannot
    // tell, and a guess of "lost" would make its first real report look like a recovery.
    static bool isSatisfied(QNetworkInformation::Reachability reachability);

private slots:
    void handlePrepareForSleep(bool sleeping);
    void handleScreenSaverActive(bool active);
    void handleSessionPropertiesChanged(
        const QString& interface, const QVariantMap& changed, const QStringList& invalidated);

private:
    void watchNetwork();
    void watchSleep();
    void watchScreenLock();
    void watchSessionLockedHint(const QString& sessionPath);
    // Several sources report the same lock; only changes are passed on.
    void setLocked(bool locked);
    void reportCurrentReachability();

    QDBusConnection m_systemBus;
    QDBusConnection m_sessionBus;
    bool m_locked = false;
    bool m_started = false;
};

} // namespace halyard

#include "freedesktop/desktopsystemevents.h"

#include "common/logging.h"

#include <QDBusError>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

DesktopSystemEvents::DesktopSystemEvents(
    QDBusConnection systemBus, QDBusConnection sessionBus, QObject* parent)
    : SystemEvents(parent)
    , m_systemBus(std::move(systemBus))
    , m_sessionBus(std::move(sessionBus))
{
}

void DesktopSystemEvents::start()
{
    if (m_started)
        return;
    m_started = true;
    watchNetwork();
    watchSleep();
    watchScreenLock();
}

bool DesktopSystemEvents::isSatisfied(QNetworkInformation::Reachability reachability)
{
    switch (reachability) {
    case QNetworkInformation::Reachability::Online:
    case QNetworkInformation::Reachability::Unknown:
        return true;
    case QNetworkInformation::Reachability::Disconnected:
    case QNetworkInformation::Reachability::Local:
    case QNetworkInformation::Reachability::Site:
        return false;
    }
    return true;
}

void DesktopSystemEvents::watchNetwork()
{
    // The default backend needs NetworkManager and has no fallback; asking by feature also
    // finds the others.
    if (QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability)) {
        connect(QNetworkInformation::instance(), &QNetworkInformation::reachabilityChanged, this,
            [this](QNetworkInformation::Reachability reachability) {
                emit networkStatusChanged(isSatisfied(reachability));
            });
    } else {
        qCInfo(lcApp, "No network reachability backend; the network counts as always reachable");
    }
    // The first status arrives like any later one, from the event loop, so that listeners
    // connected right after start() see it too.
    QMetaObject::invokeMethod(
        this, [this] { reportCurrentReachability(); }, Qt::QueuedConnection);
}

void DesktopSystemEvents::reportCurrentReachability()
{
    const QNetworkInformation* info = QNetworkInformation::instance();
    emit networkStatusChanged(info ? isSatisfied(info->reachability()) : true);
}

void DesktopSystemEvents::watchSleep()
{
    if (!m_systemBus.isConnected()) {
        qCInfo(lcApp, "No system bus; sleep and wake will go unnoticed");
        return;
    }
    // Naming logind as the sender keeps other clients of the bus from faking the signal;
    // QtDBus learns its owner from the bus daemon, never from logind itself.
    const bool connected = m_systemBus.connect(u"org.freedesktop.login1"_s,
        u"/org/freedesktop/login1"_s, u"org.freedesktop.login1.Manager"_s, u"PrepareForSleep"_s,
        this, SLOT(handlePrepareForSleep(bool)));
    if (!connected) {
        qCInfo(lcApp, "Cannot watch for sleep and wake: %s",
            qUtf8Printable(m_systemBus.lastError().message()));
    }
}

void DesktopSystemEvents::watchScreenLock()
{
    if (m_sessionBus.isConnected()) {
        // Desktops differ in which of the two they offer; either one is enough.
        m_sessionBus.connect(u"org.freedesktop.ScreenSaver"_s, u"/org/freedesktop/ScreenSaver"_s,
            u"org.freedesktop.ScreenSaver"_s, u"ActiveChanged"_s, this,
            SLOT(handleScreenSaverActive(bool)));
        m_sessionBus.connect(u"org.gnome.ScreenSaver"_s, u"/org/gnome/ScreenSaver"_s,
            u"org.gnome.ScreenSaver"_s, u"ActiveChanged"_s, this,
            SLOT(handleScreenSaverActive(bool)));
    }
    if (!m_systemBus.isConnected())
        return;
    // The session's LockedHint is the one lock state every desktop on logind keeps; its object
    // path is looked up without waiting. "auto" is the caller's session, or the user's display
    // session when the caller runs outside one, as programs started by GNOME and Plasma do
    // (where a lookup by process id fails).
    QDBusMessage call = QDBusMessage::createMethodCall(u"org.freedesktop.login1"_s,
        u"/org/freedesktop/login1"_s, u"org.freedesktop.login1.Manager"_s, u"GetSession"_s);
    call << u"auto"_s;
    auto* watcher = new QDBusPendingCallWatcher(m_systemBus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError()) {
            qCInfo(lcApp,
                "No login session found (%s); the screen lock is heard only from a "
                "screen saver",
                qUtf8Printable(reply.error().message()));
            return;
        }
        watchSessionLockedHint(reply.value().path());
    });
}

void DesktopSystemEvents::watchSessionLockedHint(const QString& sessionPath)
{
    m_systemBus.connect(u"org.freedesktop.login1"_s, sessionPath,
        u"org.freedesktop.DBus.Properties"_s, u"PropertiesChanged"_s, this,
        SLOT(handleSessionPropertiesChanged(QString, QVariantMap, QStringList)));
}

void DesktopSystemEvents::handleSessionPropertiesChanged(
    const QString& interface, const QVariantMap& changed, const QStringList&)
{
    if (interface != u"org.freedesktop.login1.Session")
        return;
    const auto hint = changed.constFind(u"LockedHint"_s);
    if (hint != changed.constEnd())
        setLocked(hint->toBool());
}

void DesktopSystemEvents::handleScreenSaverActive(bool active)
{
    setLocked(active);
}

void DesktopSystemEvents::setLocked(bool locked)
{
    if (locked == m_locked)
        return;
    m_locked = locked;
    if (locked)
        emit screenLocked();
    else
        emit screenUnlocked();
}

void DesktopSystemEvents::handlePrepareForSleep(bool sleeping)
{
    if (sleeping)
        emit willSleep();
    else
        emit didWake();
}

} // namespace halyard

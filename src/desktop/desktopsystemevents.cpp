#include "desktop/desktopsystemevents.h"

#include "common/logging.h"

#include <QDBusError>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

DesktopSystemEvents::DesktopSystemEvents(QDBusConnection systemBus, QObject* parent)
    : SystemEvents(parent)
    , m_systemBus(std::move(systemBus))
{
}

void DesktopSystemEvents::start()
{
    if (m_started)
        return;
    m_started = true;
    watchNetwork();
    watchSleep();
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

void DesktopSystemEvents::handlePrepareForSleep(bool sleeping)
{
    if (sleeping)
        emit willSleep();
    else
        emit didWake();
}

} // namespace halyard

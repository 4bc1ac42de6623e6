#pragma once

#include "slack/systemevents.h"

#include <QDBusConnection>
#include <QNetworkInformation>

namespace halyard {

// SystemEvents from a Linux desktop: reachability from Qt's network information backend, and
// sleep and wake from logind's PrepareForSleep signal on the system bus. Without a
// reachability backend the network counts as always reachable and only that first status is
// reported; without a system bus no sleep or wake is ever reported. Nothing here blocks on
// another program. Main thread only.
class DesktopSystemEvents : public SystemEvents {
    Q_OBJECT
public:
    explicit DesktopSystemEvents(
        QDBusConnection systemBus = QDBusConnection::systemBus(), QObject* parent = nullptr);

    void start() override;

    // Whether a reachability counts as a usable network. Unknown does: the backend cannot
    // tell, and a guess of "lost" would make its first real report look like a recovery.
    static bool isSatisfied(QNetworkInformation::Reachability reachability);

private slots:
    void handlePrepareForSleep(bool sleeping);

private:
    void watchNetwork();
    void watchSleep();
    void reportCurrentReachability();

    QDBusConnection m_systemBus;
    bool m_started = false;
};

} // namespace halyard

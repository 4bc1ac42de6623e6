#pragma once

#include <QObject>

namespace halyard {

// What the Slack service hears from the system: network reachability and sleep and wake. This
// base class reports nothing by itself (always reachable, never asleep); DesktopSystemEvents
// watches the real system.
class SystemEvents : public QObject {
    Q_OBJECT
public:
    explicit SystemEvents(QObject* parent = nullptr);

    // Begins reporting; listeners connect before calling it so that they see the first network
    // status too. Called once.
    virtual void start();

signals:
    // Every reachability update, starting with the status at start(). `satisfied` means the
    // internet is reachable. Updates may repeat the previous status.
    void networkStatusChanged(bool satisfied);
    void willSleep();
    void didWake();
};

} // namespace halyard

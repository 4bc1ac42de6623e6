#pragma once

#include <QObject>

namespace halyard {

// What the program hears from the system: network reachability, sleep and wake, and the screen
// lock. This base class reports nothing by itself (always reachable, never asleep, never
// locked); DesktopSystemEvents watches the real system.
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
    // The session's screen was locked or unlocked; each is reported once per change.
    void screenLocked();
    void screenUnlocked();
};

} // namespace halyard

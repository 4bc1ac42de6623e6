#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace halyard {

class AppCore;

// What a service manager shows of the running program: "READY=1" once the core is built, then
// a line for `systemctl status` whenever it changes, and "STOPPING=1" when this object goes.
// Does nothing where no manager listens.
class ServiceStatus : public QObject {
    Q_OBJECT
public:
    explicit ServiceStatus(AppCore& core, QObject* parent = nullptr);
    ~ServiceStatus() override;

    // The line as it stands now.
    QString text();

private:
    void update();

    AppCore& m_core;
    QTimer m_ageing;
    QString m_sent;
    bool m_waitingForStore = false;
    bool m_setupNeeded = false;
    bool m_wasConnected = false;
};

} // namespace halyard

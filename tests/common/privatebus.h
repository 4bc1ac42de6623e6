#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace halyard::test {

// A message bus of the test's own (a dbus-daemon child), standing in for the session or system
// bus: tests own names on it without meeting other tests, the desktop or on-demand services.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Empty when the bus could not be started; error() says why.
    const QString& address() const { return m_address; }
    const QString& error() const { return m_error; }

    // A new connection of its own to the bus; closed when the bus goes away.
    QDBusConnection connect();

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QString m_error;
    QStringList m_connectionNames;
};

} // namespace halyard::test

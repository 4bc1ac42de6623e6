#include "common/privatebus.h"

#include <QFile>
#include <QStandardPaths>
#include <QUuid>

using namespace Qt::Literals::StringLiterals;

namespace halyard::test {

PrivateBus::PrivateBus()
{
    const QString daemon = QStandardPaths::findExecutable(u"dbus-daemon"_s);
    if (daemon.isEmpty()) {
        m_error = u"dbus-daemon is not installed"_s;
        return;
    }
    if (!m_dir.isValid()) {
        m_error = u"no temporary folder"_s;
        return;
    }
    // No service folders: nothing is ever started on demand.
    const QString config = m_dir.filePath(u"bus.conf"_s);
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
        m_error = file.errorString();
        return;
    }
    file.write(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>session</type><listen>unix:dir=)"
        + m_dir.path().toUtf8() + R"(</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*" eavesdrop="true"/>
<allow eavesdrop="true"/><allow own="*"/></policy></busconfig>
)");
    file.close();

    m_daemon.start(daemon,
        { u"--nofork"_s, u"--nopidfile"_s, u"--print-address=1"_s, u"--config-file="_s + config });
    while (m_daemon.waitForReadyRead(5000)) {
        if (m_daemon.canReadLine()) {
            m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
            return;
        }
    }
    m_error = u"dbus-daemon did not start: "_s + QString::fromUtf8(m_daemon.readAllStandardError());
}

PrivateBus::~PrivateBus()
{
    for (const QString& name : std::as_const(m_connectionNames))
        QDBusConnection::disconnectFromBus(name);
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(5000))
            m_daemon.kill();
        m_daemon.waitForFinished(1000);
    }
}

QDBusConnection PrivateBus::connect()
{
    const QString name = u"halyard-test-"_s + QUuid::createUuid().toString(QUuid::WithoutBraces);
    m_connectionNames.append(name);
    return QDBusConnection::connectToBus(m_address, name);
}

} // namespace halyard::test

// Sleep and wake from a fake logind on a bus of the test's own, and what the events do without
// a system bus or a reachability backend.
#include "common/logcapture.h"
#include "common/privatebus.h"
#include "desktop/desktopsystemevents.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard::test {
namespace {

QDBusMessage prepareForSleep(bool sleeping)
{
    QDBusMessage signal = QDBusMessage::createSignal(
        u"/org/freedesktop/login1"_s, u"org.freedesktop.login1.Manager"_s, u"PrepareForSleep"_s);
    signal << sleeping;
    return signal;
}

class SleepWakeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (bus.address().isEmpty())
            GTEST_SKIP() << "no private message bus: " << qPrintable(bus.error());
        login1 = bus.connect();
        ASSERT_TRUE(login1.registerService(u"org.freedesktop.login1"_s));
        ASSERT_TRUE(login1.registerService(u"org.freedesktop.ScreenSaver"_s));
        QDBusConnection client = bus.connect();
        events = std::make_unique<DesktopSystemEvents>(client, client);
        QObject::connect(events.get(), &SystemEvents::willSleep, [this] { seen += u"sleep "_s; });
        QObject::connect(events.get(), &SystemEvents::didWake, [this] { seen += u"wake "_s; });
        QObject::connect(events.get(), &SystemEvents::screenLocked, [this] { seen += u"lock "_s; });
        QObject::connect(
            events.get(), &SystemEvents::screenUnlocked, [this] { seen += u"unlock "_s; });
        events->start();
        // A round trip on the same connection: the bus has taken the subscription before any
        // signal below is sent.
        ASSERT_TRUE(client.interface()->isServiceRegistered(u"org.freedesktop.login1"_s));
    }

    void TearDown() override { events.reset(); }

    PrivateBus bus;
    LogCapture log;
    QDBusConnection login1 { QString() };
    std::unique_ptr<DesktopSystemEvents> events;
    QString seen;
};

// Only logind itself is heard: an impostor's signal on the same interface is ignored.
TEST_F(SleepWakeTest, LogindAndTheScreenSaverBecomeSleepWakeLockAndUnlock)
{
    QDBusConnection impostor = bus.connect();
    ASSERT_TRUE(impostor.send(prepareForSleep(true)));
    // The bus has passed the impostor's signal on before it answers this.
    ASSERT_TRUE(impostor.interface()->isServiceRegistered(u"org.freedesktop.login1"_s));
    ASSERT_TRUE(login1.send(prepareForSleep(true)));
    ASSERT_TRUE(login1.send(prepareForSleep(false)));
    // A lock reported twice is one lock.
    for (const bool active : { true, true, false }) {
        QDBusMessage signal = QDBusMessage::createSignal(u"/org/freedesktop/ScreenSaver"_s,
            u"org.freedesktop.ScreenSaver"_s, u"ActiveChanged"_s);
        ASSERT_TRUE(login1.send(signal << active));
    }
    const QString expected = u"sleep wake lock unlock "_s;
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen == expected; }, 5000)) << qPrintable(seen);
    QTest::qWait(20);
    EXPECT_EQ(seen, expected);
    EXPECT_FALSE(log.contains(u"app"_s, u"No system bus; sleep and wake will go unnoticed"_s));
}

TEST(SystemEventsWithoutBusTest, NoSystemBusMeansNoWakeAndOneLine)
{
    LogCapture log;
    DesktopSystemEvents events(QDBusConnection(u"halyard-test-no-such-bus"_s));
    QSignalSpy network(&events, &SystemEvents::networkStatusChanged);
    events.start();
    events.start();
    // The first status comes from the event loop, like every later one.
    EXPECT_EQ(network.count(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&network] { return network.count() >= 1; }, 5000));
    EXPECT_EQ(log.count(u"app"_s, u"No system bus; sleep and wake will go unnoticed"_s), 1);
}

TEST(SystemEventsTest, OnlyAnUnusableNetworkIsUnsatisfied)
{
    using R = QNetworkInformation::Reachability;
    // Unknown: the backend cannot tell, and no reconnect should hinge on that.
    for (const R r : { R::Online, R::Unknown })
        EXPECT_TRUE(DesktopSystemEvents::isSatisfied(r));
    for (const R r : { R::Disconnected, R::Local, R::Site })
        EXPECT_FALSE(DesktopSystemEvents::isSatisfied(r));
}

} // namespace
} // namespace halyard::test

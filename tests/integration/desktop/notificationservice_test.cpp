// Banners as they reach a notification server on a bus of the test's own, and what happens
// when there is no server to take them.
#include "common/logcapture.h"
#include "common/privatebus.h"
#include "desktop/notificationservice.h"
#include "fakenotificationserver.h"

#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

using namespace Qt::Literals::StringLiterals;

namespace halyard::test {
namespace {

const QString kNoServer
    = u"No notification server on the session bus; banners are off until one appears"_s;

class NotificationServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (bus.address().isEmpty())
            GTEST_SKIP() << "no private message bus: " << qPrintable(bus.error());
        service = std::make_unique<NotificationService>(bus.connect());
    }

    void TearDown() override { service.reset(); }

    QStringList failures() const
    {
        return log.messagesStartingWith(u"app"_s, u"Failed to post notification: "_s);
    }

    int missing() const { return log.count(u"app"_s, kNoServer); }

    PrivateBus bus;
    LogCapture log;
    std::unique_ptr<NotificationService> service;
};

TEST_F(NotificationServiceTest, EachBannerIsANotificationOfItsOwn)
{
    FakeNotificationServer server;
    ASSERT_TRUE(server.registerOn(bus.connect()));

    service->postBanner(u"#alerts"_s, u"load < 5 & rising"_s);
    service->postBanner(u"New alert"_s, u"second"_s);
    ASSERT_TRUE(QTest::qWaitFor([&server] { return server.notifications().size() == 2; }, 5000));

    const auto& shown = server.notifications();
    EXPECT_EQ(shown[0].summary, u"#alerts"_s);
    // A server without markup gets the text as it is.
    EXPECT_EQ(shown[0].body, u"load < 5 & rising"_s);
    EXPECT_EQ(shown[1].summary, u"New alert"_s);
    EXPECT_EQ(shown[1].body, u"second"_s);
    EXPECT_NE(shown[0].returnedId, shown[1].returnedId);
    for (const auto& notification : shown) {
        EXPECT_EQ(notification.appName, u"Halyard"_s);
        EXPECT_EQ(notification.replacesId, 0u);
        EXPECT_TRUE(notification.appIcon.isEmpty());
        EXPECT_TRUE(notification.actions.isEmpty());
        EXPECT_EQ(
            notification.hints, (QVariantMap { { u"desktop-entry"_s, u"com.corvane.Halyard"_s } }));
        EXPECT_EQ(notification.expireTimeout, -1);
    }
    QTest::qWait(20);
    EXPECT_TRUE(log.messages(u"app"_s).isEmpty());
}

TEST_F(NotificationServiceTest, MarkupServersGetTheBodyEscaped)
{
    FakeNotificationServer server({ u"body"_s, u"body-markup"_s, u"body-hyperlinks"_s });
    ASSERT_TRUE(server.registerOn(bus.connect()));

    service->postBanner(u"#a&b"_s, uR"(<b>hi</b> & <a href="https://x.test">x</a>)"_s);
    ASSERT_TRUE(QTest::qWaitFor([&server] { return server.notifications().size() == 1; }, 5000));
    EXPECT_EQ(server.notifications()[0].body,
        u"&lt;b&gt;hi&lt;/b&gt; &amp; &lt;a href=&quot;https://x.test&quot;&gt;x&lt;/a&gt;"_s);
    // The summary is plain text for every server.
    EXPECT_EQ(server.notifications()[0].summary, u"#a&b"_s);
}

TEST_F(NotificationServiceTest, AMissingServerIsLoggedOnceUntilABannerGetsThrough)
{
    const auto postThree = [this] {
        for (const QString& text : { u"one"_s, u"two"_s, u"three"_s })
            service->postBanner(u"#alerts"_s, text);
    };
    QElapsedTimer timer;
    timer.start();
    postThree();
    EXPECT_LT(timer.elapsed(), 200);
    ASSERT_TRUE(QTest::qWaitFor([this] { return missing() == 1; }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(missing(), 1);

    QDBusConnection serverBus = bus.connect();
    FakeNotificationServer server;
    ASSERT_TRUE(server.registerOn(serverBus));
    service->postBanner(u"#alerts"_s, u"shown"_s);
    ASSERT_TRUE(QTest::qWaitFor([&server] { return server.notifications().size() == 1; }, 5000));

    // Gone again after a banner got through: worth one more line.
    ASSERT_TRUE(serverBus.unregisterService(u"org.freedesktop.Notifications"_s));
    postThree();
    ASSERT_TRUE(QTest::qWaitFor([this] { return missing() == 2; }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(missing(), 2);
    EXPECT_TRUE(failures().isEmpty());
    for (const auto& line : log.lines()) {
        if (line.category == u"com.corvane.Halyard.app"_s) {
            EXPECT_EQ(line.type, QtCriticalMsg);
        }
    }
}

TEST_F(NotificationServiceTest, AnErrorReplyIsLoggedWithItsMessage)
{
    FakeNotificationServer server;
    server.refuseWith(u"Do not disturb"_s);
    ASSERT_TRUE(server.registerOn(bus.connect()));

    service->postBanner(u"#alerts"_s, u"one"_s);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !failures().isEmpty(); }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(failures(), QStringList { u"Failed to post notification: Do not disturb"_s });
}

TEST(NotificationServiceWithoutBusTest, BannersLogTheMissingServerOnce)
{
    LogCapture log;
    NotificationService service(QDBusConnection(u"halyard-test-no-such-bus"_s));
    for (const QString& text : { u"one"_s, u"two"_s, u"three"_s })
        service.postBanner(u"#alerts"_s, text);
    ASSERT_TRUE(QTest::qWaitFor([&log] { return log.count(u"app"_s, kNoServer) == 1; }, 5000));
    QTest::qWait(20);
    EXPECT_EQ(log.messages(u"app"_s), QStringList { kNoServer });
}

} // namespace
} // namespace halyard::test

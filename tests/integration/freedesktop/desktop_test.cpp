// Banners as they reach a notification server, and sleep and wake from a fake logind, each on a
// bus of the test's own; and what happens when there is no server or no bus.
#include "common/fakekeychain.h"
#include "common/fakenotificationserver.h"
#include "common/logcapture.h"
#include "common/privatebus.h"
#include "freedesktop/desktopsystemevents.h"
#include "freedesktop/notificationservice.h"
#include "queue/alertstore.h"
#include "settings/preferencestore.h"
#include "settings/settingsstore.h"
#include "slack/directory/slackdirectory.h"
#include "slack/intake/overduereminder.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::Literals::StringLiterals;

namespace halyard::test {
namespace {

class NotificationServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (bus.address().isEmpty())
            GTEST_SKIP() << "no private message bus: " << qPrintable(bus.error());
        client = bus.connect();
        service = std::make_unique<NotificationService>(client);
    }
    void TearDown() override { service.reset(); }

    // A call on the service's connection: the bus, and the one server, answer a connection's
    // calls in order, so once it is answered every earlier call of the service has been too.
    void awaitEarlierAnswers()
    {
        QDBusPendingCallWatcher marker(client.asyncCall(QDBusMessage::createMethodCall(
            u"org.freedesktop.Notifications"_s, u"/org/freedesktop/Notifications"_s,
            u"org.freedesktop.Notifications"_s, u"GetCapabilities"_s)));
        EXPECT_TRUE(QSignalSpy(&marker, &QDBusPendingCallWatcher::finished).wait(5000));
    }
    // Waits for `count` lines starting with `prefix`, and for any extra one on its way.
    QStringList settledLines(const QString& prefix, int count)
    {
        const auto lines = [&] { return log.messagesStartingWith(u"app"_s, prefix); };
        EXPECT_TRUE(QTest::qWaitFor([&] { return lines().size() >= count; }, 5000));
        awaitEarlierAnswers();
        return lines();
    }
    PrivateBus bus;
    LogCapture log;
    QDBusConnection client { QString() };
    std::unique_ptr<NotificationService> service;
};

// Banners posted while no server runs are dropped; once one appears, the next banner shows.
TEST_F(NotificationServiceTest, EachBannerIsANotificationWithItsBodyEscapedOnlyForMarkup)
{
    for (const QString& text : { u"one"_s, u"two"_s, u"three"_s })
        service->postBanner(u"C1:0"_s, u"#alerts"_s, text);
    awaitEarlierAnswers();
    const QString text = uR"(<b>hi</b> & <a href="https://x.test">x</a>)"_s;
    const struct {
        QStringList capabilities;
        QString body;
    } cases[] = {
        { { u"body"_s }, text },
        { { u"body"_s, u"body-markup"_s, u"body-hyperlinks"_s },
            u"&lt;b&gt;hi&lt;/b&gt; &amp; &lt;a href=&quot;https://x.test&quot;&gt;x&lt;/a&gt;"_s },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.capabilities.join(u' ').toStdString());
        QDBusConnection serverBus = bus.connect();
        FakeNotificationServer server(c.capabilities);
        ASSERT_TRUE(server.registerOn(serverBus));
        service->postBanner(u"C1:1"_s, u"#a&b"_s, text);
        service->postBanner(u"C1:2"_s, u"New alert"_s, u"second"_s);
        service->postBanner(u"C1:3"_s, u"#"_s + QString(500, u'c'), QString(5000, u'x'));
        ASSERT_TRUE(QTest::qWaitFor([&server] { return server.notifications.size() == 3; }, 5000));
        const auto& shown = server.notifications;
        // The summary is plain text for every server.
        EXPECT_EQ(shown[0].summary, u"#a&b"_s);
        EXPECT_EQ(shown[0].body, c.body);
        EXPECT_EQ(shown[1].body, u"second"_s);
        // No more than a banner shows.
        EXPECT_EQ(shown[2].summary, u"#"_s + QString(138, u'c') + u'…');
        EXPECT_EQ(shown[2].body, QString(139, u'x') + u'…');
        for (const auto& notification : shown) {
            EXPECT_EQ(notification.appName, u"Halyard"_s);
            EXPECT_EQ(notification.replacesId, 0u);
            EXPECT_EQ(notification.appIcon, u"com.corvane.Halyard"_s);
            EXPECT_EQ(notification.actions,
                (QStringList { u"default"_s, u"Open"_s, u"ack"_s, u"Ack"_s }));
            EXPECT_EQ(notification.hints,
                (QVariantMap { { u"desktop-entry"_s, u"com.corvane.Halyard"_s },
                    { u"category"_s, u"im.received"_s }, { u"urgency"_s, 1 } }));
            EXPECT_EQ(notification.hints.value(u"urgency"_s).typeId(), QMetaType::UChar);
            EXPECT_EQ(notification.expireTimeout, -1);
        }
        ASSERT_TRUE(serverBus.unregisterService(u"org.freedesktop.Notifications"_s));
    }
}

// A server that answers with an error is named with its message.
TEST_F(NotificationServiceTest, ARefusingServerIsNamedWithItsMessage)
{
    FakeNotificationServer refusing;
    refusing.refusal = u"Do not disturb"_s;
    ASSERT_TRUE(refusing.registerOn(bus.connect()));
    service->postBanner(u"C1:1"_s, u"#alerts"_s, u"one"_s);
    EXPECT_EQ(settledLines(u"Failed to post notification: "_s, 1),
        QStringList { u"Failed to post notification: Do not disturb"_s });
}

// Clicks reach a banner's alert only from the server that showed the banner, and a banner leaves
// with its alert, whoever took the alert out of the queue.
TEST_F(NotificationServiceTest, BannerActionsActOnTheirAlertWhichTakesItsBannerAlong)
{
    QDBusConnection serverBus = bus.connect();
    FakeNotificationServer server;
    ASSERT_TRUE(server.registerOn(serverBus));
    AlertStore store;
    service->follow(store);
    QStringList opened; // the alert and the token
    QObject::connect(service.get(), &NotificationService::openRequested,
        [&](const Alert& alert, const QString& token) { opened.append(alert.id + u' ' + token); });
    QObject::connect(service.get(), &NotificationService::acknowledgeRequested,
        [&](const Alert& alert) { store.acknowledge(alert); });

    // Banners 1 to 4; the fourth alert is gone before its banner is shown.
    for (const QString& id : { u"C1:1.1"_s, u"C1:1.2"_s, u"C1:1.3"_s, u"C1:1.4"_s }) {
        store.enqueue({ id, u"C1"_s, id.mid(3), {}, u"t"_s, 0, {} });
        service->postBanner(id, u"#alerts"_s, u"t"_s);
    }
    store.acknowledge(store.alerts().last());
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.closed == QList<uint> { 4 }; }, 5000));

    // An impostor's click does not count.
    QDBusConnection impostor = bus.connect();
    ASSERT_TRUE(impostor.send(QDBusMessage::createSignal(u"/org/freedesktop/Notifications"_s,
                                  u"org.freedesktop.Notifications"_s, u"ActionInvoked"_s)
        << 3u << u"ack"_s));
    ASSERT_TRUE(impostor.interface()->isServiceRegistered(u"org.freedesktop.Notifications"_s));
    const std::tuple<QString, uint, QVariant> script[] = {
        { u"ActivationToken"_s, 1, u"x11-host;1;_TIME42"_s },
        { u"ActionInvoked"_s, 1, u"default"_s },
        // A token that would not fit an environment variable is dropped.
        { u"ActivationToken"_s, 1, u"a\nb"_s },
        { u"ActionInvoked"_s, 1, u"default"_s },
        { u"ActionInvoked"_s, 2, u"ack"_s },
        // Closed by the user: its banner is forgotten.
        { u"NotificationClosed"_s, 1, 2u },
        { u"ActionInvoked"_s, 1, u"default"_s },
        { u"ActionInvoked"_s, 3, u"default"_s },
    };
    for (const auto& [name, id, argument] : script)
        ASSERT_TRUE(server.emitSignal(name, id, argument));
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened.size() == 3; }, 5000));
    EXPECT_EQ(opened, (QStringList { u"C1:1.1 x11-host;1;_TIME42"_s, u"C1:1.1 "_s, u"C1:1.3 "_s }));
    EXPECT_EQ(store.alerts().size(), 2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.closed == QList<uint> { 4, 2 }; }, 5000));

    // Acknowledged elsewhere (a reaction in Slack): its banner is withdrawn; banner 1 is
    // already closed.
    store.removeBySource(u"C1"_s, u"1.1"_s);
    store.removeBySource(u"C1"_s, u"1.3"_s);
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.closed == QList<uint> { 4, 2, 3 }; }, 5000));

    // Shown and gone between two announcements of the store, which then tells of neither.
    store.announceChanges();
    store.enqueue({ u"C1:1.5"_s, u"C1"_s, u"1.5"_s, {}, u"t"_s, 0, {} });
    service->postBanner(u"C1:1.5"_s, u"#alerts"_s, u"t"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.notifications.size() == 5; }, 5000));
    awaitEarlierAnswers();
    store.removeBySource(u"C1"_s, u"1.5"_s);
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.closed.size() == 4; }, 5000));
    awaitEarlierAnswers();
    EXPECT_EQ(server.closed, (QList<uint> { 4, 2, 3, 5 }));
}

// The clock jumps ahead in the steps; any change of the queue makes the reminder look at once.
TEST_F(NotificationServiceTest, AnAlertBecomingOverdueRaisesOneReminderAndACatchUpOneSummary)
{
    QDBusConnection serverBus = bus.connect();
    FakeNotificationServer server;
    ASSERT_TRUE(server.registerOn(serverBus));
    QTemporaryDir folder;
    FakeKeychain keychain;
    PreferenceStore preferences(folder.path());
    SettingsStore settings(keychain, preferences);
    SlackDirectory directory;
    directory.setChannelName(u"C1"_s, u"alerts"_s);
    AlertStore store;
    store.setAgingPolicy({ 0.2, 0.5, 1 });
    service->follow(store);
    double jumped = 0;
    const auto now = [&] { return currentReferenceTime() + jumped; };
    int serial = 0;
    const auto add = [&](double age) {
        const QString ts = u"1.%1"_s.arg(++serial);
        const Alert alert { u"C1:"_s + ts, u"C1"_s, ts, {}, u"disk full"_s, now() - age, {} };
        store.enqueue(alert);
        store.announceChanges();
        return alert;
    };
    // One waited in the queue file and one comes in overdue: one summary for both.
    add(100);
    OverdueReminder reminder(store, settings, directory, *service,
        { .catchUpQuiet = std::chrono::milliseconds(50),
            .burstWindow = std::chrono::milliseconds(10),
            .clock = now });
    add(50);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.notifications.size() == 1; }, 5000));

    // Banners, Reminders, Sound on; the alert Acked; how far the clock jumps (0: the timer's
    // turn). The sixth crossed while the computer slept.
    const std::pair<QString, double> steps[] = { { u"BR"_s, 2 }, { u"BRA"_s, 2 }, { u"B"_s, 2 },
        { u"R"_s, 2 }, { u"BRS"_s, 2 }, { u"BR"_s, 120 }, { u"BR"_s, 0 } };
    for (const auto& [flags, jump] : steps) {
        settings.setNotificationsEnabled(flags.contains(u'B'));
        settings.setOverdueRemindersEnabled(flags.contains(u'R'));
        settings.setOverdueReminderSound(flags.contains(u'S'));
        const Alert alert = add(0);
        if (flags.contains(u'A'))
            store.acknowledge(alert);
        jumped += jump;
        // A message from far ahead: it only makes the reminder look.
        store.enqueue({ u"C2:9.%1"_s.arg(serial), u"C2"_s, u"9.%1"_s.arg(serial), {}, u"t"_s,
            now() + 1e6, {} });
        store.announceChanges();
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.notifications.size() == 5; }, 5000));
    awaitEarlierAnswers();
    const auto& shown = server.notifications;
    ASSERT_EQ(shown.size(), 5);
    const QString away = u" waited over 0 minutes while Halyard was away"_s;
    const QString expected[] = { u"2 alerts"_s + away, u"Overdue: #alerts"_s,
        u"Overdue: #alerts alarm-clock-elapsed"_s, u"1 alert"_s + away, u"Overdue: #alerts"_s };
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const bool reminder = expected[i].startsWith(u"Overdue"_s);
        const QString sound = shown[i].hints.value(u"sound-name"_s).toString();
        EXPECT_EQ(shown[i].summary + (sound.isEmpty() ? u""_s : u' ' + sound), expected[i]);
        EXPECT_EQ(shown[i].body, reminder ? u"disk full"_s : QString());
        EXPECT_EQ(shown[i].actions.size(), reminder ? 4 : 0);
        EXPECT_EQ(shown[i].hints.value(u"urgency"_s), 2);
    }
    // Reminders leave with their alerts, summaries with the last alert.
    while (!store.alerts().isEmpty())
        store.acknowledge(store.alerts().first());
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.closed.size() == 5; }, 5000));
}

QDBusMessage prepareForSleep(bool sleeping)
{
    QDBusMessage signal = QDBusMessage::createSignal(
        u"/org/freedesktop/login1"_s, u"org.freedesktop.login1.Manager"_s, u"PrepareForSleep"_s);
    signal << sleeping;
    return signal;
}

// Answers the session lookup as logind does for a program started outside the session's scope:
// only "auto" names a session.
class FakeLoginManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    QString asked;
public slots:
    Q_SCRIPTABLE QDBusObjectPath GetSession(const QString& id)
    {
        asked = id;
        return QDBusObjectPath(u"/org/freedesktop/login1/session/c2"_s);
    }
};

class SleepWakeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (bus.address().isEmpty())
            GTEST_SKIP() << "no private message bus: " << qPrintable(bus.error());
        login1 = bus.connect();
        ASSERT_TRUE(login1.registerService(u"org.freedesktop.login1"_s));
        ASSERT_TRUE(login1.registerService(u"org.freedesktop.ScreenSaver"_s));
        ASSERT_TRUE(login1.registerObject(
            u"/org/freedesktop/login1"_s, &manager, QDBusConnection::ExportScriptableSlots));
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
    QDBusConnection login1 { QString() };
    FakeLoginManager manager;
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
    // The last sleep marks the end: whatever the signals before it caused has arrived by then.
    ASSERT_TRUE(login1.send(prepareForSleep(true)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return seen.endsWith(u"unlock sleep "_s); }, 5000));
    EXPECT_EQ(seen, u"sleep wake lock unlock sleep "_s);
    // Only an unusable network is unsatisfied; the backend's "unknown" holds no reconnect back.
    using R = QNetworkInformation::Reachability;
    EXPECT_TRUE(DesktopSystemEvents::isSatisfied(R::Online)
        && DesktopSystemEvents::isSatisfied(R::Unknown));
    EXPECT_FALSE(DesktopSystemEvents::isSatisfied(R::Disconnected)
        || DesktopSystemEvents::isSatisfied(R::Site));
}

TEST_F(SleepWakeTest, TheLockIsTheLockedHintOfTheUsersSession)
{
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager.asked == u"auto"_s; }, 5000));
    QDBusMessage changed = QDBusMessage::createSignal(u"/org/freedesktop/login1/session/c2"_s,
        u"org.freedesktop.DBus.Properties"_s, u"PropertiesChanged"_s);
    changed << u"org.freedesktop.login1.Session"_s << QVariantMap { { u"LockedHint"_s, true } }
            << QStringList();
    // Sent until heard: the subscription follows the lookup's answer, and a repeated lock is one.
    EXPECT_TRUE(QTest::qWaitFor([&] { return login1.send(changed) && seen == u"lock "_s; }, 5000));
}

} // namespace
} // namespace halyard::test

#include "desktop_test.moc"

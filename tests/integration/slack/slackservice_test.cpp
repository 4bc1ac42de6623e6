#include "common/fakekeychain.h"
#include "common/logcapture.h"
#include "common/timers.h"
#include "halyard-sim/fakeslack.h"
#include "queue/alertstore.h"
#include "settings/connectionstate.h"
#include "settings/preferencestore.h"
#include "settings/settingsstore.h"
#include "sim/demoscenario.h"
#include "slack/directory/slackdirectory.h"
#include "slack/intake/bannerposter.h"
#include "slack/slackservice.h"
#include "slack/systemevents.h"
#include "slack/webapi/slackwebapi.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QScopeGuard>
#include <QSslConfiguration>
#include <QSslKey>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using namespace halyard;
using halyard::test::FakeReply;
using halyard::test::FakeSlack;

namespace {

const QString kGivingUp = u"Giving up reconnect after 5 failures — will retry every 10 min, or "
                          u"sooner if network reachability changes"_s;

class NoBanners : public BannerPoster {
public:
    void postBanner(const QString&, const QString&, const QString&) override { }
};

// Reports nothing by itself; the tests emit its signals. Counts whether the service started it.
class TestSystemEvents : public SystemEvents {
public:
    void start() override { ++starts; }
    int starts = 0;
};

const QList<ConnectionState> kConnectedOnce { ConnectionState::connecting(),
    ConnectionState::connected() };

const SlackServiceTimings kFast {
    .reconnectDelay = 60ms, .warningReconnectDelay = 5ms, .givenUpRetryDelay = 400ms
};

// The Slack service against the fake server.
class SlackServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_fake.listen());
        m_fake.setHelloOnConnect(true);
        m_preferences = std::make_unique<PreferenceStore>(m_dir.path());
    }
    void storeTokens()
    {
        m_keychain.items.insert(u"slack.botToken"_s, m_fake.workspace().botToken);
        m_keychain.items.insert(u"slack.appToken"_s, m_fake.workspace().appToken);
    }
    void build(SlackServiceTimings timings = kFast, bool withTokens = true)
    {
        if (withTokens)
            storeTokens();
        m_settings = std::make_unique<SettingsStore>(m_keychain, *m_preferences);
        ASSERT_TRUE(QCoro::waitFor(m_settings->loadTokens()));
        QObject::connect(m_settings.get(), &SettingsStore::connectionStateChanged, m_settings.get(),
            [this] { m_states.append(m_settings->connectionState()); });
        // Rate budgets refilled every millisecond: these tests reconnect far more often than
        // Slack's tier for apps.connections.open allows.
        m_webApi = std::make_unique<SlackWebAPI>(&m_network, m_fake.apiUrl(), 60s,
            RetryPolicy { 4, 1ms }, SlackWebAPI::Limits {}, PipeLimits { 6, 1ms });
        m_service = std::make_unique<SlackService>(&m_alerts, m_settings.get(), &m_directory,
            &m_banners, &m_systemEvents, m_webApi.get(), timings);
    }
    bool waitFor(const std::function<bool()>& condition, int ms = 5000)
    {
        return QTest::qWaitFor(condition, ms);
    }
    bool connected() const { return m_settings->connectionState() == ConnectionState::connected(); }
    int requests(const QString& method) const { return int(m_fake.requests(method).size()); }
    QStringList logged(const QString& start) const
    {
        return m_log.messagesStartingWith(u"slack"_s, start);
    }
    QTemporaryDir m_dir;
    FakeSlack m_fake;
    test::FakeKeychain m_keychain;
    std::unique_ptr<PreferenceStore> m_preferences;
    std::unique_ptr<SettingsStore> m_settings;
    AlertStore m_alerts;
    SlackDirectory m_directory;
    NoBanners m_banners;
    TestSystemEvents m_systemEvents;
    QNetworkAccessManager m_network;
    std::unique_ptr<SlackWebAPI> m_webApi;
    std::unique_ptr<SlackService> m_service;
    QList<ConnectionState> m_states;
    test::LogCapture m_log;
};

} // namespace

TEST_F(SlackServiceTest, ConnectsAndReachesConnectedOnHello)
{
    build();
    EXPECT_EQ(m_systemEvents.starts, 1) << "without it no wake or network change is heard";
    m_fake.script(u"users.conversations"_s, FakeReply::hang(), -1);
    m_service->connect();
    ASSERT_TRUE(waitFor([&] { return connected(); }))
        << "a channel list that never answers does not hold the connection back";
    EXPECT_EQ(m_settings->teamName(), m_fake.workspace().teamName);
    EXPECT_EQ(m_settings->botUserName(), m_fake.workspace().botUserName);
    EXPECT_EQ(m_fake.socketConnectionCount(), 1);
    EXPECT_EQ(m_states, kConnectedOnce);

    // Acknowledged to Slack and waiting in the client when the connection is replaced: still
    // taken in. Both arrive in one read; the client hands them on a turn of the event loop apart
    // and the first alert is announced in between.
    QObject scope;
    QObject::connect(&m_alerts, &AlertStore::alertsChanged, &scope, [&] {
        if (m_fake.socketConnectionCount() == 1)
            m_service->connect();
    });
    int second = 0;
    for (const QString& text : { u"disk full"_s, u"disk still full"_s })
        m_fake.sendEvent(
            { { u"type"_s, u"message"_s }, { u"channel"_s, u"C1"_s }, { u"bot_id"_s, u"B1"_s },
                { u"text"_s, text }, { u"ts"_s, u"170000000%1.000100"_s.arg(++second) } });
    ASSERT_TRUE(waitFor([&] { return m_fake.socketConnectionCount() == 2 && connected(); }));
    ASSERT_EQ(m_alerts.alerts().size(), 2);
    EXPECT_EQ(m_alerts.alerts().last().text, u"disk still full"_s);
}

// Every shape the demo's bots post becomes an alert, and the teammates' acks clear theirs.
TEST_F(SlackServiceTest, DemoScenarioAlertsArriveAndTeammatesClearSome)
{
    sim::DemoScenario::populate(m_fake.workspace());
    build();
    sim::DemoScenario scenario(m_fake,
        { .firstBurst = 0ms,
            .minGap = 10ms,
            .maxGap = 30ms,
            .minAckDelay = 20ms,
            .maxAckDelay = 60ms });
    scenario.start();
    m_service->connect();
    ASSERT_TRUE(waitFor([&] { return scenario.postedCount() > 0; }));
    EXPECT_GE(scenario.postedCount(), 3) << "the first alerts come as a burst";
    ASSERT_TRUE(waitFor([&] { return scenario.acknowledgedCount() >= 6; }));
    scenario.stop();
    EXPECT_TRUE(waitFor([&] {
        return m_alerts.alerts().size() == scenario.postedCount() - scenario.acknowledgedCount();
    })) << m_alerts.alerts().size()
        << " alerts of " << scenario.postedCount() << " posted, " << scenario.acknowledgedCount()
        << " acknowledged";
}

TEST_F(SlackServiceTest, FiveFailuresGiveUpThenThePeriodicRetryStartsAFreshSeries)
{
    build();
    // A refusal without an error names the call.
    m_fake.script(u"auth.test"_s, FakeReply::json(QJsonObject { { u"ok"_s, false } }));
    m_fake.script(u"auth.test"_s, FakeReply::slackError(u"invalid_auth"_s), 4);
    m_service->connect();
    ASSERT_TRUE(waitFor([&] { return m_log.contains(u"slack"_s, kGivingUp); }));
    test::outlastTimers(kFast.reconnectDelay);
    EXPECT_EQ(requests(u"auth.test"_s), 5) << "no reconnect after giving up";
    EXPECT_EQ(m_settings->connectionState(),
        ConnectionState::error(Problem::of(Problem::Kind::slackRefused, {}, 0, u"invalid_auth"_s)));
    EXPECT_TRUE(m_log.contains(u"slack"_s, u"Connect failed (1): auth.test returned ok=false"_s));
    EXPECT_EQ(m_log.count(u"slack"_s, kGivingUp), 1);

    // Nothing more until the periodic retry; then failures start from 0 again.
    ASSERT_TRUE(waitFor([&] { return connected(); }));
    EXPECT_EQ(requests(u"auth.test"_s), 6);
    EXPECT_EQ(m_log.count(u"slack"_s, u"Connecting (consecutive prior failures: 0)"_s), 2);
}

// A warning reconnects after its short delay; other reasons wait the normal delay.
TEST_F(SlackServiceTest, DisconnectEnvelopesReconnectWithoutCountingAsFailures)
{
    build({ .reconnectDelay = 300ms, .warningReconnectDelay = 5ms, .givenUpRetryDelay = 400ms });
    m_service->connect();
    ASSERT_TRUE(waitFor([&] { return connected(); }));
    qint64 sentAt = 0;
    for (const auto& reason : { std::optional(u"warning"_s), std::optional<QString>() }) {
        const qsizetype connects = logged(u"Connecting ("_s).size();
        sentAt = m_fake.elapsedMs();
        m_fake.sendDisconnect(reason);
        ASSERT_TRUE(waitFor([&] { return logged(u"Disconnected ("_s).size() == connects; }));
        test::outlastTimers(5ms);
        EXPECT_EQ(logged(u"Connecting ("_s).size(), connects + (reason ? 1 : 0));
        ASSERT_TRUE(
            waitFor([&] { return m_fake.socketConnectionCount() > connects && connected(); }));
    }
    EXPECT_GE(m_fake.requests(u"auth.test"_s).last().receivedAtMs - sentAt, 300);
    EXPECT_EQ(
        logged(u"Connecting ("_s), QStringList(3, u"Connecting (consecutive prior failures: 0)"_s));
}

TEST_F(SlackServiceTest, EverySocketErrorCountsAndLeavesOneReconnectPending)
{
    build({ .reconnectDelay = 800ms,
        .warningReconnectDelay = 5ms,
        .givenUpRetryDelay = 400ms,
        .heartbeatInterval = 100ms,
        .heartbeatPongTimeout = 100ms });
    m_service->connect();
    ASSERT_TRUE(waitFor([&] { return connected(); }));
    m_fake.setAnswerPings(false);
    ASSERT_TRUE(waitFor([&] { return logged(u"Socket error → reconnect: "_s).size() == 1; }));
    m_fake.dropSocket();
    ASSERT_TRUE(waitFor([&] { return logged(u"Socket error → reconnect: "_s).size() == 2; }));
    EXPECT_TRUE(m_settings->connectionState().isError());
    m_fake.setAnswerPings(true);
    // Both reconnects were scheduled before this wait began; a connect logs at once.
    test::outlastTimers(800ms);
    EXPECT_EQ(logged(u"Connecting ("_s),
        (QStringList { u"Connecting (consecutive prior failures: 0)"_s,
            u"Connecting (consecutive prior failures: 2)"_s }))
        << "both errors counted; the second replaced the first reconnect";
    EXPECT_TRUE(waitFor([&] { return m_fake.socketConnectionCount() == 2 && connected(); }));
}

TEST_F(SlackServiceTest, NetworkRecoveryReconnectsAtOnceAndClearsGivingUp)
{
    build({ .reconnectDelay = 60ms,
        .warningReconnectDelay = 5ms,
        .givenUpRetryDelay = 300ms,
        .failureLimit = 1 });
    m_fake.script(u"auth.test"_s, FakeReply::http(400, "bad"));
    m_service->connect();
    ASSERT_TRUE(waitFor([&] { return !logged(u"Giving up reconnect"_s).isEmpty(); }));
    emit m_systemEvents.networkStatusChanged(true); // satisfied to satisfied: nothing
    emit m_systemEvents.networkStatusChanged(false);
    emit m_systemEvents.networkStatusChanged(true);
    ASSERT_TRUE(waitFor([&] { return connected(); }));
    test::outlastTimers(300ms);
    EXPECT_TRUE(logged(u"Periodic retry"_s).isEmpty());
    EXPECT_EQ(m_fake.socketConnectionCount(), 1);
    EXPECT_EQ(logged(u"Network"_s),
        QStringList {
            u"Network recovered (NWPathMonitor) — resetting retry state and reconnecting"_s });
    EXPECT_EQ(requests(u"auth.test"_s), 2);
}

TEST_F(SlackServiceTest, NewerConnectSupersedesOneStillWaitingOnTheNetwork)
{
    build();
    m_fake.script(u"auth.test"_s, FakeReply::serve().after(400ms));
    m_service->connect();
    ASSERT_TRUE(waitFor([&] { return requests(u"auth.test"_s) == 1; }));
    m_service->connect();
    ASSERT_TRUE(waitFor([&] { return connected(); }));
    // The older call was aborted, and the older connect ended, before the newer one reached the
    // server.
    test::outlastTimers(kFast.reconnectDelay);
    EXPECT_TRUE(logged(u"Connect failed"_s).isEmpty());
    EXPECT_EQ(m_fake.socketConnectionCount(), 1);
    EXPECT_EQ(requests(u"apps.connections.open"_s), 1);
}

TEST_F(SlackServiceTest, WithoutTokensNothingConnectsAndWakeReconnectsOnlyWithThem)
{
    build(kFast, false);
    m_service->connect();
    emit m_systemEvents.didWake();
    EXPECT_TRUE(m_states.isEmpty());
    storeTokens();
    ASSERT_TRUE(QCoro::waitFor(m_settings->loadTokens()));
    m_service->connect();
    ASSERT_TRUE(waitFor([&] { return connected(); }));
    EXPECT_EQ(requests(u"auth.test"_s), 1) << "nothing went out without tokens";
    m_states.clear();
    emit m_systemEvents.didWake();
    ASSERT_TRUE(waitFor([&] { return connected(); }));
    EXPECT_EQ(m_states.mid(0, 2),
        (QList { ConnectionState::disconnected(), ConnectionState::connecting() }));
    EXPECT_EQ(m_fake.socketConnectionCount(), 2);
}

namespace {

TEST_F(SlackServiceTest, ASocketThatNeverOpensGivesUpAndStopsCallingSlack)
{
    build({ .reconnectDelay = 20ms, .warningReconnectDelay = 5ms, .givenUpRetryDelay = 300ms });
    // A mark and a queued alert give backfill and reconciliation something to ask.
    m_alerts.enqueue({ u"C1:1.0"_s, u"C1"_s, u"1.0"_s, {}, u"t"_s, 0, {} });
    m_fake.rejectSocketConnections(403);
    m_service->connect();
    ASSERT_TRUE(waitFor([&] { return m_log.contains(u"slack"_s, kGivingUp); }));
    EXPECT_EQ(requests(u"apps.connections.open"_s), 5);
    EXPECT_EQ(m_log.count(u"slack"_s, kGivingUp), 1);
    // Nothing until the periodic retry, which comes its delay after the last socket refused.
    qint64 lastRefused = 0;
    for (const auto& request : m_fake.requests())
        lastRefused = request.path.startsWith(u"/link"_s) ? request.receivedAtMs : lastRefused;
    ASSERT_TRUE(waitFor([&] { return requests(u"auth.test"_s) == 6; }));
    EXPECT_GE(m_fake.requests(u"auth.test"_s).last().receivedAtMs - lastRefused, 300);
    EXPECT_EQ(requests(u"conversations.history"_s) + requests(u"reactions.get"_s), 0);
}

TEST_F(SlackServiceTest, ConnectsOverHttpsAndWssOnlyWithATrustedCertificate)
{
    const QString certPath = m_dir.filePath(u"cert.pem"_s);
    const QString keyPath = m_dir.filePath(u"key.pem"_s);
    QProcess openssl;
    openssl.start(u"openssl"_s,
        { u"req"_s, u"-x509"_s, u"-newkey"_s, u"rsa:2048"_s, u"-nodes"_s, u"-days"_s, u"1"_s,
            u"-subj"_s, u"/CN=127.0.0.1"_s, u"-addext"_s, u"subjectAltName=IP:127.0.0.1"_s,
            u"-keyout"_s, keyPath, u"-out"_s, certPath });
    ASSERT_TRUE(openssl.waitForFinished(60000) && openssl.exitCode() == 0)
        << openssl.readAllStandardError().toStdString();
    const QSslCertificate certificate = QSslCertificate::fromPath(certPath).value(0);
    QFile keyFile(keyPath);
    ASSERT_TRUE(keyFile.open(QIODevice::ReadOnly));
    const QSslKey key(keyFile.readAll(), QSsl::Rsa);
    ASSERT_FALSE(certificate.isNull() || key.isNull());
    m_fake.serveTls(certificate, key);
    build();

    // Not yet trusted: the handshake fails before any call reaches the server.
    m_service->connect();
    ASSERT_TRUE(waitFor([&] { return m_settings->connectionState().isError(); }));
    EXPECT_TRUE(m_fake.requests().isEmpty());

    // Trusted the way a system CA would be; the program's own TLS settings stay untouched.
    const QSslConfiguration original = QSslConfiguration::defaultConfiguration();
    QSslConfiguration trusting = original;
    trusting.addCaCertificate(certificate);
    QSslConfiguration::setDefaultConfiguration(trusting);
    const auto restore
        = qScopeGuard([original] { QSslConfiguration::setDefaultConfiguration(original); });
    // Connections the manager keeps open hold the TLS settings they were made with.
    m_network.clearConnectionCache();
    ASSERT_TRUE(waitFor([&] { return connected(); }));
    EXPECT_EQ(m_fake.socketConnectionCount(), 1);

    m_fake.postMessage(u"C1"_s,
        { { u"bot_id"_s, u"B1"_s }, { u"username"_s, u"monitor"_s }, { u"text"_s, u"disk full"_s },
            { u"ts"_s, u"1700000000.000100"_s } });
    ASSERT_TRUE(waitFor([&] { return m_alerts.alerts().size() == 1; }));
    EXPECT_EQ(m_alerts.alerts().first().text, u"disk full"_s);
    EXPECT_TRUE(waitFor([&] { return m_fake.acknowledgedEnvelopeIds().size() == 1; }));
}

} // namespace

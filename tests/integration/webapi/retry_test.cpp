// The retry policy as seen on the wire and in the log: which failures are tried again, how
// often, what the log says, and how cancellation ends a call.
#include "webapifixture.h"

#include <QTcpServer>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace halyard::test {
namespace {

class RetryTest : public WebApiTest {
protected:
    LogCapture log;
};

TEST_F(RetryTest, TransientHttpStatusesAreRetriedThenSucceed)
{
    const auto api = client();
    for (const int status : { 503, 500, 429, 599 }) {
        slack.clearRecords();
        log.clear();
        slack.script(u"auth.test"_s, FakeReply::http(status, "busy"));
        const auto result = run(api.authTest(botToken()));
        ASSERT_TRUE(result && result->ok) << status;
        EXPECT_EQ(slack.requests(u"auth.test"_s).size(), 2) << status;
        EXPECT_EQ(log.messages(u"slack"_s),
            QStringList { u"Retrying auth.test after 0.0s (attempt 1/4: HTTP "_s
                + QString::number(status) + u": busy)" });
    }
}

TEST_F(RetryTest, FourTimeoutsGiveThreeRetryLinesThenTheError)
{
    slack.script(u"conversations.history"_s, FakeReply::hang(), -1);
    const auto api = client(kFastRetry, 150ms);
    const auto result = run(api.conversationsHistory(botToken(), u"C1"_s, u"1.5"_s));
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().transportKind(), SlackError::TransportKind::timedOut);
    EXPECT_EQ(slack.requests(u"conversations.history"_s).size(), 4);
    QStringList expected;
    for (const char* n : { "1", "2", "3" })
        expected << u"Retrying conversations.history?channel=C1&limit=100&oldest=1.5 after 0.0s "
                    u"(attempt %1/4: The request timed out)"_s.arg(QLatin1StringView(n));
    EXPECT_EQ(log.messages(u"slack"_s), expected);
}

TEST_F(RetryTest, WaitsGrowAndARateLimitWaitsForItsRetryAfter)
{
    // 100 ms base: waits of 100-150 ms and 200-250 ms, shown with one decimal.
    slack.script(u"auth.test"_s, FakeReply::http(502, "gateway"), 2);
    ASSERT_TRUE(run(client(RetryPolicy { 4, 100ms }).authTest(botToken())));
    auto requests = slack.requests(u"auth.test"_s);
    ASSERT_EQ(requests.size(), 3);
    EXPECT_GE(requests[1].receivedAtMs - requests[0].receivedAtMs, 100);
    EXPECT_GE(requests[2].receivedAtMs - requests[1].receivedAtMs, 200);
    const QStringList lines = log.messages(u"slack"_s);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(u"Retrying auth.test after 0.1s (attempt 1/4: HTTP 502"_s)
        || lines[0].startsWith(u"Retrying auth.test after 0.2s (attempt 1/4: HTTP 502"_s))
        << qPrintable(lines[0]);
    EXPECT_TRUE(lines[1].startsWith(u"Retrying auth.test after 0.2s (attempt 2/4"_s)
        || lines[1].startsWith(u"Retrying auth.test after 0.3s (attempt 2/4"_s))
        << qPrintable(lines[1]);

    // One Retry-After second lasts 100 ms here, and no wait more than 200 ms.
    const auto api = client(RetryPolicy { 2, 1ms, 100ms, 200ms });
    struct Case {
        QByteArray header;
        std::optional<std::chrono::seconds> retryAfter;
        qint64 minGapMs;
        QString shownDelay;
    };
    const Case cases[] = {
        { "1", 1s, 100, u"0.1s"_s },
        { "30", 30s, 200, u"0.2s"_s },
        { {}, std::nullopt, 0, u"0.0s"_s },
    };
    for (const Case& c : cases) {
        slack.clearRecords();
        log.clear();
        auto reply = FakeReply::http(429, "slow down");
        if (!c.header.isEmpty())
            reply = reply.withHeader("Retry-After", c.header);
        slack.script(u"auth.test"_s, reply, 2);
        const auto result = run(api.authTest(botToken()));
        ASSERT_FALSE(result) << c.header.constData();
        EXPECT_TRUE(result.error().isRateLimited());
        EXPECT_EQ(result.error().retryAfter(), c.retryAfter) << c.header.constData();
        requests = slack.requests(u"auth.test"_s);
        ASSERT_EQ(requests.size(), 2);
        EXPECT_GE(requests[1].receivedAtMs - requests[0].receivedAtMs, c.minGapMs);
        EXPECT_EQ(log.messages(u"slack"_s),
            QStringList { u"Retrying auth.test after "_s + c.shownDelay
                + u" (attempt 1/2: HTTP 429: slow down)" });
    }
}

TEST_F(RetryTest, DroppedAndRefusedConnectionsAreRetried)
{
    slack.script(u"users.info"_s, FakeReply::drop(), -1);
    const auto user = run(client().usersInfo(botToken(), u"U1"_s));
    ASSERT_FALSE(user);
    // Qt itself sends a request again once when a fresh connection closes unanswered.
    EXPECT_GE(slack.requests(u"users.info"_s).size(), 4);
    EXPECT_EQ(user.error().networkError(), QNetworkReply::RemoteHostClosedError);
    EXPECT_EQ(user.error().transportKind(), SlackError::TransportKind::connectionLost);
    EXPECT_EQ(
        log.messagesStartingWith(u"slack"_s, u"Retrying users.info?user=U1 after"_s).size(), 3);

    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    const SlackWebAPI api(&network, QUrl(u"http://127.0.0.1:%1/api/"_s.arg(port)), 5s, kFastRetry);
    const auto result = run(api.authTest(botToken()));
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().networkError(), QNetworkReply::ConnectionRefusedError);
    EXPECT_EQ(result.error().transportKind(), SlackError::TransportKind::cannotConnect);
    EXPECT_EQ(log.messagesStartingWith(u"slack"_s, u"Retrying auth.test after"_s).size(), 3);
}

TEST_F(RetryTest, CancellingEndsTheCallInTheWaitInFlightOrBeforeItStarts)
{
    // In the retry wait: a 10 s wait that ran out would send a second request.
    slack.script(u"auth.test"_s, FakeReply::http(503, "busy"), -1);
    CancellationSource waiting;
    auto connection = QObject::connect(&slack, &FakeSlack::requestReceived, &slack,
        [&waiting] { QTimer::singleShot(100ms, [waiting]() mutable { waiting.cancel(); }); });
    auto result = run(client(RetryPolicy { 4, 10s }).authTest(botToken(), waiting.token()));
    QObject::disconnect(connection);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind(), SlackError::Kind::cancelled);
    EXPECT_EQ(slack.requests(u"auth.test"_s).size(), 1);
    EXPECT_EQ(log.messagesStartingWith(u"slack"_s, u"Retrying auth.test after 1"_s).size(), 1);

    // In flight: a request that ran into its timeout would be retried and logged.
    slack.clearRecords();
    slack.clearScripts();
    log.clear();
    slack.script(u"auth.test"_s, FakeReply::hang());
    CancellationSource inFlight;
    QObject::connect(
        &slack, &FakeSlack::requestReceived, &slack, [&inFlight] { inFlight.cancel(); });
    result = run(client(RetryPolicy { 4, 10s }, 30s).authTest(botToken(), inFlight.token()));
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind(), SlackError::Kind::cancelled);
    EXPECT_EQ(slack.requests(u"auth.test"_s).size(), 1);
    EXPECT_TRUE(log.messages(u"slack"_s).isEmpty());

    slack.clearRecords();
    const auto before
        = run(client().reactionsAdd(botToken(), u"C1"_s, u"ok"_s, u"1.0"_s, inFlight.token()));
    ASSERT_FALSE(before);
    EXPECT_EQ(before.error().kind(), SlackError::Kind::cancelled);
    EXPECT_TRUE(slack.requests().isEmpty());
}

TEST_F(RetryTest, ACallWhoseNetworkManagerGoesAwayEndsInsteadOfHanging)
{
    slack.script(u"auth.test"_s, FakeReply::hang());
    auto* manager = new QNetworkAccessManager;
    manager->setProxy(QNetworkProxy::NoProxy);
    const SlackWebAPI api(manager, slack.apiUrl(), 30s, kFastRetry);
    QObject::connect(&slack, &FakeSlack::requestReceived, manager, &QObject::deleteLater);
    const auto result = run(api.authTest(botToken()));
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind(), SlackError::Kind::transport);
    EXPECT_FALSE(result.error().isTransient());
    EXPECT_EQ(slack.requests().size(), 1);
}

TEST_F(RetryTest, ConcurrentCallsEachGetTheirOwnAnswer)
{
    for (const QString& id : { u"U1"_s, u"U2"_s, u"U3"_s })
        slack.workspace().addUser(id, u"name-"_s + id);
    // Answers come back in the reverse order of the calls.
    slack.script(u"users.info"_s, FakeReply::serve().after(300ms));
    slack.script(u"users.info"_s, FakeReply::serve().after(150ms));
    const auto api = client();
    auto first = api.usersInfo(botToken(), u"U1"_s);
    auto second = api.usersInfo(botToken(), u"U2"_s);
    auto third = api.usersInfo(botToken(), u"U3"_s);
    EXPECT_EQ(run(std::move(third)).value()->name, u"name-U3"_s);
    EXPECT_EQ(run(std::move(first)).value()->name, u"name-U1"_s);
    EXPECT_EQ(run(std::move(second)).value()->name, u"name-U2"_s);
}

} // namespace
} // namespace halyard::test

// The Web API client against a fake Slack: what each call puts on the wire, what it returns for
// Slack's answers, and the retry policy as seen on the wire and in the log.
#include "common/logcapture.h"
#include "halyard-sim/fakeslack.h"
#include "slack/webapi/slackwebapi.h"

#include <QCoroTask>
#include <QJsonArray>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <vector>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace halyard::test {
namespace {

// A fake Slack on loopback and a client pointed at it, with retry waits shrunk to a few
// milliseconds so that whole retry sequences take no time.
class WebApiTest : public ::testing::Test {
protected:
    static constexpr RetryPolicy kFastRetry { 4, std::chrono::milliseconds(4) };

    void SetUp() override
    {
        ASSERT_TRUE(slack.listen());
        // A proxy from the environment must not stand between the client and loopback.
        network.setProxy(QNetworkProxy::NoProxy);
    }

    SlackWebAPI client(RetryPolicy retry = kFastRetry,
        std::chrono::milliseconds transferTimeout = std::chrono::milliseconds(5000))
    {
        return SlackWebAPI(&network, slack.apiUrl(), transferTimeout, retry);
    }

    QString botToken() const { return slack.workspace().botToken; }
    QString appToken() const { return slack.workspace().appToken; }

    // Runs a call to its end; the fake server answers from the same event loop.
    template <typename T> static T run(QCoro::Task<T> task)
    {
        return QCoro::waitFor(std::move(task));
    }

    FakeSlack slack;
    QNetworkAccessManager network;
    LogCapture log;
};

TEST_F(WebApiTest, EachCallSendsItsMethodTargetBodyAndToken)
{
    slack.workspace().addChannel({ u"C1"_s, u"alerts"_s });
    const QString ts = slack.workspace().addMessage(u"C1"_s, { { u"text"_s, u"x"_s } });
    const QByteArray t = ts.toLatin1();
    const QString bot = botToken();
    const auto api = client();
    struct Case {
        std::function<void()> call;
        QByteArray method;
        QByteArray target;
        QByteArray body; // a form when not empty
        QString token;
    };
    const Case cases[] = {
        { [&] { (void)run(api.authTest(bot)); }, "POST", "/api/auth.test", {}, bot },
        { [&] { (void)run(api.connectionsOpen(appToken())); }, "POST", "/api/apps.connections.open",
            {}, appToken() },
        { [&] { (void)run(api.usersConversations(bot)); }, "GET",
            "/api/users.conversations?types=public_channel,private_channel&limit=1000", {}, bot },
        { [&] { (void)run(api.conversationsHistory(bot, u"C1"_s, u"1699999999.000200"_s)); }, "GET",
            "/api/conversations.history?channel=C1&limit=100&oldest=1699999999.000200", {}, bot },
        // The cursor is sent only when given, and "+" travels encoded.
        { [&] { (void)run(api.conversationsHistory(bot, u"C1"_s, u"0"_s, u"eHk6+/="_s)); }, "GET",
            "/api/conversations.history?channel=C1&limit=100&oldest=0&cursor=eHk6%2B/%3D", {},
            bot },
        { [&] { (void)run(api.reactionsGet(bot, u"C1"_s, ts)); }, "GET",
            "/api/reactions.get?channel=C1&timestamp=" + t + "&full=true", {}, bot },
        // A form body decodes "+" as a space, so a plus sign must travel encoded.
        { [&] { (void)run(api.reactionsAdd(bot, u"C1"_s, u"+1"_s, ts)); }, "POST",
            "/api/reactions.add", "channel=C1&name=%2B1&timestamp=" + t, bot },
        { [&] { (void)run(api.reactionsAdd(bot, u"C1"_s, u"thumbs up ü"_s, ts)); }, "POST",
            "/api/reactions.add", "channel=C1&name=thumbs%20up%20%C3%BC&timestamp=" + t, bot },
        // Damaged identifiers cannot add parameters.
        { [&] {
             (void)run(api.reactionsAdd(bot, u"C1&channel=C2"_s, u"a&name=b"_s, u"1&name=x"_s));
         },
            "POST", "/api/reactions.add",
            "channel=C1%26channel%3DC2&name=a%26name%3Db&timestamp=1%26name%3Dx", bot },
    };
    for (const Case& c : cases) {
        slack.clearRecords();
        c.call();
        const auto recorded = slack.requests();
        ASSERT_EQ(recorded.size(), 1) << c.target.constData();
        const RecordedRequest& request = recorded.first();
        EXPECT_EQ(request.method, c.method) << c.target.constData();
        EXPECT_EQ(request.target, c.target);
        EXPECT_EQ(request.body, c.body) << c.target.constData();
        EXPECT_EQ(request.header("Content-Type"),
            c.body.isEmpty() ? "application/json; charset=utf-8"
                             : "application/x-www-form-urlencoded; charset=utf-8");
        EXPECT_EQ(
            request.header("Content-Length").value_or("0"), QByteArray::number(c.body.size()));
        EXPECT_EQ(request.header("Authorization"), "Bearer " + c.token.toLatin1());
    }
    // What arrives is what was typed.
    EXPECT_EQ(slack.requests().first().param(u"name"_s), u"a&name=b"_s);
    EXPECT_EQ(slack.requests().first().params().size(), 3);
    EXPECT_EQ(slack.workspace().reactions(u"C1"_s, ts).value(0).name, u"+1"_s);
}

TEST_F(WebApiTest, ATokenThatWouldSplitTheHeaderIsNeverSent)
{
    const auto api = client();
    for (const QString& token : { u"xoxb-a\r\nX-Evil: 1"_s, u"xoxb-a\n"_s, u"xoxb-\u0000"_s }) {
        const auto result = run(api.authTest(token));
        ASSERT_FALSE(result);
        EXPECT_EQ(result.error().description(),
            u"Authentication failed: the token contains a line break or another control character"_s);
    }
    EXPECT_TRUE(slack.requests().isEmpty());
}

template <typename T> std::optional<SlackError> errorOf(const SlackResult<T>& result)
{
    return result ? std::nullopt : std::optional(result.error());
}

using ResultsTest = WebApiTest;

// Decoding of each record is proven where the record is used; here, what only the client decides.
TEST_F(ResultsTest, RecordsComeBackDecoded)
{
    slack.workspace().addChannel({ u"C1"_s, u"alerts"_s });
    slack.workspace().addChannel({ u"G1"_s, u"ops"_s, true });
    slack.workspace().addChannel({ u"C9"_s, u"elsewhere"_s, false, false });
    const QString ts = slack.workspace().addMessage(u"C1"_s, { { u"text"_s, u"x"_s } });
    const auto api = client();
    const auto refused = run(api.authTest(u"xoxb-wrong"_s));
    ASSERT_TRUE(refused) << "the record is returned whatever its ok";
    EXPECT_EQ(refused->error, u"invalid_auth"_s);
    EXPECT_EQ(run(api.usersConversations(botToken())),
        (QList<SlackWebAPI::Channel> {
            { u"C1"_s, u"alerts"_s, false }, { u"G1"_s, u"ops"_s, true } }));
    // Lookups answer absent when Slack says no.
    EXPECT_EQ(run(api.conversationsInfo(botToken(), u"C404"_s)).value(), std::nullopt);
    EXPECT_EQ(run(api.usersInfo(botToken(), u"U404"_s)).value(), std::nullopt);
    EXPECT_EQ(run(api.botsInfo(botToken(), u"B404"_s)).value(), std::nullopt);
    // Reacting twice counts as success.
    EXPECT_TRUE(run(api.reactionsAdd(botToken(), u"C1"_s, u"eyes"_s, ts)));
    EXPECT_TRUE(run(api.reactionsAdd(botToken(), u"C1"_s, u"eyes"_s, ts)));
    EXPECT_EQ(slack.workspace().reactions(u"C1"_s, ts).value(0).users, QStringList { u"U0BOT"_s });
    slack.script(u"users.conversations"_s, FakeReply::json({ { u"ok"_s, true } }));
    EXPECT_EQ(run(api.usersConversations(botToken())), QList<SlackWebAPI::Channel> {});
    // A channel that does not decode costs only itself.
    slack.script(u"users.conversations"_s,
        FakeReply::http(200, R"({"ok":true,"channels":[{"id":"C1"},{"id":"C2","name":"b"}]})"));
    EXPECT_EQ(run(api.usersConversations(botToken())),
        (QList<SlackWebAPI::Channel> { { u"C2"_s, u"b"_s, std::nullopt } }));
    const auto url = run(api.connectionsOpen(appToken()));
    ASSERT_TRUE(url) << qPrintable(url.error().description());
    EXPECT_EQ(url->scheme(), u"ws"_s);
    EXPECT_EQ(url->port(), slack.port());
}

TEST_F(ResultsTest, FailuresCarrySlacksErrorAndAreNotRetried)
{
    const auto api = client();
    const QHash<QString, std::function<std::optional<SlackError>()>> calls {
        { u"users.conversations"_s,
            [&] { return errorOf(run(api.usersConversations(botToken()))); } },
        { u"conversations.history"_s,
            [&] { return errorOf(run(api.conversationsHistory(botToken(), u"C1"_s, u"0"_s))); } },
        { u"reactions.add"_s,
            [&] { return errorOf(run(api.reactionsAdd(botToken(), u"C1"_s, u"ok"_s, u"1"_s))); } },
        { u"apps.connections.open"_s,
            [&] { return errorOf(run(api.connectionsOpen(appToken()))); } },
        { u"auth.test"_s, [&] { return errorOf(run(api.authTest(botToken()))); } },
    };
    const QString noUrl = u"Socket Mode failed: no url in response"_s;
    // The description is a prefix when it ends with "…"; its start names the kind.
    const std::tuple<QString, FakeReply, QString> cases[] = {
        // "ok": false fails as HTTP status 0 with Slack's error.
        { u"users.conversations"_s, FakeReply::json({ { u"ok"_s, false } }), u"HTTP 0"_s },
        { u"conversations.history"_s, FakeReply::slackError(u"not_in_channel"_s),
            u"HTTP 0: not_in_channel"_s },
        { u"reactions.add"_s, FakeReply::slackError(u"invalid_name"_s), u"HTTP 0: invalid_name"_s },
        { u"apps.connections.open"_s, FakeReply::slackError(u"invalid_auth"_s),
            u"Socket Mode failed: invalid_auth"_s },
        { u"apps.connections.open"_s, FakeReply::json({ { u"ok"_s, true } }), noUrl },
        { u"apps.connections.open"_s,
            FakeReply::json({ { u"ok"_s, true }, { u"url"_s, u"ws://[::1"_s } }), noUrl },
        { u"auth.test"_s, FakeReply::http(404, "not found"), u"HTTP 404: not found"_s },
        { u"auth.test"_s, FakeReply::http(403, QByteArray("\xff\xfe", 2)), u"HTTP 403"_s },
        { u"auth.test"_s, FakeReply::http(200, "<html>maintenance</html>", "text/html"),
            u"Decoding failed: …"_s },
        { u"auth.test"_s, FakeReply::http(200, "[1,2]"),
            u"Decoding failed: expected a JSON object"_s },
        { u"auth.test"_s, FakeReply::json({ { u"ok"_s, u"true"_s } }),
            u"Decoding failed: ok: expected a boolean"_s },
    };
    for (const auto& [method, reply, description] : cases) {
        slack.clearRecords();
        slack.script(method, reply);
        const auto error = calls[method]();
        ASSERT_TRUE(error) << qPrintable(description);
        EXPECT_EQ(error->kind(),
            description.startsWith(u"HTTP"_s)    ? SlackError::Kind::httpError
                : description.startsWith(u"S"_s) ? SlackError::Kind::socketModeFailed
                                                 : SlackError::Kind::decodingFailed)
            << qPrintable(description);
        if (description.endsWith(u'…'))
            EXPECT_TRUE(error->description().startsWith(description.chopped(1)))
                << qPrintable(error->description());
        else
            EXPECT_EQ(error->description(), description);
        EXPECT_EQ(slack.requests().size(), 1) << qPrintable(description);
    }
    // The bot token is the wrong kind for opening a socket.
    EXPECT_EQ(errorOf(run(api.connectionsOpen(botToken()))).value().description(),
        u"Socket Mode failed: not_allowed_token_type"_s);
}

// Whatever the server does, a call ends in time, holds at most the cap of a body, keeps only a
// line of what the server said, and carries its token to no other origin. Only the deadline and
// the server error are worth a second attempt.
TEST_F(WebApiTest, EveryRequestIsBoundedWhateverTheServerDoes)
{
    FakeSlack elsewhere;
    ASSERT_TRUE(elsewhere.listen());
    const QByteArray elsewhereUrl = elsewhere.apiUrl().toEncoded() + "auth.test";
    const QByteArray errorPage = "<html>\n<head><title>502 Bad Gateway</title></head>\n<body>"
        + QByteArray(900'000, 'x') + "</body></html>";
    const struct {
        FakeReply reply;
        QString description; // a prefix when it ends with "…"; empty for success
        int requests;
    } cases[] = {
        // Never silent for the 5 s time-out, yet far from done at the 300 ms deadline.
        { FakeReply::trickle(QByteArray(1000, ' '), 50ms), u"The request timed out"_s, 2 },
        { FakeReply::http(200, QByteArray(2'000'000, ' ')),
            u"The reply is larger than 1048576 bytes"_s, 1 },
        { FakeReply::redirect(elsewhereUrl),
            u"HTTP 302: refused a redirect to another origin (%1)"_s.arg(
                elsewhere.apiUrl().adjusted(QUrl::RemovePath).toString()),
            1 },
        { FakeReply::redirect(slack.apiUrl().toEncoded() + "auth.test?again=1"), {}, 2 },
        { FakeReply::http(502, errorPage, "text/html"),
            u"HTTP 502: <html> <head><title>502 Bad Gateway</title></head> <body>xxx…"_s, 2 },
    };
    const SlackWebAPI api(&network, slack.apiUrl(), 5s, RetryPolicy { 2, 1ms },
        SlackWebAPI::Limits { 300ms, 1024 * 1024 });
    for (const auto& c : cases) {
        slack.clearRecords();
        slack.clearScripts();
        // Failures keep failing; the redirect within the origin then reaches the workspace.
        slack.script(u"auth.test"_s, c.reply, c.description.isEmpty() ? 1 : -1);
        const auto result = run(api.authTest(botToken()));
        EXPECT_EQ(slack.requests().size(), c.requests) << qPrintable(c.description);
        for (const RecordedRequest& request : slack.requests())
            EXPECT_EQ(request.header("Authorization"), "Bearer " + botToken().toLatin1());
        if (c.description.isEmpty()) {
            EXPECT_TRUE(result) << qPrintable(result.error().description());
            continue;
        }
        ASSERT_FALSE(result) << qPrintable(c.description);
        const QString description = result.error().description();
        if (c.description.endsWith(u'…'))
            EXPECT_TRUE(description.startsWith(c.description.chopped(1)))
                << qPrintable(description);
        else
            EXPECT_EQ(description, c.description);
        EXPECT_LE(description.size(), 220) << "an excerpt, never the body";
    }
    EXPECT_TRUE(elsewhere.requests().isEmpty()) << "the token went to another origin";
}

using RetryTest = WebApiTest;

// A 429 holds back its method alone, for the Retry-After; it costs the call no attempt.
TEST_F(RetryTest, ARateLimitHoldsBackOnlyItsMethod)
{
    // One Retry-After second lasts 10 ms here: 30 s become 0.3 s.
    const SlackWebAPI api(&network, slack.apiUrl(), 5s, RetryPolicy { 1, 1ms, 10ms, 1000ms });
    slack.script(
        u"users.info"_s, FakeReply::http(429, "slow down").withHeader("Retry-After", "30"));
    auto first = api.usersInfo(botToken(), u"U1"_s);
    // The client has taken the 429 in once it says so.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log.messages(u"slack"_s).isEmpty(); }));
    auto second = api.usersInfo(botToken(), u"U2"_s);
    auto channel = api.conversationsInfo(botToken(), u"C1"_s);
    EXPECT_TRUE(run(std::move(channel)));
    EXPECT_TRUE(run(std::move(first)));
    EXPECT_TRUE(run(std::move(second)));
    const auto users = slack.requests(u"users.info"_s);
    ASSERT_EQ(users.size(), 3);
    const auto channels = slack.requests(u"conversations.info"_s);
    ASSERT_EQ(channels.size(), 1);
    EXPECT_LT(channels[0].receivedAtMs - users[0].receivedAtMs, 250);
    EXPECT_GE(users[1].receivedAtMs - users[0].receivedAtMs, 290);
}

// One line for every call: the most urgent first, each method within its budget, and a request's
// deadline counted from when it goes out, not while it waits its turn.
TEST_F(RetryTest, CallsWaitInOneLineByUrgencyAndBudget)
{
    const SlackWebAPI api(
        &network, slack.apiUrl(), 5s, kFastRetry, { 300ms, 1 << 20 }, PipeLimits { 1, 200ms });
    slack.script(u"users.info"_s, FakeReply::serve().after(200ms), 3);
    auto lookup = api.usersInfo(botToken(), u"U1"_s);
    auto laterLookup = api.usersInfo(botToken(), u"U2"_s);
    auto page = api.conversationsHistory(botToken(), u"C1"_s, u"1.5"_s);
    auto ack = api.reactionsAdd(botToken(), u"C1"_s, u"eyes"_s, u"1.5"_s);
    auto connect = api.connectionsOpen(appToken());
    // Both look-ups are answered: the later one waited 200 ms in line, then took 200 ms, beyond
    // the 300 ms deadline.
    EXPECT_TRUE(run(std::move(lookup)));
    EXPECT_TRUE(run(std::move(laterLookup)));
    QStringList order;
    for (const auto& request : slack.requests())
        order.append(request.apiMethod);
    EXPECT_EQ(order,
        (QStringList { u"users.info"_s, u"apps.connections.open"_s, u"reactions.add"_s,
            u"conversations.history"_s, u"users.info"_s }));

    // apps.connections.open may burst five times, then once a "minute" (200 ms here).
    slack.clearRecords();
    for (int i = 0; i < 6; ++i)
        run(api.connectionsOpen(appToken()));
    const auto opens = slack.requests(u"apps.connections.open"_s);
    ASSERT_EQ(opens.size(), 6);
    EXPECT_LT(opens[3].receivedAtMs - opens[0].receivedAtMs, 150);
    EXPECT_GE(opens[5].receivedAtMs - opens[0].receivedAtMs, 150);
    run(std::move(page));
    run(std::move(ack));
    run(std::move(connect));
}

// Look-ups to a server that stalls them take at most four places: an Ack and a connect still
// go at once, and a catch-up page takes the fifth.
TEST_F(RetryTest, StalledLookUpsLeavePlacesForWhatMattersMore)
{
    const auto api = client();
    slack.script(u"users.info"_s, FakeReply::hang(), -1);
    CancellationSource stop;
    std::vector<QCoro::Task<SlackResult<std::optional<SlackWebAPI::SlackUser>>>> lookups;
    for (int i = 0; i < 6; ++i)
        lookups.push_back(api.usersInfo(botToken(), u"U%1"_s.arg(i), stop.token()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return slack.requests(u"users.info"_s).size() == 4; }));
    EXPECT_TRUE(run(api.reactionsAdd(botToken(), u"C1"_s, u"eyes"_s, u"1.5"_s)).error().body()
        == u"channel_not_found"_s);
    EXPECT_TRUE(run(api.connectionsOpen(appToken())));
    EXPECT_TRUE(run(api.conversationsHistory(botToken(), u"C1"_s, u"1.5"_s)).error().body()
        == u"channel_not_found"_s);
    EXPECT_EQ(slack.requests(u"users.info"_s).size(), 4);
    stop.cancel();
    for (auto& lookup : lookups)
        EXPECT_EQ(run(std::move(lookup)).error().kind(), SlackError::Kind::cancelled);
}

// Each retry is logged with its request; the fourth failure is the error.
TEST_F(RetryTest, DroppedTimedOutAndRefusedConnectionsAreRetried)
{
    using Kind = SlackError::TransportKind;
    for (const auto& [reply, kind] : { std::pair { FakeReply::drop(), Kind::connectionLost },
             std::pair { FakeReply::hang(), Kind::timedOut } }) {
        slack.clearRecords();
        slack.clearScripts();
        log.clear();
        slack.script(u"users.info"_s, reply, -1);
        const auto user = run(client(kFastRetry, 150ms).usersInfo(botToken(), u"U1"_s));
        ASSERT_FALSE(user);
        EXPECT_EQ(user.error().transportKind(), kind);
        // Qt itself sends a request again once when a fresh connection closes unanswered.
        EXPECT_GE(slack.requests(u"users.info"_s).size(), 4);
        EXPECT_EQ(
            log.messagesStartingWith(u"slack"_s, u"Retrying users.info?user=U1 after"_s).size(), 3);
    }
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

} // namespace
} // namespace halyard::test

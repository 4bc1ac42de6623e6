// What each Web API call puts on the wire: method, target, body, content type, token.
#include "webapifixture.h"

using namespace Qt::Literals::StringLiterals;

namespace halyard::test {
namespace {

class RequestWireTest : public WebApiTest {
protected:
    void SetUp() override
    {
        WebApiTest::SetUp();
        slack.workspace().addChannel({ u"C1"_s, u"alerts"_s });
        ts = slack.workspace().addMessage(u"C1"_s, QJsonObject { { u"text"_s, u"Disk full"_s } });
    }

    RecordedRequest only(const QString& apiMethod) const
    {
        const auto recorded = slack.requests(apiMethod);
        EXPECT_EQ(recorded.size(), 1) << qPrintable(apiMethod);
        return recorded.value(0);
    }

    QString ts;
};

TEST_F(RequestWireTest, ReactionsAddPostsAFormBodyAndNoQuery)
{
    const auto api = client();
    ASSERT_TRUE(run(api.reactionsAdd(botToken(), u"C1"_s, u"white_check_mark"_s, ts)));

    const RecordedRequest request = only(u"reactions.add"_s);
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.target, "/api/reactions.add");
    EXPECT_FALSE(request.query.has_value());
    EXPECT_EQ(request.body, "channel=C1&name=white_check_mark&timestamp=" + ts.toLatin1());
    EXPECT_EQ(request.header("Content-Type"), "application/x-www-form-urlencoded; charset=utf-8");
    EXPECT_EQ(request.header("Authorization"), "Bearer " + botToken().toLatin1());
    EXPECT_EQ(slack.workspace().reactions(u"C1"_s, ts).value(0).name, u"white_check_mark"_s);
}

TEST_F(RequestWireTest, UsersConversationsIsAGetWithTheJsonTypeAndNoBody)
{
    const auto api = client();
    ASSERT_TRUE(run(api.usersConversations(botToken())));

    const RecordedRequest request = only(u"users.conversations"_s);
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(
        request.target, "/api/users.conversations?types=public_channel,private_channel&limit=1000");
    EXPECT_EQ(request.header("Content-Type"), "application/json; charset=utf-8");
    EXPECT_TRUE(request.body.isEmpty());
    EXPECT_EQ(request.header("Content-Length").value_or("0"), "0");
}

TEST_F(RequestWireTest, AuthTestAndConnectionsOpenArePostsWithoutBody)
{
    const auto api = client();
    ASSERT_TRUE(run(api.authTest(botToken())));
    ASSERT_TRUE(run(api.connectionsOpen(appToken())));

    for (const auto& [method, token] : { std::pair { u"auth.test"_s, botToken() },
             std::pair { u"apps.connections.open"_s, appToken() } }) {
        const RecordedRequest request = only(method);
        EXPECT_EQ(request.method, "POST") << qPrintable(method);
        EXPECT_EQ(request.target, "/api/" + method.toLatin1());
        EXPECT_TRUE(request.body.isEmpty()) << qPrintable(method);
        EXPECT_EQ(request.header("Content-Type"), "application/json; charset=utf-8");
        EXPECT_EQ(request.header("Authorization"), "Bearer " + token.toLatin1());
    }
}

TEST_F(RequestWireTest, GetQueriesStayAsSlackExpectsThem)
{
    slack.workspace().addUser(u"U1"_s, u"ada"_s);
    slack.workspace().addBot({ u"B1"_s, u"deploybot"_s, u"A1"_s });
    const auto api = client();
    ASSERT_TRUE(run(api.conversationsInfo(botToken(), u"C1"_s)));
    ASSERT_TRUE(run(api.usersInfo(botToken(), u"U1"_s)));
    ASSERT_TRUE(run(api.botsInfo(botToken(), u"B1"_s)));
    ASSERT_TRUE(run(api.conversationsHistory(botToken(), u"C1"_s, u"1699999999.000200"_s)));
    ASSERT_TRUE(run(api.reactionsGet(botToken(), u"C1"_s, ts)));

    EXPECT_EQ(only(u"conversations.info"_s).target, "/api/conversations.info?channel=C1");
    EXPECT_EQ(only(u"users.info"_s).target, "/api/users.info?user=U1");
    EXPECT_EQ(only(u"bots.info"_s).target, "/api/bots.info?bot=B1");
    EXPECT_EQ(only(u"conversations.history"_s).target,
        "/api/conversations.history?channel=C1&limit=100&oldest=1699999999.000200");
    EXPECT_EQ(only(u"reactions.get"_s).target,
        "/api/reactions.get?channel=C1&timestamp=" + ts.toLatin1() + "&full=true");
    for (const RecordedRequest& request : slack.requests()) {
        EXPECT_EQ(request.method, "GET") << request.target.constData();
        EXPECT_TRUE(request.body.isEmpty()) << request.target.constData();
    }
}

TEST_F(RequestWireTest, EmojiNamesArriveAsTyped)
{
    // The form body decodes "+" as a space, so a plus sign must travel encoded.
    struct Case {
        QString emoji;
        QByteArray onTheWire;
    };
    const Case cases[] = {
        { u"+1"_s, "%2B1" },
        { u"thumbs up"_s, "thumbs%20up" },
        { u"white_check_mark"_s, "white_check_mark" },
        { u"a&name=b"_s, "a%26name%3Db" },
        { u"ü"_s, "%C3%BC" },
    };
    const auto api = client();
    for (const Case& c : cases) {
        slack.clearRecords();
        (void)run(api.reactionsAdd(botToken(), u"C1"_s, c.emoji, ts));
        const RecordedRequest request = only(u"reactions.add"_s);
        EXPECT_EQ(request.body, "channel=C1&name=" + c.onTheWire + "&timestamp=" + ts.toLatin1())
            << qPrintable(c.emoji);
        EXPECT_EQ(request.param(u"name"_s), c.emoji);
        EXPECT_EQ(request.params().size(), 3) << qPrintable(c.emoji);
    }
    const auto reactions = slack.workspace().reactions(u"C1"_s, ts);
    ASSERT_FALSE(reactions.isEmpty());
    EXPECT_EQ(reactions.first().name, u"+1"_s);
}

TEST_F(RequestWireTest, DamagedIdentifiersCannotAddParameters)
{
    const auto api = client();
    (void)run(api.usersInfo(botToken(), u"U1&user=U2"_s));
    (void)run(api.conversationsHistory(botToken(), u"C1&limit=1"_s, u"1.0#frag"_s));
    (void)run(api.reactionsAdd(botToken(), u"C1&channel=C2"_s, u"ok"_s, u"1.0&name=x"_s));

    const RecordedRequest users = only(u"users.info"_s);
    EXPECT_EQ(users.target, "/api/users.info?user=U1%26user%3DU2");
    EXPECT_EQ(users.params().size(), 1);
    EXPECT_EQ(users.param(u"user"_s), u"U1&user=U2"_s);

    const RecordedRequest history = only(u"conversations.history"_s);
    EXPECT_EQ(history.target,
        "/api/conversations.history?channel=C1%26limit%3D1&limit=100&oldest=1.0%23frag");
    EXPECT_EQ(history.params().size(), 3);

    const RecordedRequest add = only(u"reactions.add"_s);
    EXPECT_EQ(add.body, "channel=C1%26channel%3DC2&name=ok&timestamp=1.0%26name%3Dx");
    EXPECT_EQ(add.params().size(), 3);
}

TEST_F(RequestWireTest, HistoryCursorIsSentOnlyWhenGiven)
{
    const auto api = client();
    (void)run(api.conversationsHistory(botToken(), u"C1"_s, u"0"_s, u"bmV4dF90czox+/="_s));
    EXPECT_EQ(only(u"conversations.history"_s).target,
        "/api/conversations.history?channel=C1&limit=100&oldest=0&cursor=bmV4dF90czox%2B/%3D");
}

TEST_F(RequestWireTest, ATokenThatWouldSplitTheHeaderIsNeverSent)
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

} // namespace
} // namespace halyard::test

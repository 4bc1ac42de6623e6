// What each Web API call puts on the wire: method, target, body, content type, token.
#include "webapifixture.h"

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace halyard::test {
namespace {

TEST_F(WebApiTest, EachCallSendsItsMethodTargetBodyAndToken)
{
    slack.workspace().addChannel({ u"C1"_s, u"alerts"_s });
    slack.workspace().addUser(u"U1"_s, u"ada"_s);
    slack.workspace().addBot({ u"B1"_s, u"deploybot"_s, u"A1"_s });
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
        { [&] { (void)run(api.conversationsInfo(bot, u"C1"_s)); }, "GET",
            "/api/conversations.info?channel=C1", {}, bot },
        { [&] { (void)run(api.usersInfo(bot, u"U1"_s)); }, "GET", "/api/users.info?user=U1", {},
            bot },
        { [&] { (void)run(api.botsInfo(bot, u"B1"_s)); }, "GET", "/api/bots.info?bot=B1", {}, bot },
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
        { [&] { (void)run(api.usersInfo(bot, u"U1&user=U2"_s)); }, "GET",
            "/api/users.info?user=U1%26user%3DU2", {}, bot },
        { [&] { (void)run(api.conversationsHistory(bot, u"C1&limit=1"_s, u"1.0#frag"_s)); }, "GET",
            "/api/conversations.history?channel=C1%26limit%3D1&limit=100&oldest=1.0%23frag", {},
            bot },
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

} // namespace
} // namespace halyard::test

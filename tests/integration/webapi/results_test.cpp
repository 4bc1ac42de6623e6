// What each call returns for Slack's answers: records, "ok": false per method, HTTP failures and
// bodies that are not what they should be.
#include "webapifixture.h"

#include <QJsonArray>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace halyard::test {
namespace {

template <typename T> std::optional<SlackError> errorOf(const SlackResult<T>& result)
{
    return result ? std::nullopt : std::optional(result.error());
}

class ResultsTest : public WebApiTest {
protected:
    void SetUp() override
    {
        WebApiTest::SetUp();
        slack.workspace().addChannel({ u"C1"_s, u"alerts"_s });
        slack.workspace().addChannel({ u"G1"_s, u"ops"_s, true });
        slack.workspace().addChannel({ u"C9"_s, u"elsewhere"_s, false, false });
    }
};

TEST_F(ResultsTest, RecordsComeBackDecoded)
{
    slack.workspace().addUser(u"U1"_s, u"ada"_s, u"Ada Lovelace"_s, u""_s);
    slack.workspace().addBot({ u"B1"_s, u"deploybot"_s, u"A1"_s });
    const QString ts = slack.workspace().addMessage(u"C1"_s, { { u"text"_s, u"x"_s } });
    slack.workspace().addReaction(u"C1"_s, ts, u"white_check_mark"_s, u"U7"_s);
    const auto api = client();

    const auto good = run(api.authTest(botToken()));
    ASSERT_TRUE(good && good->ok);
    EXPECT_EQ(good->team, u"Fake Team"_s);
    EXPECT_EQ(good->team_id, u"T0FAKE"_s);
    EXPECT_EQ(good->user, u"halyard"_s);
    const auto refused = run(api.authTest(u"xoxb-wrong"_s));
    ASSERT_TRUE(refused) << "the record is returned whatever its ok";
    EXPECT_FALSE(refused->ok);
    EXPECT_EQ(refused->error, u"invalid_auth"_s);

    EXPECT_EQ(run(api.usersConversations(botToken())),
        (QList<SlackWebAPI::Channel> {
            { u"C1"_s, u"alerts"_s, false }, { u"G1"_s, u"ops"_s, true } }));
    EXPECT_EQ(run(api.conversationsInfo(botToken(), u"G1"_s)),
        (SlackWebAPI::Channel { u"G1"_s, u"ops"_s, true }));
    EXPECT_EQ(run(api.usersInfo(botToken(), u"U1"_s)).value()->displayName(), u"Ada Lovelace"_s);
    EXPECT_EQ(run(api.botsInfo(botToken(), u"B1"_s)).value()->name, u"deploybot"_s);
    // Lookups answer absent when Slack says no.
    EXPECT_EQ(run(api.conversationsInfo(botToken(), u"C404"_s)).value(), std::nullopt);
    EXPECT_EQ(run(api.usersInfo(botToken(), u"U404"_s)).value(), std::nullopt);
    EXPECT_EQ(run(api.botsInfo(botToken(), u"B404"_s)).value(), std::nullopt);

    const auto got = run(api.reactionsGet(botToken(), u"C1"_s, ts));
    ASSERT_TRUE(got && got->message && got->message->reactions);
    EXPECT_EQ(got->message->reactions->value(0).name, u"white_check_mark"_s);
    EXPECT_EQ(got->message->reactions->value(0).count, 1);
    // Reacting twice counts as success.
    EXPECT_TRUE(run(api.reactionsAdd(botToken(), u"C1"_s, u"eyes"_s, ts)));
    EXPECT_TRUE(run(api.reactionsAdd(botToken(), u"C1"_s, u"eyes"_s, ts)));
    EXPECT_EQ(slack.workspace().reactions(u"C1"_s, ts).value(1).users, QStringList { u"U0BOT"_s });

    slack.script(u"users.conversations"_s, FakeReply::json({ { u"ok"_s, true } }));
    EXPECT_EQ(run(api.usersConversations(botToken())), QList<SlackWebAPI::Channel> {});
    const auto url = run(api.connectionsOpen(appToken()));
    ASSERT_TRUE(url) << qPrintable(url.error().description());
    EXPECT_EQ(url->scheme(), u"ws"_s);
    EXPECT_EQ(url->port(), slack.port());
}

TEST_F(ResultsTest, FailuresCarrySlacksErrorAndAreNotRetried)
{
    const auto api = client();
    const auto history
        = [&] { return errorOf(run(api.conversationsHistory(botToken(), u"C1"_s, u"0"_s))); };
    const auto add
        = [&] { return errorOf(run(api.reactionsAdd(botToken(), u"C1"_s, u"ok"_s, u"1"_s))); };
    const auto open = [&] { return errorOf(run(api.connectionsOpen(appToken()))); };
    const auto auth = [&] { return errorOf(run(api.authTest(botToken()))); };
    const QJsonObject ok { { u"ok"_s, true } };
    struct Case {
        QString method;
        FakeReply reply;
        std::function<std::optional<SlackError>()> call;
        SlackError::Kind kind;
        QString description; // a prefix when it ends with "…"
    };
    using K = SlackError::Kind;
    const Case cases[] = {
        // "ok": false fails as HTTP status 0 with Slack's error.
        { u"users.conversations"_s, FakeReply::json({ { u"ok"_s, false } }),
            [&] { return errorOf(run(api.usersConversations(botToken()))); }, K::httpError,
            u"HTTP 0"_s },
        { u"users.conversations"_s, FakeReply::slackError(u"missing_scope"_s),
            [&] { return errorOf(run(api.usersConversations(botToken()))); }, K::httpError,
            u"HTTP 0: missing_scope"_s },
        { u"conversations.history"_s, FakeReply::slackError(u"not_in_channel"_s), history,
            K::httpError, u"HTTP 0: not_in_channel"_s },
        { u"reactions.get"_s, FakeReply::slackError(u"message_not_found"_s),
            [&] { return errorOf(run(api.reactionsGet(botToken(), u"C1"_s, u"1"_s))); },
            K::httpError, u"HTTP 0: message_not_found"_s },
        { u"reactions.add"_s, FakeReply::slackError(u"invalid_name"_s), add, K::httpError,
            u"HTTP 0: invalid_name"_s },
        { u"reactions.add"_s, FakeReply::json({ { u"ok"_s, false } }), add, K::httpError,
            u"HTTP 0"_s },
        { u"apps.connections.open"_s, FakeReply::slackError(u"invalid_auth"_s), open,
            K::socketModeFailed, u"Socket Mode failed: invalid_auth"_s },
        { u"apps.connections.open"_s, FakeReply::json(ok), open, K::socketModeFailed,
            u"Socket Mode failed: no url in response"_s },
        { u"apps.connections.open"_s,
            FakeReply::json({ { u"ok"_s, true }, { u"url"_s, u"ws://[::1"_s } }), open,
            K::socketModeFailed, u"Socket Mode failed: no url in response"_s },
        { u"apps.connections.open"_s, FakeReply::json({ { u"ok"_s, false } }), open,
            K::socketModeFailed, u"Socket Mode failed: no url in response"_s },
        // One undecodable message fails the whole page.
        { u"conversations.history"_s,
            FakeReply::json({ { u"ok"_s, true },
                { u"messages"_s,
                    QJsonArray { QJsonObject { { u"type"_s, u"message"_s } },
                        QJsonObject { { u"text"_s, u"no type"_s } } } } }),
            history, K::decodingFailed,
            u"Decoding failed: messages[1].type: missing required value"_s },
        { u"auth.test"_s, FakeReply::http(404, "not found"), auth, K::httpError,
            u"HTTP 404: not found"_s },
        { u"auth.test"_s, FakeReply::http(404), auth, K::httpError, u"HTTP 404: "_s },
        { u"auth.test"_s, FakeReply::http(403, QByteArray("\xff\xfe", 2)), auth, K::httpError,
            u"HTTP 403"_s },
        { u"auth.test"_s, FakeReply::json({}), auth, K::decodingFailed, u"Decoding failed: …"_s },
        { u"auth.test"_s, FakeReply::http(200, "<html>maintenance</html>", "text/html"), auth,
            K::decodingFailed, u"Decoding failed: …"_s },
        { u"auth.test"_s, FakeReply::http(200, "[1,2]"), auth, K::decodingFailed,
            u"Decoding failed: expected a JSON object"_s },
        { u"auth.test"_s, FakeReply::json({ { u"ok"_s, u"true"_s } }), auth, K::decodingFailed,
            u"Decoding failed: ok: expected a boolean"_s },
        { u"auth.test"_s, FakeReply::json({ { u"ok"_s, true }, { u"team"_s, 7 } }), auth,
            K::decodingFailed, u"Decoding failed: team: expected a string"_s },
    };
    for (const Case& c : cases) {
        slack.clearRecords();
        slack.script(c.method, c.reply);
        const auto error = c.call();
        ASSERT_TRUE(error) << qPrintable(c.description);
        EXPECT_EQ(error->kind(), c.kind) << qPrintable(c.description);
        if (c.description.endsWith(u'…'))
            EXPECT_TRUE(error->description().startsWith(c.description.chopped(1)))
                << qPrintable(error->description());
        else
            EXPECT_EQ(error->description(), c.description);
        EXPECT_EQ(slack.requests().size(), 1) << qPrintable(c.description);
    }
    // The bot token is the wrong kind for opening a socket.
    EXPECT_EQ(errorOf(run(api.connectionsOpen(botToken()))).value().description(),
        u"Socket Mode failed: not_allowed_token_type"_s);
}

TEST_F(ResultsTest, HistoryPagesNewestFirstAndFollowsTheCursor)
{
    QStringList stamps;
    for (int i = 0; i < 250; ++i)
        stamps.append(slack.workspace().addMessage(u"C1"_s, { { u"text"_s, u"m"_s } }));
    const auto api = client();
    // Only messages after the 10th count; they come newest first, 100 to a page.
    QStringList seen;
    std::optional<QString> cursor;
    int pages = 0;
    do {
        const auto page = run(api.conversationsHistory(botToken(), u"C1"_s, stamps[9], cursor));
        ASSERT_TRUE(page) << qPrintable(page.error().description());
        ++pages;
        for (const SlackEventDTO& message : page->messages.value_or(QList<SlackEventDTO> {}))
            seen.append(message.ts.value_or(QString()));
        const bool more = page->has_more.value_or(false);
        cursor
            = more && page->response_metadata ? page->response_metadata->next_cursor : std::nullopt;
        ASSERT_EQ(more, cursor.has_value());
    } while (cursor && pages < 10);

    EXPECT_EQ(pages, 3);
    QStringList expected = stamps.mid(10);
    std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(seen, expected);
}

} // namespace
} // namespace halyard::test

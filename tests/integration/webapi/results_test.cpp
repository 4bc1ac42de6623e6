// What each call returns for Slack's answers: records, "ok": false per method, HTTP failures and
// bodies that are not what they should be.
#include "webapifixture.h"

#include <QJsonArray>

using namespace Qt::Literals::StringLiterals;

namespace halyard::test {
namespace {

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

TEST_F(ResultsTest, AuthTestReturnsTheRecordWhateverItsOk)
{
    const auto api = client();
    const auto good = run(api.authTest(botToken()));
    ASSERT_TRUE(good);
    EXPECT_TRUE(good->ok);
    EXPECT_EQ(good->team, u"Fake Team"_s);
    EXPECT_EQ(good->team_id, u"T0FAKE"_s);
    EXPECT_EQ(good->user, u"halyard"_s);

    const auto refused = run(api.authTest(u"xoxb-wrong"_s));
    ASSERT_TRUE(refused);
    EXPECT_FALSE(refused->ok);
    EXPECT_EQ(refused->error, u"invalid_auth"_s);
}

TEST_F(ResultsTest, ConnectionsOpenGivesTheSocketUrlOrSocketModeFailed)
{
    const auto api = client();
    const auto url = run(api.connectionsOpen(appToken()));
    ASSERT_TRUE(url) << qPrintable(url.error().description());
    EXPECT_EQ(url->scheme(), u"ws"_s);
    EXPECT_EQ(url->port(), slack.port());

    struct Case {
        FakeReply reply;
        QString description;
    };
    const Case cases[] = {
        { FakeReply::slackError(u"invalid_auth"_s), u"Socket Mode failed: invalid_auth"_s },
        { FakeReply::json({ { u"ok"_s, true } }), u"Socket Mode failed: no url in response"_s },
        { FakeReply::json({ { u"ok"_s, true }, { u"url"_s, u"ws://[::1"_s } }),
            u"Socket Mode failed: no url in response"_s },
        { FakeReply::json({ { u"ok"_s, false } }), u"Socket Mode failed: no url in response"_s },
    };
    for (const Case& c : cases) {
        slack.script(u"apps.connections.open"_s, c.reply);
        const auto failed = run(api.connectionsOpen(appToken()));
        ASSERT_FALSE(failed) << qPrintable(c.description);
        EXPECT_EQ(failed.error().kind(), SlackError::Kind::socketModeFailed);
        EXPECT_EQ(failed.error().description(), c.description);
    }
    // The bot token is the wrong kind for this method.
    const auto wrongToken = run(api.connectionsOpen(botToken()));
    ASSERT_FALSE(wrongToken);
    EXPECT_EQ(wrongToken.error().description(), u"Socket Mode failed: not_allowed_token_type"_s);
}

TEST_F(ResultsTest, UsersConversationsListsTheBotsChannels)
{
    const auto api = client();
    const auto channels = run(api.usersConversations(botToken()));
    ASSERT_TRUE(channels);
    ASSERT_EQ(channels->size(), 2);
    EXPECT_EQ(channels->at(0), (SlackWebAPI::Channel { u"C1"_s, u"alerts"_s, false }));
    EXPECT_EQ(channels->at(1), (SlackWebAPI::Channel { u"G1"_s, u"ops"_s, true }));

    slack.script(u"users.conversations"_s, FakeReply::json({ { u"ok"_s, true } }));
    const auto none = run(api.usersConversations(botToken()));
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->isEmpty());
}

TEST_F(ResultsTest, OkFalseFailsAsHttpStatusZeroWithSlacksError)
{
    struct Case {
        QString method;
        FakeReply reply;
        QString description;
    };
    const Case cases[] = {
        { u"users.conversations"_s, FakeReply::json({ { u"ok"_s, false } }), u"HTTP 0"_s },
        { u"users.conversations"_s, FakeReply::slackError(u"missing_scope"_s),
            u"HTTP 0: missing_scope"_s },
        { u"conversations.history"_s, FakeReply::slackError(u"not_in_channel"_s),
            u"HTTP 0: not_in_channel"_s },
        { u"reactions.get"_s, FakeReply::slackError(u"message_not_found"_s),
            u"HTTP 0: message_not_found"_s },
        { u"reactions.add"_s, FakeReply::slackError(u"invalid_name"_s), u"HTTP 0: invalid_name"_s },
        { u"reactions.add"_s, FakeReply::json({ { u"ok"_s, false } }), u"HTTP 0"_s },
    };
    const auto api = client();
    for (const Case& c : cases) {
        slack.clearRecords();
        slack.script(c.method, c.reply);
        std::optional<SlackError> error;
        if (c.method == u"users.conversations") {
            auto result = run(api.usersConversations(botToken()));
            error = result ? std::nullopt : std::optional(result.error());
        } else if (c.method == u"conversations.history") {
            auto result = run(api.conversationsHistory(botToken(), u"C1"_s, u"0"_s));
            error = result ? std::nullopt : std::optional(result.error());
        } else if (c.method == u"reactions.get") {
            auto result = run(api.reactionsGet(botToken(), u"C1"_s, u"1.0"_s));
            error = result ? std::nullopt : std::optional(result.error());
        } else {
            auto result = run(api.reactionsAdd(botToken(), u"C1"_s, u"ok"_s, u"1.0"_s));
            error = result ? std::nullopt : std::optional(result.error());
        }
        ASSERT_TRUE(error) << qPrintable(c.description);
        EXPECT_EQ(error->kind(), SlackError::Kind::httpError);
        EXPECT_EQ(error->httpStatus(), 0);
        EXPECT_EQ(error->description(), c.description);
        EXPECT_EQ(slack.requests().size(), 1) << "not retried: " << qPrintable(c.description);
    }
}

TEST_F(ResultsTest, AlreadyReactedCountsAsSuccess)
{
    const QString ts = slack.workspace().addMessage(u"C1"_s, { { u"text"_s, u"x"_s } });
    const auto api = client();
    EXPECT_TRUE(run(api.reactionsAdd(botToken(), u"C1"_s, u"eyes"_s, ts)));
    EXPECT_TRUE(run(api.reactionsAdd(botToken(), u"C1"_s, u"eyes"_s, ts)));
    EXPECT_EQ(slack.requests(u"reactions.add"_s).size(), 2);
    EXPECT_EQ(slack.workspace().reactions(u"C1"_s, ts).value(0).users, QStringList { u"U0BOT"_s });
}

TEST_F(ResultsTest, LookupsAnswerAbsentWhenSlackSaysNo)
{
    slack.workspace().addUser(u"U1"_s, u"ada"_s, u"Ada Lovelace"_s, u""_s);
    slack.workspace().addBot({ u"B1"_s, u"deploybot"_s, u"A1"_s });
    const auto api = client();

    const auto channel = run(api.conversationsInfo(botToken(), u"G1"_s));
    ASSERT_TRUE(channel);
    EXPECT_EQ(*channel, (SlackWebAPI::Channel { u"G1"_s, u"ops"_s, true }));
    const auto user = run(api.usersInfo(botToken(), u"U1"_s));
    ASSERT_TRUE(user && *user);
    EXPECT_EQ((*user)->displayName(), u"Ada Lovelace"_s);
    const auto bot = run(api.botsInfo(botToken(), u"B1"_s));
    ASSERT_TRUE(bot && *bot);
    EXPECT_EQ((*bot)->name, u"deploybot"_s);

    const auto noChannel = run(api.conversationsInfo(botToken(), u"C404"_s));
    const auto noUser = run(api.usersInfo(botToken(), u"U404"_s));
    const auto noBot = run(api.botsInfo(botToken(), u"B404"_s));
    ASSERT_TRUE(noChannel && noUser && noBot);
    EXPECT_FALSE(noChannel->has_value());
    EXPECT_FALSE(noUser->has_value());
    EXPECT_FALSE(noBot->has_value());
}

TEST_F(ResultsTest, HistoryPagesNewestFirstAndFollowsTheCursor)
{
    QStringList stamps;
    for (int i = 0; i < 250; ++i) {
        stamps.append(slack.workspace().addMessage(u"C1"_s,
            { { u"text"_s, QString(u"m"_s + QString::number(i)) }, { u"bot_id"_s, u"B1"_s } }));
    }
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

TEST_F(ResultsTest, OneUndecodableMessageFailsTheWholeHistoryPage)
{
    slack.script(u"conversations.history"_s,
        FakeReply::json({ { u"ok"_s, true },
            { u"messages"_s,
                QJsonArray { QJsonObject { { u"type"_s, u"message"_s }, { u"ts"_s, u"2.0"_s } },
                    QJsonObject { { u"ts"_s, u"1.0"_s }, { u"text"_s, u"no type"_s } } } } }));
    const auto api = client();
    const auto page = run(api.conversationsHistory(botToken(), u"C1"_s, u"0"_s));
    ASSERT_FALSE(page);
    EXPECT_EQ(page.error().kind(), SlackError::Kind::decodingFailed);
    EXPECT_EQ(
        page.error().description(), u"Decoding failed: messages[1].type: missing required value"_s);
}

TEST_F(ResultsTest, ReactionsGetReturnsTheMessageWithItsReactions)
{
    const QString ts = slack.workspace().addMessage(u"C1"_s, { { u"text"_s, u"x"_s } });
    slack.workspace().addReaction(u"C1"_s, ts, u"white_check_mark"_s, u"U7"_s);
    const auto api = client();
    const auto got = run(api.reactionsGet(botToken(), u"C1"_s, ts));
    ASSERT_TRUE(got) << qPrintable(got.error().description());
    ASSERT_TRUE(got->message && got->message->reactions);
    EXPECT_EQ(got->message->reactions->value(0).name, u"white_check_mark"_s);
    EXPECT_EQ(got->message->reactions->value(0).count, 1);
}

TEST_F(ResultsTest, UnexpectedAnswersFailWithAClearErrorAtTheFirstAttempt)
{
    struct Case {
        FakeReply reply;
        SlackError::Kind kind;
        QString description; // a prefix when it ends with "…"
    };
    const Case cases[] = {
        { FakeReply::http(404, "not found"), SlackError::Kind::httpError,
            u"HTTP 404: not found"_s },
        { FakeReply::http(404), SlackError::Kind::httpError, u"HTTP 404: "_s },
        { FakeReply::http(403, QByteArray("\xff\xfe", 2)), SlackError::Kind::httpError,
            u"HTTP 403"_s },
        { FakeReply::json({}), SlackError::Kind::decodingFailed, u"Decoding failed: …"_s },
        { FakeReply::http(200, "<html>maintenance</html>", "text/html"),
            SlackError::Kind::decodingFailed, u"Decoding failed: …"_s },
        { FakeReply::http(200, "[1,2]"), SlackError::Kind::decodingFailed,
            u"Decoding failed: expected a JSON object"_s },
        { FakeReply::json({ { u"ok"_s, u"true"_s } }), SlackError::Kind::decodingFailed,
            u"Decoding failed: ok: expected a boolean"_s },
        { FakeReply::json({ { u"ok"_s, true }, { u"team"_s, 7 } }),
            SlackError::Kind::decodingFailed, u"Decoding failed: team: expected a string"_s },
    };
    const auto api = client();
    for (const Case& c : cases) {
        slack.clearRecords();
        slack.script(u"auth.test"_s, c.reply);
        const auto result = run(api.authTest(botToken()));
        ASSERT_FALSE(result) << qPrintable(c.description);
        EXPECT_EQ(result.error().kind(), c.kind) << qPrintable(c.description);
        if (c.description.endsWith(u'…'))
            EXPECT_TRUE(result.error().description().startsWith(c.description.chopped(1)))
                << qPrintable(result.error().description());
        else
            EXPECT_EQ(result.error().description(), c.description);
        EXPECT_EQ(slack.requests().size(), 1) << qPrintable(c.description);
    }
}

} // namespace
} // namespace halyard::test

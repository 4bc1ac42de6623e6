// The simulated workspace answers the Web API the way Slack does; the demo and every test of the
// client rely on it: history order and bounds, paging, input and token errors, reactions. Names
// and the token errors the client meets are DirectoryResolverTest's and ResultsTest's.
#include "sim/workspace.h"

#include <QJsonArray>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard::sim {
namespace {

enum class Token { bot, app, none, empty, wrong };

// An answer in short: its error, or what it lists (message ts, channel IDs, a user's or bot's
// name, reactions as name:users), pages joined by " | " as far as the cursor leads.
QString summary(Workspace& workspace, const QString& method, Workspace::Params params, Token token)
{
    const std::optional<QString> tokens[]
        = { workspace.botToken, workspace.appToken, std::nullopt, u""_s, u"xoxb-wrong"_s };
    QStringList pages;
    while (pages.size() < 10) {
        const QJsonObject answer = workspace.handle(method, params, tokens[int(token)]);
        if (!answer.value(u"ok").toBool())
            return (pages << answer.value(u"error").toString()).join(u" | ");
        QStringList items;
        for (const QJsonValue message : answer.value(u"messages").toArray())
            items << message[u"ts"].toString();
        for (const QJsonValue channel : answer.value(u"channels").toArray())
            items << channel[u"id"].toString() + (channel[u"is_channel"].toBool() ? u"" : u"(p)");
        for (const QJsonValue reaction : answer[u"message"][u"reactions"].toArray()) {
            items << reaction[u"name"].toString() + u':'
                    + reaction[u"users"].toVariant().toStringList().join(u',');
        }
        for (const auto key : { u"user", u"bot" }) {
            if (answer.contains(key))
                items << answer[key][u"name"].toString();
        }
        pages << items.join(u' ');
        const QString cursor = answer[u"response_metadata"][u"next_cursor"].toString();
        if (cursor.isEmpty())
            break;
        params.removeIf([](const auto& param) { return param.first == u"cursor"; });
        params.append({ u"cursor"_s, cursor });
    }
    return pages.join(u" | ");
}

TEST(WorkspaceTest, AnswersLikeSlack)
{
    struct Case {
        QString method;
        Workspace::Params params;
        QString expected;
        Token token = Token::bot;
    };
    const QString all = u"12.000100 11.000001 10.000200 10.000100 9.5"_s;
    const Case cases[] = {
        // Newest first, ordered as numbers; a message without ts comes a second after the newest.
        { u"conversations.history"_s, { { u"channel"_s, u"C1"_s } }, all },
        { u"conversations.history"_s, { { u"channel"_s, u"C1"_s }, { u"oldest"_s, u"10.0001"_s } },
            u"12.000100 11.000001 10.000200"_s },
        { u"conversations.history"_s,
            { { u"channel"_s, u"C1"_s }, { u"oldest"_s, u"10.000100"_s },
                { u"latest"_s, u"11.000001"_s }, { u"inclusive"_s, u"true"_s } },
            u"11.000001 10.000200 10.000100"_s },
        { u"conversations.history"_s, { { u"channel"_s, u"C1"_s }, { u"latest"_s, u"10.0002"_s } },
            u"10.000100 9.5"_s },
        { u"conversations.history"_s, { { u"channel"_s, u"C1"_s }, { u"limit"_s, u"2"_s } },
            u"12.000100 11.000001 | 10.000200 10.000100 | 9.5"_s },
        { u"conversations.history"_s, { { u"channel"_s, u"C1"_s }, { u"limit"_s, u""_s } }, all },
        { u"conversations.history"_s, { { u"channel"_s, u"C1"_s }, { u"limit"_s, u"x"_s } },
            u"invalid_limit"_s },
        { u"conversations.history"_s, { { u"channel"_s, u"C1"_s }, { u"oldest"_s, u"x"_s } },
            u"invalid_ts_oldest"_s },
        { u"conversations.history"_s, { { u"channel"_s, u"C1"_s }, { u"cursor"_s, u"x"_s } },
            u"invalid_cursor"_s },
        { u"conversations.history"_s, { { u"channel"_s, u"C2"_s } }, u"not_in_channel"_s },
        { u"conversations.history"_s, { { u"channel"_s, u"C9"_s } }, u"channel_not_found"_s },
        // Public channels unless asked for more; only those the bot is in.
        { u"users.conversations"_s, {}, u"C1"_s },
        { u"users.conversations"_s,
            { { u"types"_s, u"public_channel,private_channel"_s }, { u"limit"_s, u"1"_s } },
            u"C1 | G1(p)"_s },
        // In order: the bot reacts once; a second time, a bad name or a missing message fail.
        { u"reactions.add"_s,
            { { u"channel"_s, u"C1"_s }, { u"timestamp"_s, u"9.5"_s }, { u"name"_s, u"eyes"_s } },
            u""_s },
        { u"reactions.add"_s,
            { { u"channel"_s, u"C1"_s }, { u"timestamp"_s, u"9.5"_s }, { u"name"_s, u"eyes"_s } },
            u"already_reacted"_s },
        { u"reactions.add"_s,
            { { u"channel"_s, u"C1"_s }, { u"timestamp"_s, u"9.5"_s }, { u"name"_s, u"Eyes"_s } },
            u"invalid_name"_s },
        { u"reactions.add"_s,
            { { u"channel"_s, u"C1"_s }, { u"timestamp"_s, u"9.6"_s }, { u"name"_s, u"eyes"_s } },
            u"message_not_found"_s },
        { u"reactions.get"_s, { { u"channel"_s, u"C1"_s }, { u"timestamp"_s, u"9.5"_s } },
            u"eyes:U1,U0BOT"_s },
        { u"auth.test"_s, {}, u"not_authed"_s, Token::none },
        { u"auth.test"_s, {}, u"not_authed"_s, Token::empty },
        { u"auth.test"_s, {}, u"not_allowed_token_type"_s, Token::app },
        { u"chat.postMessage"_s, {}, u"unknown_method"_s },
    };

    Workspace workspace;
    workspace.addChannel({ u"C1"_s, u"alerts"_s });
    workspace.addChannel({ u"G1"_s, u"ops"_s, true });
    workspace.addChannel({ u"C2"_s, u"random"_s, false, false });
    for (const QString& ts : { u"10.000100"_s, u"10.000200"_s, u"9.5"_s, u"11.000001"_s })
        workspace.addMessage(u"C1"_s, { { u"ts"_s, ts } });
    EXPECT_EQ(workspace.addMessage(u"C1"_s, {}), u"12.000100"_s);
    EXPECT_TRUE(workspace.addReaction(u"C1"_s, u"9.5"_s, u"eyes"_s, u"U1"_s));

    for (const Case& c : cases) {
        EXPECT_EQ(summary(workspace, c.method, c.params, c.token), c.expected)
            << c.method.toStdString() << ' ' << int(c.params.size()) << " parameters";
    }
}

} // namespace
} // namespace halyard::sim

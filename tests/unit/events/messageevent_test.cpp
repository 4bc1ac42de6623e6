#include "common/logcapture.h"
#include "slack/events/classifyevent.h"
#include "slack/events/messageevent.h"
#include "slack/events/reactionevent.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

SlackEventDTO event(const QByteArray& text)
{
    auto decoded = decodeSlackEventDTO(text);
    EXPECT_TRUE(decoded.has_value()) << text.constData();
    return decoded.value_or(SlackEventDTO {});
}

} // namespace

TEST(MessageEventFromEvent, WhichPayloadsBecomeMessages)
{
    struct Case {
        const char* name;
        const char* json;
        std::optional<QString> fallbackChannel;
        bool yields;
    } cases[] = {
        { "plain message", R"({"type":"message","channel":"C1","ts":"1.2","text":"t"})", {}, true },
        { "other type", R"({"type":"app_mention","channel":"C1","ts":"1.2","text":"t"})", {},
            false },
        { "no channel, no fallback", R"({"type":"message","ts":"1.2","text":"t"})", {}, false },
        { "no channel, fallback", R"({"type":"message","ts":"1.2","text":"t"})", u"C9"_s, true },
        { "empty channel is present", R"({"type":"message","channel":"","ts":"1.2","text":"t"})",
            {}, true },
        { "no ts", R"({"type":"message","channel":"C1","text":"t"})", {}, false },
        { "empty ts is present", R"({"type":"message","channel":"C1","ts":"","text":"t"})", {},
            true },
        { "no text anywhere", R"({"type":"message","channel":"C1","ts":"1.2","text":""})", {},
            false },
        { "message_changed",
            R"({"type":"message","subtype":"message_changed","channel":"C1","ts":"1","text":"t"})",
            {}, false },
        { "channel_join",
            R"({"type":"message","subtype":"channel_join","channel":"C1","ts":"1","text":"t"})", {},
            false },
        { "unknown subtype is a plain message",
            R"({"type":"message","subtype":"thread_broadcast","channel":"C1","ts":"1","text":"t"})",
            {}, true },
        { "subtype case matters",
            R"({"type":"message","subtype":"Channel_Join","channel":"C1","ts":"1","text":"t"})", {},
            true },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MessageEvent::fromEvent(event(c.json), c.fallbackChannel).has_value(), c.yields)
            << c.name;
    }
    EXPECT_EQ(ignoredMessageSubtypes().size(), 21);
    EXPECT_FALSE(ignoredMessageSubtypes().contains(u"bot_message"_s));
}

TEST(MessageEventFromEvent, ChannelPrefersThePayloadOverTheFallback)
{
    auto message = MessageEvent::fromEvent(
        event(R"({"type":"message","channel":"C1","ts":"1.2","text":"t"})"), u"C9"_s);
    ASSERT_TRUE(message);
    EXPECT_EQ(message->channelId, u"C1"_s);
}

TEST(MessageEventFromEvent, PosterIdentity)
{
    struct Case {
        const char* name;
        const char* json;
        MessageEvent expected;
    } cases[] = {
        { "person", R"({"type":"message","channel":"C","ts":"1","text":"t","user":"U1"})",
            { u"C"_s, u"U1"_s, u"t"_s, u"1"_s, {}, false } },
        { "bot_message without bot_id",
            R"({"type":"message","subtype":"bot_message","channel":"C","ts":"1","text":"t"})",
            { u"C"_s, {}, u"t"_s, u"1"_s, {}, true } },
        { "bot_id stands in for the user",
            R"({"type":"message","channel":"C","ts":"1","text":"t","bot_id":"B1"})",
            { u"C"_s, u"B1"_s, u"t"_s, u"1"_s, {}, true } },
        { "user wins over bot_id",
            R"({"type":"message","channel":"C","ts":"1","text":"t","user":"U1","bot_id":"B1"})",
            { u"C"_s, u"U1"_s, u"t"_s, u"1"_s, {}, true } },
        { "nameless bot_profile still marks a bot",
            R"({"type":"message","channel":"C","ts":"1","text":"t","bot_profile":{}})",
            { u"C"_s, {}, u"t"_s, u"1"_s, {}, true } },
        { "empty username falls back to the profile name",
            R"({"type":"message","channel":"C","ts":"1","text":"t","username":"",
                "bot_profile":{"name":"Grafana"}})",
            { u"C"_s, {}, u"t"_s, u"1"_s, u"Grafana"_s, true } },
        { "username wins over the profile name",
            R"({"type":"message","channel":"C","ts":"1","text":"t","username":"deploy",
                "bot_profile":{"name":"Grafana"}})",
            { u"C"_s, {}, u"t"_s, u"1"_s, u"deploy"_s, true } },
        { "empty names give none",
            R"({"type":"message","channel":"C","ts":"1","text":"t","username":"",
                "bot_profile":{"name":""}})",
            { u"C"_s, {}, u"t"_s, u"1"_s, {}, true } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(MessageEvent::fromEvent(event(c.json)), c.expected) << c.name;
}

TEST(MessageEventTimestamp, WholeSecondsOfTheFirstPieceOrTheEpoch)
{
    struct Case {
        QString ts;
        double seconds;
    } cases[] = {
        { u"1700000000.000100"_s, 1700000000 }, { u"1700000000"_s, 1700000000 },
        { u".1700000000"_s, 1700000000 }, // empty pieces are dropped
        { u"1700000000..5"_s, 1700000000 }, { u""_s, 0 }, { u"."_s, 0 }, { u"abc.123"_s, 0 },
        { u" 17.5"_s, 0 }, { u"17 .5"_s, 0 }, { u"-5.0"_s, -5 }, { u"1e3.0"_s, 1000 },
        { u"nan.1"_s, 0 }, { u"inf"_s, 0 }, { u"1e400"_s, 0 }, // overflows to infinity
        { u"0x10.0"_s, 0 }, { u"17.\u0301"_s, 0 }, // a dot carrying a combining mark is no dot
    };
    for (const Case& c : cases) {
        MessageEvent message;
        message.ts = c.ts;
        EXPECT_EQ(message.timestampDate(), c.seconds) << qPrintable(c.ts);
    }
}

TEST(ReactionEventFromEvent, OnlyReactionsAddedToMessages)
{
    const char* complete = R"({"type":"reaction_added","user":"U1","reaction":"white_check_mark",
        "item":{"type":"message","channel":"C1","ts":"1.2"},"item_user":"U2"})";
    EXPECT_EQ(ReactionEvent::fromEvent(event(complete)),
        (ReactionEvent { u"U1"_s, u"white_check_mark"_s, u"C1"_s, u"1.2"_s }));

    const char* rejected[] = {
        R"({"type":"reaction_removed","user":"U1","reaction":"x",
            "item":{"type":"message","channel":"C1","ts":"1.2"}})",
        R"({"type":"reaction_added","reaction":"x","item":{"type":"message","channel":"C1",
            "ts":"1.2"}})",
        R"({"type":"reaction_added","user":"U1","item":{"type":"message","channel":"C1",
            "ts":"1.2"}})",
        R"({"type":"reaction_added","user":"U1","reaction":"x"})",
        R"({"type":"reaction_added","user":"U1","reaction":"x","item":{"type":"file",
            "channel":"C1","ts":"1.2"}})",
        R"({"type":"reaction_added","user":"U1","reaction":"x","item":{"channel":"C1",
            "ts":"1.2"}})",
        R"({"type":"reaction_added","user":"U1","reaction":"x","item":{"type":"message",
            "ts":"1.2"}})",
        R"({"type":"reaction_added","user":"U1","reaction":"x","item":{"type":"message",
            "channel":"C1"}})",
    };
    for (const char* json : rejected)
        EXPECT_EQ(ReactionEvent::fromEvent(event(json)), std::nullopt) << json;

    auto unnamed = ReactionEvent::fromEvent(event(R"({"type":"reaction_added","user":"U1",
        "reaction":"","item":{"type":"message","channel":"C1","ts":"1.2"}})"));
    ASSERT_TRUE(unnamed);
    EXPECT_EQ(unnamed->reaction, u""_s);
}

TEST(ClassifyEvent, DispatchesMessagesThenReactionsAndLogsWhatItDropped)
{
    test::LogCapture log;

    auto message = classifyEvent(
        event(R"({"type":"message","channel":"C1","ts":"1.2","text":"t","bot_id":"B1"})"));
    ASSERT_TRUE(message && std::holds_alternative<MessageEvent>(*message));
    auto person = classifyEvent(
        event(R"({"type":"message","channel":"C2","ts":"3.4","text":"t","user":"U1"})"));
    ASSERT_TRUE(person && std::holds_alternative<MessageEvent>(*person));

    auto reaction = classifyEvent(event(R"({"type":"reaction_added","user":"U1",
        "reaction":"eyes","item":{"type":"message","channel":"C1","ts":"1.2"}})"));
    ASSERT_TRUE(reaction && std::holds_alternative<ReactionEvent>(*reaction));

    // A history message has no channel; live events get no fallback, so it is dropped.
    EXPECT_FALSE(classifyEvent(event(R"({"type":"message","ts":"1.2","text":"t"})")));
    EXPECT_FALSE(classifyEvent(event(R"({"type":"reaction_added","user":"U1","reaction":"eyes",
        "item":{"type":"file","file":"F1"}})")));
    EXPECT_FALSE(classifyEvent(event(
        R"({"type":"message","subtype":"channel_join","channel":"C1","ts":"1","text":"t"})")));

    EXPECT_EQ(log.messages(u"socket"_s),
        (QStringList {
            u"Dispatching message: channel=C1 ts=1.2 isBot=true"_s,
            u"Dispatching message: channel=C2 ts=3.4 isBot=false"_s,
            u"Dispatching reaction: channel=C1 ts=1.2 emoji=eyes user=U1"_s,
            u"Event dropped by all decoders: type=message subtype=<nil>"_s,
            u"Event dropped by all decoders: type=reaction_added subtype=<nil>"_s,
            u"Event dropped by all decoders: type=message subtype=channel_join"_s,
        }));
    for (const auto& line : log.lines())
        EXPECT_EQ(line.type, QtDebugMsg);
}

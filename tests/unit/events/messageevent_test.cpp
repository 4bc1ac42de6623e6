#include "common/logcapture.h"
#include "slack/events/classifyevent.h"
#include "slack/events/messageevent.h"
#include "slack/events/reactionevent.h"

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

// A message event with the given members after its type.
SlackEventDTO message(const char* members)
{
    return event(R"({"type":"message",)" + QByteArray(members) + '}');
}

// A reaction_added event whose item holds the given members.
SlackEventDTO reaction(const char* members, const char* item)
{
    return event(
        R"({"type":"reaction_added",)" + QByteArray(members) + R"(,"item":{)" + item + "}}");
}

} // namespace

TEST(MessageEventFromEvent, WhichPayloadsBecomeMessagesAndTheirChannel)
{
    struct Case {
        const char* json;
        std::optional<QString> fallback;
        std::optional<QString> channel; // absent: no message
    } cases[] = {
        { R"("channel":"C1","ts":"1","text":"t")", {}, u"C1"_s },
        { R"("channel":"C1","ts":"1","text":"t")", u"C9"_s, u"C1"_s },
        { R"("ts":"1","text":"t")", {}, {} },
        { R"("ts":"1","text":"t")", u"C9"_s, u"C9"_s },
        { R"("channel":"","ts":"1","text":"t")", {}, u""_s },
        { R"("channel":"C1","text":"t")", {}, {} },
        { R"("channel":"C1","ts":"","text":"t")", {}, u"C1"_s },
        { R"("channel":"C1","ts":"1","text":"")", {}, {} },
        { R"("subtype":"message_changed","channel":"C1","ts":"1","text":"t")", {}, {} },
        { R"("subtype":"channel_join","channel":"C1","ts":"1","text":"t")", {}, {} },
        { R"("subtype":"thread_broadcast","channel":"C1","ts":"1","text":"t")", {}, u"C1"_s },
        { R"("subtype":"Channel_Join","channel":"C1","ts":"1","text":"t")", {}, u"C1"_s },
    };
    for (const Case& c : cases) {
        const auto got = MessageEvent::fromEvent(message(c.json), c.fallback);
        EXPECT_EQ(got ? std::optional(got->channelId) : std::nullopt, c.channel) << c.json;
    }
    EXPECT_FALSE(MessageEvent::fromEvent(
        event(R"({"type":"app_mention","channel":"C1","ts":"1","text":"t"})")));
    EXPECT_EQ(ignoredMessageSubtypes().size(), 21);
    EXPECT_FALSE(ignoredMessageSubtypes().contains(u"bot_message"_s));
}

TEST(MessageEventFromEvent, PosterIdentity)
{
    struct Case {
        const char* json;
        std::optional<QString> userId;
        std::optional<QString> name;
        bool isBot;
    } cases[] = {
        { R"("user":"U1")", u"U1"_s, {}, false },
        { R"("subtype":"bot_message")", {}, {}, true },
        { R"("bot_id":"B1")", u"B1"_s, {}, true },
        { R"("user":"U1","bot_id":"B1")", u"U1"_s, {}, true },
        { R"("bot_profile":{})", {}, {}, true },
        { R"("username":"","bot_profile":{"name":"Grafana"})", {}, u"Grafana"_s, true },
        { R"("username":"deploy","bot_profile":{"name":"Grafana"})", {}, u"deploy"_s, true },
        { R"("username":"","bot_profile":{"name":""})", {}, {}, true },
    };
    for (const Case& c : cases) {
        const QByteArray json = R"("channel":"C","ts":"1","text":"t",)" + QByteArray(c.json);
        EXPECT_EQ(MessageEvent::fromEvent(message(json.constData())),
            (MessageEvent { u"C"_s, c.userId, u"t"_s, u"1"_s, c.name, c.isBot }))
            << c.json;
    }
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
    const char* item = R"("type":"message","channel":"C1","ts":"1.2")";
    EXPECT_EQ(ReactionEvent::fromEvent(reaction(R"("user":"U1","reaction":"eyes")", item)),
        (ReactionEvent { u"U1"_s, u"eyes"_s, u"C1"_s, u"1.2"_s }));
    EXPECT_EQ(
        ReactionEvent::fromEvent(reaction(R"("user":"U1","reaction":"")", item))->reaction, u""_s);

    const std::pair<const char*, const char*> rejected[] = {
        { R"("reaction":"x")", item },
        { R"("user":"U1")", item },
        { R"("user":"U1","reaction":"x")", R"("type":"file","channel":"C1","ts":"1")" },
        { R"("user":"U1","reaction":"x")", R"("channel":"C1","ts":"1")" },
        { R"("user":"U1","reaction":"x")", R"("type":"message","ts":"1")" },
        { R"("user":"U1","reaction":"x")", R"("type":"message","channel":"C1")" },
    };
    for (const auto& [members, itemMembers] : rejected)
        EXPECT_EQ(ReactionEvent::fromEvent(reaction(members, itemMembers)), std::nullopt)
            << members << itemMembers;
    EXPECT_FALSE(ReactionEvent::fromEvent(event(R"({"type":"reaction_removed","user":"U1",
        "reaction":"x","item":{"type":"message","channel":"C1","ts":"1.2"}})")));
    EXPECT_FALSE(ReactionEvent::fromEvent(event(R"({"type":"reaction_added","user":"U1",
        "reaction":"x"})")));
}

TEST(ClassifyEvent, DispatchesMessagesThenReactionsAndLogsWhatItDropped)
{
    test::LogCapture log;
    const auto bot = classifyEvent(message(R"("channel":"C1","ts":"1.2","text":"t","bot_id":"B")"));
    ASSERT_TRUE(bot && std::holds_alternative<MessageEvent>(*bot));
    const auto person
        = classifyEvent(message(R"("channel":"C2","ts":"3.4","text":"t","user":"U")"));
    ASSERT_TRUE(person && std::holds_alternative<MessageEvent>(*person));
    const auto added = classifyEvent(reaction(
        R"("user":"U1","reaction":"eyes")", R"("type":"message","channel":"C1","ts":"1.2")"));
    ASSERT_TRUE(added && std::holds_alternative<ReactionEvent>(*added));
    // A history message has no channel; live events get no fallback, so it is dropped.
    EXPECT_FALSE(classifyEvent(message(R"("ts":"1.2","text":"t")")));
    EXPECT_FALSE(classifyEvent(reaction(R"("user":"U1","reaction":"eyes")", R"("type":"file")")));
    EXPECT_FALSE(
        classifyEvent(message(R"("subtype":"channel_join","channel":"C1","ts":"1","text":"t")")));

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

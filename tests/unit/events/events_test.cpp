#include "slack/events/messageevent.h"
#include "slack/events/reactionevent.h"
#include "slack/events/slackevent.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

// Nests `levels` rich-text sections around one text element.
QByteArray nestedSections(int levels)
{
    QByteArray inner = R"({"type":"text","text":"deep"})";
    for (int i = 0; i < levels; ++i)
        inner = R"({"type":"rich_text_section","elements":[)" + inner + "]}";
    return R"({"type":"message","blocks":[{"type":"rich_text","elements":[)" + inner + "]}]}";
}

SlackEventDTO event(const QByteArray& text)
{
    auto decoded = decodeSlackEventDTO(text);
    EXPECT_TRUE(decoded.has_value())
        << text.constData() << ": " << (decoded ? "" : qPrintable(decoded.error().description()));
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

// The fields themselves are read in PieceSourcesAndTheirPrecedence, PosterIdentity and
// OnlyReactionsAddedToMessages.
TEST(SlackEventDecoding, NullIsAbsentAndUnknownKeysAreIgnored)
{
    auto event = decodeSlackEventDTO(R"({"type":"message","subtype":null,"team":"T1",
        "blocks":[{"type":"rich_text","text":null,"elements":null}],"future":{"x":[1]},
        "reactions":[{"name":null,"count":null}]})");
    ASSERT_TRUE(event.has_value()) << qPrintable(event.error().description());
    EXPECT_EQ(event->subtype, std::nullopt);
    EXPECT_EQ(event->blocks->at(0), (SlackEventDTO::Block { u"rich_text"_s, {}, {}, {}, {} }));
    EXPECT_EQ(event->reactions->at(0), SlackEventDTO::ReactionSummary {});
}

// What the intake needs fails the payload with its key path; what only feeds the display is
// taken as absent, or loses just the odd element.
TEST(SlackEventDecoding, WrongTypesFailOnlyWhatTheIntakeNeeds)
{
    const std::pair<const char*, QString> failing[] = {
        { R"({})", u"type: missing required value"_s },
        { R"({"type":7})", u"type: expected a string"_s },
        { R"({"type":"m","subtype":false})", u"subtype: expected a string"_s },
        { R"({"type":"m","channel":["C1"]})", u"channel: expected a string"_s },
        { R"({"type":"m","ts":1700000000.5})", u"ts: expected a string"_s },
        { R"({"type":"m","user":{}})", u"user: expected a string"_s },
        { R"({"type":"m","bot_id":1})", u"bot_id: expected a string"_s },
        { R"({"type":"r","item":{"ts":12}})", u"item.ts: expected a string"_s },
        { R"("message")", u"expected a JSON object"_s },
    };
    for (const auto& [json, description] : failing) {
        auto event = decodeSlackEventDTO(json);
        ASSERT_FALSE(event.has_value()) << json;
        EXPECT_EQ(event.error().description(), description) << json;
    }
    const std::pair<const char*, std::optional<QString>> lenient[] = {
        { R"("text":"M","attachments":[{"fields":[{"title":"count","value":5},
            {"title":7,"value":"up"}]}])",
            u"M\nup"_s },
        { R"("text":5,"attachments":[3,"x",{"text":"A","fields":"f","pretext":[]}])", u"A"_s },
        { R"("attachments":{"text":"not a list"},"blocks":[1,{"type":"s","text":42},
            {"type":"s","text":{"text":5}},{"type":"s","text":{"text":"S"}}])",
            u"S"_s },
        { R"("blocks":[{"type":"rich_text","elements":[{"type":"rich_text_section","elements":
            [{"type":"text","text":"a"},{"type":"link","url":0},7,{"type":"text","text":"b"}]}]}])",
            u"ab"_s },
        { R"("username":9,"bot_profile":"Grafana","reactions":[{"name":"x","count":1.5},4],
            "files":7,"edited":"yes","text":"T")",
            u"T"_s },
    };
    for (const auto& [members, text] : lenient)
        EXPECT_EQ(message(members).displayText(), text) << members;
    const SlackEventDTO odd = message(R"("username":9,"bot_profile":"G","reactions":[{"name":"x",
        "count":"1"},{"name":"ok","count":2},null])");
    EXPECT_FALSE(odd.username || odd.bot_profile);
    EXPECT_EQ(
        odd.reactions, (QList<SlackEventDTO::ReactionSummary> { { u"x"_s, {} }, { u"ok"_s, 2 } }));
}

TEST(SlackEventDecoding, NestingBeyondTheLimitIsReadWithoutItsText)
{
    const int deepest = SlackEventDTO::kMaxBlockDepth;
    // rich_text is level 1, the text element sits below `levels` sections.
    EXPECT_EQ(event(nestedSections(deepest - 2)).displayText(), u"deep"_s);
    EXPECT_EQ(event(nestedSections(deepest - 1)).displayText(), std::nullopt);
    // Far beyond the limit, and with a wrong type down there, the payload still decodes.
    QByteArray hostile = nestedSections(400);
    hostile.replace(R"("text":"deep")", R"("text":5)");
    EXPECT_EQ(event(hostile).displayText(), std::nullopt);
}

TEST(SlackEventDisplayText, PieceSourcesAndTheirPrecedence)
{
    const std::pair<const char*, std::optional<QString>> cases[] = {
        // Text, then attachment pieces, then fields with a value; fallback is not shown.
        { R"({"text":"M","attachments":[{"pretext":"P","title":"T","text":"X","fallback":"F",
            "fields":[{"title":"Host","value":"db1"},{"title":"","value":"up"},
            {"title":"Note","value":""},{"title":"Only"}]},{"text":"second"}]})",
            u"M\nP\nT\nX\nHost: db1\nup\nsecond"_s },
        { R"({"text":"D","blocks":[{"type":"section","text":{"text":"ignored beside a text"}}]})",
            u"D"_s },
        // Rich text sections and list items become lines; mentions and emoji give nothing.
        { R"({"text":"","blocks":[{"type":"rich_text","elements":[
            {"type":"rich_text_section","elements":[{"type":"text","text":"Disk "},
             {"type":"link","url":"https://g/d","text":"full"},{"type":"user","user_id":"U1"},
             {"type":"emoji","name":"fire"},{"type":"broadcast","range":"here"}]},
            {"type":"rich_text_list","elements":[
             {"type":"rich_text_section","elements":[{"type":"text","text":"a"}]},
             {"type":"rich_text_section","elements":[{"type":"text","text":"b"}]}]}]}]})",
            u"Disk full\na\nb"_s },
        { R"({"blocks":[{"type":"rich_text","elements":[{"type":"rich_text_section","elements":[
            {"type":"text","text":"see "},{"type":"link","url":"https://x/a"}]}]}]})",
            u"see https://x/a"_s },
        { R"({"blocks":[{"type":"rich_text","elements":[{"type":"rich_text_quote","elements":[
            {"type":"link","url":"https://u","elements":[{"type":"text","text":"styled"}]}]}]}]})",
            u"styled"_s },
        // Header and section text are read; a divider adds nothing.
        { R"({"blocks":[{"type":"header","text":{"text":"Alert"}},
            {"type":"section","text":{"text":"*CPU* high"}},{"type":"divider"}]})",
            u"Alert\n*CPU* high"_s },
        { R"({"blocks":[{"type":"section","text":{"text":"S"}}],"attachments":[{"fallback":"F"}]})",
            u"S"_s },
        { R"({"text":"","blocks":[{"type":"rich_text","elements":[
            {"type":"rich_text_section","elements":[{"type":"user","user_id":"U1"}]},
            {"type":"rich_text_section","elements":[]}]}]})",
            std::nullopt },
        { R"({})", std::nullopt },
    };
    for (const auto& [members, expected] : cases) {
        QByteArray json = members;
        json.insert(1, R"("type":"message",)");
        if (json.endsWith(",}"))
            json.replace(",}", "}");
        EXPECT_EQ(event(json).displayText(), expected) << members;
    }
}

TEST(MessageEventFromEvent, WhichPayloadsBecomeMessagesAndTheirChannel)
{
    const std::tuple<const char*, std::optional<QString>, std::optional<QString>> cases[] = {
        { R"("channel":"C1","ts":"1.0","text":"t")", u"C9"_s, u"C1"_s },
        { R"("ts":"1.0","text":"t")", {}, {} },
        { R"("ts":"1.0","text":"t")", u"C9"_s, u"C9"_s },
        { R"("channel":"","ts":"1.0","text":"t")", {}, u""_s },
        // The ts names the message later on: only Slack's form is taken.
        { R"("channel":"C1","ts":"","text":"t")", {}, {} },
        { R"("channel":"C1","ts":"1e9","text":"t")", {}, {} },
        { R"("channel":"C1","ts":"1.0","text":"")", {}, {} },
        { R"("subtype":"message_changed","channel":"C1","ts":"1.0","text":"t")", {}, {} },
        { R"("subtype":"thread_broadcast","channel":"C1","ts":"1.0","text":"t")", {}, u"C1"_s },
        { R"("subtype":"Channel_Join","channel":"C1","ts":"1.0","text":"t")", {}, u"C1"_s },
    };
    for (const auto& [json, fallback, channel] : cases) {
        const auto got = MessageEvent::fromEvent(message(json), fallback);
        EXPECT_EQ(got ? std::optional(got->channelId) : std::nullopt, channel) << json;
    }
    EXPECT_FALSE(MessageEvent::fromEvent(
        event(R"({"type":"app_mention","channel":"C1","ts":"1","text":"t"})")));
    EXPECT_FALSE(ignoredMessageSubtypes().contains(u"bot_message"_s));
}

TEST(MessageEventFromEvent, PosterIdentity)
{
    const std::tuple<const char*, std::optional<QString>, std::optional<QString>, bool> cases[] = {
        { R"("user":"U1")", u"U1"_s, {}, false },
        { R"("subtype":"bot_message")", {}, {}, true },
        { R"("bot_id":"B1")", u"B1"_s, {}, true },
        { R"("user":"U1","bot_id":"B1")", u"U1"_s, {}, true },
        { R"("username":"","bot_profile":{"name":"Grafana"})", {}, u"Grafana"_s, true },
        { R"("username":"deploy","bot_profile":{"name":"Grafana"})", {}, u"deploy"_s, true },
        { R"("username":"","bot_profile":{"name":""})", {}, {}, true },
    };
    for (const auto& [members, userId, name, isBot] : cases) {
        const QByteArray json = R"("channel":"C","ts":"1.0","text":"t",)" + QByteArray(members);
        EXPECT_EQ(MessageEvent::fromEvent(message(json.constData())),
            (MessageEvent { u"C"_s, userId, u"t"_s, u"1.0"_s, name, isBot }))
            << members;
    }
}

TEST(MessageEventTimestamp, WholeSecondsOfSlacksFormOnly)
{
    const std::tuple<QString, double> cases[] = {
        { u"1700000000.000100"_s, 1700000000 }, { u"0017.9"_s, 17 },
        // Anything but digits, a dot and digits is no posting time.
        { u"1700000000"_s, 0 }, { u".1700000000"_s, 0 }, { u"1700000000."_s, 0 },
        { u"1700000000..5"_s, 0 }, { u"1e9.0"_s, 0 }, { u"-5.0"_s, 0 }, { u" 17.5"_s, 0 },
        { u"inf.0"_s, 0 }, { u"17.\u0301"_s, 0 }, { u"\u0661\u0662.5"_s, 0 },
        { QString(400, u'9') + u".0"_s, 0 }, // overflows to infinity
    };
    for (const auto& [ts, seconds] : cases) {
        MessageEvent message;
        message.ts = ts;
        EXPECT_EQ(message.timestampDate(), seconds) << qPrintable(ts);
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

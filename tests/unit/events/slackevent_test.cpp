#include "slack/events/slackevent.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

std::optional<QString> displayTextOf(const QByteArray& text)
{
    auto event = decodeSlackEventDTO(text);
    EXPECT_TRUE(event.has_value()) << (event ? "" : qPrintable(event.error().description()));
    return event ? event->displayText() : std::nullopt;
}

// Nests `levels` rich-text sections around one text element.
QByteArray nestedSections(int levels)
{
    QByteArray inner = R"({"type":"text","text":"deep"})";
    for (int i = 0; i < levels; ++i)
        inner = R"({"type":"rich_text_section","elements":[)" + inner + "]}";
    return R"({"type":"message","blocks":[{"type":"rich_text","elements":[)" + inner + "]}]}";
}

} // namespace

TEST(SlackEventDecoding, ReadsFieldsTreatsNullAsAbsentAndIgnoresUnknownKeys)
{
    auto event = decodeSlackEventDTO(R"({"type":"message","subtype":null,"bot_id":"B1",
        "bot_profile":{"name":"CI"},"attachments":[{"fields":[{"title":"H","value":"db1"}]}],
        "blocks":[{"type":"section","text":{"type":"mrkdwn","text":"s"}},{"type":"text",
        "text":"plain"},{"type":"rich_text","text":null,"elements":null}],"item":{"channel":"C2"},
        "reactions":[{"name":"eyes","count":3},{"name":null,"count":null}],"team":"T1"})");
    ASSERT_TRUE(event.has_value()) << qPrintable(event.error().description());
    EXPECT_EQ(event->type, u"message"_s);
    EXPECT_EQ(event->subtype, std::nullopt);
    EXPECT_EQ(event->bot_id, u"B1"_s);
    EXPECT_EQ(event->bot_profile->name, u"CI"_s);
    EXPECT_EQ(event->attachments->at(0).fields->at(0).value, u"db1"_s);
    EXPECT_EQ(event->blocks->at(0).text, (SlackEventDTO::Block::BlockText { u"mrkdwn"_s, u"s"_s }));
    EXPECT_EQ(event->blocks->at(0).plainText, std::nullopt);
    EXPECT_EQ(event->blocks->at(1).text, std::nullopt);
    EXPECT_EQ(event->blocks->at(1).plainText, u"plain"_s);
    EXPECT_EQ(event->blocks->at(2), (SlackEventDTO::Block { u"rich_text"_s, {}, {}, {}, {} }));
    EXPECT_EQ(event->item->channel, u"C2"_s);
    EXPECT_EQ(event->reactions->at(0).count, 3);
    EXPECT_EQ(event->reactions->at(1), SlackEventDTO::ReactionSummary {});
}

TEST(SlackEventDecoding, WrongTypesFailTheWholePayloadWithTheKeyPath)
{
    const QString textError = u"expected a text object or a string"_s;
    struct Case {
        const char* json;
        QString description;
    } cases[] = {
        { R"({})", u"type: missing required value"_s },
        { R"({"type":null})", u"type: missing required value"_s },
        { R"({"type":7})", u"type: expected a string"_s },
        { R"({"type":"m","ts":1.1})", u"ts: expected a string"_s },
        { R"({"type":"m","bot_profile":"CI"})", u"bot_profile: expected an object"_s },
        { R"({"type":"m","attachments":{}})", u"attachments: expected an array"_s },
        { R"({"type":"m","attachments":[{"fields":[{"value":1}]}]})",
            u"attachments[0].fields[0].value: expected a string"_s },
        { R"({"type":"m","blocks":[{"type":"s","text":42}]})", u"blocks[0].text: "_s + textError },
        { R"({"type":"m","blocks":[{"type":"s","text":true}]})",
            u"blocks[0].text: "_s + textError },
        { R"({"type":"m","blocks":[{"type":"s","text":["a"]}]})",
            u"blocks[0].text: "_s + textError },
        // An object that is not a text object is then read as a string, and is not one.
        { R"({"type":"m","blocks":[{"type":"s","text":{"text":5}}]})",
            u"blocks[0].text: "_s + textError },
        { R"({"type":"m","blocks":[{"type":"rich_text","elements":[{"type":"text"},{"type":"link","url":0}]}]})",
            u"blocks[0].elements[1].url: expected a string"_s },
        { R"({"type":"m","blocks":["section"]})", u"blocks[0]: expected an object"_s },
        { R"({"type":"r","item":{"ts":12}})", u"item.ts: expected a string"_s },
        { R"({"type":"m","reactions":[{"count":1.5}]})",
            u"reactions[0].count: expected a 64-bit integer"_s },
        { R"({"type":"m","reactions":[{"count":"2"}]})",
            u"reactions[0].count: expected a 64-bit integer"_s },
        { R"("message")", u"expected a JSON object"_s },
    };
    for (const Case& c : cases) {
        auto event = decodeSlackEventDTO(c.json);
        ASSERT_FALSE(event.has_value()) << c.json;
        EXPECT_EQ(event.error().description(), c.description) << c.json;
    }
}

TEST(SlackEventDecoding, NestingBeyondTheLimitIsReadWithoutItsText)
{
    const int deepest = SlackEventDTO::kMaxBlockDepth;
    // rich_text is level 1, the text element sits below `levels` sections.
    EXPECT_EQ(displayTextOf(nestedSections(deepest - 2)), u"deep"_s);
    EXPECT_EQ(displayTextOf(nestedSections(deepest - 1)), std::nullopt);
    // Far beyond the limit, and with a wrong type down there, the payload still decodes.
    QByteArray hostile = nestedSections(400);
    hostile.replace(R"("text":"deep")", R"("text":5)");
    auto event = decodeSlackEventDTO(hostile);
    ASSERT_TRUE(event.has_value());
    EXPECT_EQ(event->displayText(), std::nullopt);
}

TEST(SlackEventDisplayText, PieceSourcesAndTheirPrecedence)
{
    struct Case {
        const char* json;
        std::optional<QString> expected;
    } cases[] = {
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
        { R"({"attachments":[{"fallback":"F1"},{"fallback":""},{"fallback":"F2"}]})", u"F1\nF2"_s },
        { R"({"blocks":[{"type":"section","text":{"text":"S"}}],"attachments":[{"fallback":"F"}]})",
            u"S"_s },
        { R"({"text":"","blocks":[{"type":"rich_text","elements":[
            {"type":"rich_text_section","elements":[{"type":"user","user_id":"U1"}]},
            {"type":"rich_text_section","elements":[]}]}]})",
            std::nullopt },
        { R"({})", std::nullopt },
    };
    for (const Case& c : cases) {
        QByteArray json = c.json;
        json.insert(1, R"("type":"message",)");
        if (json.endsWith(",}"))
            json.replace(",}", "}");
        EXPECT_EQ(displayTextOf(json), c.expected) << c.json;
    }
}

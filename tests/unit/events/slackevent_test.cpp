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
    return R"({"type":"message","text":"","blocks":[{"type":"rich_text","elements":[)" + inner
        + "]}]}";
}

} // namespace

TEST(SlackEventDecoding, ReadsEveryFieldAndIgnoresUnknownKeys)
{
    auto event = decodeSlackEventDTO(R"({
        "type":"message","subtype":"bot_message","channel":"C1","user":"U1","bot_id":"B1",
        "text":"hi","ts":"1700000000.000100","username":"deploy","bot_profile":{"name":"CI"},
        "attachments":[{"fallback":"f","pretext":"p","title":"t","text":"x",
                        "fields":[{"title":"Host","value":"db1","short":true}]}],
        "blocks":[{"type":"section","text":{"type":"mrkdwn","text":"s"},"block_id":"b"}],
        "reaction":"eyes","item":{"type":"message","channel":"C2","ts":"1.2"},
        "reactions":[{"name":"eyes","count":3,"users":["U1"]}],
        "team":"T1","client_msg_id":"x","event_ts":"1.0"})");
    ASSERT_TRUE(event.has_value()) << qPrintable(event.error().description());
    EXPECT_EQ(event->type, u"message"_s);
    EXPECT_EQ(event->bot_id, u"B1"_s);
    EXPECT_EQ(event->bot_profile->name, u"CI"_s);
    EXPECT_EQ(event->attachments->at(0).fields->at(0).value, u"db1"_s);
    EXPECT_EQ(event->blocks->at(0).text->text, u"s"_s);
    EXPECT_FALSE(event->blocks->at(0).plainText.has_value());
    EXPECT_EQ(event->item->channel, u"C2"_s);
    EXPECT_EQ(event->reactions->at(0).count, 3);
}

TEST(SlackEventDecoding, NullIsAbsent)
{
    auto event
        = decodeSlackEventDTO(R"({"type":"message","subtype":null,"channel":null,"bot_profile":null,
        "attachments":null,"blocks":[{"type":"rich_text","text":null,"elements":null}],
        "item":null,"reactions":[{"name":null,"count":null}]})");
    ASSERT_TRUE(event.has_value()) << qPrintable(event.error().description());
    EXPECT_EQ(event->subtype, std::nullopt);
    EXPECT_EQ(event->bot_profile, std::nullopt);
    EXPECT_EQ(event->attachments, std::nullopt);
    EXPECT_EQ(event->blocks->at(0), (SlackEventDTO::Block { u"rich_text"_s, {}, {}, {}, {} }));
    EXPECT_EQ(event->reactions->at(0), SlackEventDTO::ReactionSummary {});
}

TEST(SlackEventDecoding, BlockTextIsEitherATextObjectOrAPlainString)
{
    auto event = decodeSlackEventDTO(R"({"type":"message","blocks":[
        {"type":"header","text":{"type":"plain_text","text":"H","emoji":true}},
        {"type":"text","text":"plain"}]})");
    ASSERT_TRUE(event.has_value()) << qPrintable(event.error().description());
    const auto& header = event->blocks->at(0);
    EXPECT_EQ(header.text, (SlackEventDTO::Block::BlockText { u"plain_text"_s, u"H"_s }));
    EXPECT_EQ(header.plainText, std::nullopt);
    const auto& plain = event->blocks->at(1);
    EXPECT_EQ(plain.text, std::nullopt);
    EXPECT_EQ(plain.plainText, u"plain"_s);
}

TEST(SlackEventDecoding, WrongTypesFailTheWholePayloadWithTheKeyPath)
{
    struct Case {
        const char* json;
        QString description;
    } cases[] = {
        { R"({})", u"type: missing required value"_s },
        { R"({"type":null})", u"type: missing required value"_s },
        { R"({"type":7})", u"type: expected a string"_s },
        { R"({"type":"message","ts":1700000000.1})", u"ts: expected a string"_s },
        { R"({"type":"message","bot_profile":"CI"})", u"bot_profile: expected an object"_s },
        { R"({"type":"message","attachments":{}})", u"attachments: expected an array"_s },
        { R"({"type":"message","attachments":[{"fields":[{"value":1}]}]})",
            u"attachments[0].fields[0].value: expected a string"_s },
        { R"({"type":"message","blocks":[{"type":"section","text":42}]})",
            u"blocks[0].text: expected a text object or a string"_s },
        { R"({"type":"message","blocks":[{"type":"section","text":true}]})",
            u"blocks[0].text: expected a text object or a string"_s },
        { R"({"type":"message","blocks":[{"type":"section","text":["a"]}]})",
            u"blocks[0].text: expected a text object or a string"_s },
        // An object that is not a text object is then read as a string, and is not one.
        { R"({"type":"message","blocks":[{"type":"section","text":{"text":5}}]})",
            u"blocks[0].text: expected a text object or a string"_s },
        { R"({"type":"message","blocks":[{"type":"rich_text","elements":[{"type":"text",
              "text":"a"},{"type":"link","url":false}]}]})",
            u"blocks[0].elements[1].url: expected a string"_s },
        { R"({"type":"message","blocks":["section"]})", u"blocks[0]: expected an object"_s },
        { R"({"type":"reaction_added","item":{"type":"message","ts":12}})",
            u"item.ts: expected a string"_s },
        { R"({"type":"message","reactions":[{"name":"x","count":1.5}]})",
            u"reactions[0].count: expected a 64-bit integer"_s },
        { R"({"type":"message","reactions":[{"name":"x","count":"2"}]})",
            u"reactions[0].count: expected a 64-bit integer"_s },
    };
    for (const Case& c : cases) {
        auto event = decodeSlackEventDTO(c.json);
        ASSERT_FALSE(event.has_value()) << c.json;
        EXPECT_EQ(event.error().description(), c.description) << c.json;
    }
    EXPECT_EQ(
        decodeSlackEventDTO(R"("message")").error().description(), u"expected a JSON object"_s);
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

TEST(SlackEventDisplayText, TextIsFollowedByAttachmentPiecesAndFields)
{
    EXPECT_EQ(displayTextOf(R"({"type":"message","text":"M","attachments":[{"pretext":"P",
        "title":"T","text":"X","fallback":"F","fields":[{"title":"Host","value":"db1"},
        {"title":"","value":"up"},{"title":"Note","value":""}]}]})"),
        u"M\nP\nT\nX\nHost: db1\nup"_s);
    // A field without a value is skipped even with a title; one without a title shows the value.
    EXPECT_EQ(displayTextOf(R"({"type":"message","attachments":[{"fields":[{"title":"Only"},
        {"value":"bare"}]},{"text":"second"}]})"),
        u"bare\nsecond"_s);
}

TEST(SlackEventDisplayText, RichTextSectionsAndListItemsBecomeLines)
{
    EXPECT_EQ(displayTextOf(R"({"type":"message","text":"","blocks":[{"type":"rich_text",
        "elements":[
          {"type":"rich_text_section","elements":[{"type":"text","text":"Disk "},
             {"type":"link","url":"https://grafana.example/d","text":"full"},
             {"type":"user","user_id":"U1"}]},
          {"type":"rich_text_list","style":"bullet","elements":[
             {"type":"rich_text_section","elements":[{"type":"text","text":"a"}]},
             {"type":"rich_text_section","elements":[{"type":"text","text":"b"}]}]}]}]})"),
        u"Disk full\na\nb"_s);
}

TEST(SlackEventDisplayText, PieceSourcesAndTheirPrecedence)
{
    struct Case {
        const char* name;
        const char* json;
        std::optional<QString> expected;
    } cases[] = {
        { "blocks are ignored beside a text",
            R"({"type":"message","text":"Deploy done","blocks":[{"type":"rich_text","elements":[
              {"type":"rich_text_section","elements":[{"type":"text","text":"Deploy done"}]}]}]})",
            u"Deploy done"_s },
        { "unlabelled link shows its URL",
            R"({"type":"message","blocks":[{"type":"rich_text","elements":[
              {"type":"rich_text_section","elements":[{"type":"text","text":"see "},
              {"type":"link","url":"https://x.example/a"}]}]}]})",
            u"see https://x.example/a"_s },
        { "labelled link shows the label only",
            R"({"type":"message","blocks":[{"type":"rich_text","elements":[
              {"type":"rich_text_section","elements":[
              {"type":"link","url":"https://x.example/a","text":"runbook"}]}]}]})",
            u"runbook"_s },
        { "link whose label is styled rich text",
            R"({"type":"message","blocks":[{"type":"rich_text","elements":[
              {"type":"rich_text_quote","elements":[{"type":"link","url":"https://u",
              "elements":[{"type":"text","text":"styled"}]}]}]}]})",
            u"styled"_s },
        { "section text and header text come before rich text",
            R"({"type":"message","blocks":[{"type":"header","text":{"type":"plain_text",
              "text":"Alert"}},{"type":"section","text":{"type":"mrkdwn","text":"*CPU* high"}},
              {"type":"divider"}]})",
            u"Alert\n*CPU* high"_s },
        { "fallback only when nothing else",
            R"({"type":"message","attachments":[{"fallback":"F1"},{"fallback":""},
              {"fallback":"F2"}]})",
            u"F1\nF2"_s },
        { "fallback is not shown beside block text",
            R"({"type":"message","blocks":[{"type":"section","text":{"text":"S"}}],
              "attachments":[{"fallback":"F"}]})",
            u"S"_s },
        { "mentions, emoji and empty sections give nothing",
            R"({"type":"message","text":"","blocks":[{"type":"rich_text","elements":[
              {"type":"rich_text_section","elements":[{"type":"user","user_id":"U1"},
              {"type":"emoji","name":"fire"},{"type":"broadcast","range":"here"}]},
              {"type":"rich_text_section","elements":[]}]}]})",
            std::nullopt },
        { "no text at all", R"({"type":"message"})", std::nullopt },
    };
    for (const Case& c : cases)
        EXPECT_EQ(displayTextOf(c.json), c.expected) << c.name;
}

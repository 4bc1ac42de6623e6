#include "slack/socket/socketmodeenvelope.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <limits>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

using Envelope = SocketModeEnvelope;

TEST(SocketModeEnvelopeDecoding, EachCase)
{
    SlackEventDTO event;
    event.type = u"message"_s;
    event.text = u"hi"_s;
    struct Case {
        const char* frame;
        Envelope expected;
    } cases[] = {
        { R"({"type":"hello","num_connections":1,"debug_info":{"host":"x"},
              "connection_info":{"app_id":"A1"}})",
            { Envelope::Hello { 1 } } },
        { R"({"type":"hello"})", { Envelope::Hello {} } },
        { R"({"type":"hello","num_connections":null})", { Envelope::Hello {} } },
        { R"({"type":"disconnect","reason":"refresh_requested","debug_info":{}})",
            { Envelope::Disconnect { u"refresh_requested"_s } } },
        { R"({"type":"disconnect"})", { Envelope::Disconnect {} } },
        { R"({"type":"events_api","envelope_id":"e-1","accepts_response_payload":false,
              "payload":{"team_id":"T1","event":{"type":"message","text":"hi"}}})",
            { Envelope::EventsApi { u"e-1"_s, event } } },
        { R"({"type":"slash_commands","envelope_id":"e-2","payload":7})",
            { Envelope::Other { u"slash_commands"_s } } },
        { R"({"type":"Hello"})", { Envelope::Other { u"Hello"_s } } },
        { R"({"type":""})", { Envelope::Other { u""_s } } },
    };
    for (const Case& c : cases) {
        auto decoded = Envelope::decode(c.frame);
        ASSERT_TRUE(decoded.has_value())
            << c.frame << ": " << qPrintable(decoded.error().description());
        EXPECT_EQ(*decoded, c.expected) << c.frame;
    }
}

TEST(SocketModeEnvelopeDecoding, FailuresAreWholeAndDescribed)
{
    struct Case {
        QByteArray frame;
        QString description;
    } cases[] = {
        { R"({"num_connections":1})", u"type: missing required value"_s },
        { R"({"type":3})", u"type: expected a string"_s },
        { R"({"type":"hello","num_connections":"1"})",
            u"num_connections: expected a 64-bit integer"_s },
        { R"({"type":"hello","num_connections":1.5})",
            u"num_connections: expected a 64-bit integer"_s },
        { R"({"type":"disconnect","reason":5})", u"reason: expected a string"_s },
        { R"({"type":"events_api","payload":{"event":{"type":"message"}}})",
            u"envelope_id: missing required value"_s },
        { R"({"type":"events_api","envelope_id":"e"})", u"payload: missing required value"_s },
        { R"({"type":"events_api","envelope_id":"e","payload":[]})",
            u"payload: expected an object"_s },
        { R"({"type":"events_api","envelope_id":"e","payload":{}})",
            u"payload.event: missing required value"_s },
        { R"({"type":"events_api","envelope_id":"e","payload":{"event":{"text":"x"}}})",
            u"payload.event.type: missing required value"_s },
        { R"({"type":"events_api","envelope_id":"e","payload":{"event":{"type":"message",
              "blocks":[{"type":"section","text":1}]}}})",
            u"payload.event.blocks[0].text: expected a text object or a string"_s },
        { R"(["hello"])", u"expected a JSON object"_s },
        { "", u"invalid JSON: Empty: no JSON found"_s },
    };
    for (const Case& c : cases) {
        auto decoded = Envelope::decode(c.frame);
        ASSERT_FALSE(decoded.has_value()) << c.frame.constData();
        EXPECT_EQ(decoded.error().description(), c.description) << c.frame.constData();
    }
}

TEST(SocketModeEnvelopeDecoding, BrokenBytesAreErrorsNotCrashes)
{
    const QByteArray frames[] = {
        R"({"type":"events_api","envelope_id":"e","payload":{"event":{"type":"mess)",
        QByteArray("{\"type\":\"hello\"}\0{}", 18),
        QByteArray("{\"type\":\"\xff\xfe\"}"),
        QByteArray("{\"type\":\"hello\"} trailing"),
        QByteArray(5000, '[') + QByteArray(5000, ']'),
        QByteArray(64 * 1024, ' '),
        R"({"type":"hello","debug":"\ud800"})",
        QByteArray("{\"type\":\"hel\tlo\"}"),
    };
    for (const QByteArray& frame : frames) {
        auto decoded = Envelope::decode(frame);
        ASSERT_FALSE(decoded.has_value()) << frame.left(40).toHex().constData();
        EXPECT_FALSE(decoded.error().description().isEmpty());
    }
}

TEST(SocketModeEnvelopeDecoding, JsonDetailsAsSlackWritesThem)
{
    // Slack's own shape: "type" last, escapes, non-ASCII text, numbers and nesting.
    const QByteArray ordinary = R"({"envelope_id":"e","payload":{"event":{"type":"message",
        "text":"D \"f\"\n\u00e9 \ud83d\udd25 ✓ \/","icons":{"a":[1,-2.5,true,null,{}]},
        "reactions":[{"count":-3}]}},"retry_attempt":0,"type":"events_api"})";
    const auto decoded = Envelope::decode(ordinary);
    ASSERT_TRUE(decoded.has_value()) << qPrintable(decoded.error().description());
    const auto& event = std::get<Envelope::EventsApi>(decoded->value).event;
    EXPECT_EQ(event.text, u"D \"f\"\né 🔥 ✓ /"_s);
    EXPECT_EQ(event.reactions->at(0).count, -3);

    struct Case {
        QByteArray frame;
        Envelope expected;
    } cases[] = {
        // Of repeated keys the last counts.
        { R"({"type":"hello","type":"disconnect"})", { Envelope::Disconnect {} } },
        { R"({"\u0074ype":"hello"})", { Envelope::Hello {} } },
        // Integral numbers count whatever their notation; 64 bits are kept whole.
        { R"({"type":"hello","num_connections":1e0})", { Envelope::Hello { 1 } } },
        { R"({"type":"hello","num_connections":-2.0})", { Envelope::Hello { -2 } } },
        { R"({"type":"hello","num_connections":-9223372036854775808})",
            { Envelope::Hello { std::numeric_limits<qint64>::min() } } },
        { R"({"type":"hello","debug":1e300})", { Envelope::Hello {} } },
        { QByteArray("\xef\xbb\xbf{\"type\":\"hello\"}"), { Envelope::Hello {} } },
    };
    for (const Case& c : cases) {
        const auto got = Envelope::decode(c.frame);
        ASSERT_TRUE(got.has_value()) << c.frame.constData();
        EXPECT_EQ(*got, c.expected) << c.frame.constData();
    }
    for (const char* frame : { R"({"type":"hello","num_connections":9223372036854775808})",
             R"({"type":"hello","num_connections":9.3e18})" }) {
        EXPECT_EQ(Envelope::decode(frame).error().description(),
            u"num_connections: expected a 64-bit integer"_s);
    }
}

TEST(SocketModeEnvelopeAcknowledgement, IsTheOneMemberObjectThatGivesTheIdBack)
{
    EXPECT_EQ(
        Envelope::encodeAcknowledgement(u"7ab3-4f5d"_s), u"{\"envelope_id\":\"7ab3-4f5d\"}"_s);
    for (const QString& id : { u""_s, u"a\"b\\c"_s, u"line\nbreak\t"_s, u"ünï—✓"_s }) {
        const QString frame = Envelope::encodeAcknowledgement(id);
        const QJsonObject object = QJsonDocument::fromJson(frame.toUtf8()).object();
        EXPECT_EQ(object, (QJsonObject { { u"envelope_id"_s, id } })) << qPrintable(frame);
        EXPECT_FALSE(frame.contains(u' ')) << qPrintable(frame);
    }
}

#include "slack/socket/socketmodeenvelope.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

using Envelope = SocketModeEnvelope;

// Plain hello, disconnect, other kinds and a payload that does not decode are
// SocketModeClientTest's (WhatIsAcknowledgedAndWhatIsEmitted, FramesThatDoNotDecode...).
TEST(SocketModeEnvelopeDecoding, EachKindAndTheJsonDetailsAsSlackWritesThem)
{
    SlackEventDTO event;
    event.type = u"message"_s;
    event.text = u"D \"f\"\né 🔥 ✓ /"_s;
    const std::pair<QByteArray, Envelope> cases[] = {
        // Slack's own shape: "type" last, escapes, non-ASCII text, numbers and nesting.
        { R"({"envelope_id":"e-1","payload":{"event":{"type":"message","text":
            "D \"f\"\n\u00e9 \ud83d\udd25 ✓ \/","icons":{"a":[1,-2.5,true,null,{}]}}},
            "retry_attempt":0,"type":"events_api"})",
            { Envelope::EventsApi { u"e-1"_s, event } } },
        // A missing payload leaves an envelope to acknowledge, with the reason.
        { R"({"type":"events_api","envelope_id":"e-4"})",
            { Envelope::EventsApi { u"e-4"_s,
                std::unexpected(
                    json::DecodeError { u"payload"_s, u"missing required value"_s }) } } },
        { R"({"type":"events_api","envelope_id":"e-5","payload":{}})",
            { Envelope::EventsApi { u"e-5"_s,
                std::unexpected(
                    json::DecodeError { u"payload.event"_s, u"missing required value"_s }) } } },
        // What hello and disconnect carry only informs: a wrong type is no value.
        { R"({"type":"hello","num_connections":"1"})", { Envelope::Hello {} } },
        { R"({"type":"hello","num_connections":1.5})", { Envelope::Hello {} } },
        { R"({"type":"disconnect","reason":{"r":1}})", { Envelope::Disconnect {} } },
        { R"({"type":"Hello"})", { Envelope::Other { u"Hello"_s } } },
        // Of repeated keys the last counts.
        { R"({"type":"hello","type":"disconnect"})", { Envelope::Disconnect {} } },
        { R"({"\u0074ype":"hello"})", { Envelope::Hello {} } },
        // Integral numbers count whatever their notation; 64 bits are kept whole.
        { R"({"type":"hello","num_connections":-2.0})", { Envelope::Hello { -2 } } },
        { R"({"type":"hello","num_connections":-9223372036854775808})",
            { Envelope::Hello { std::numeric_limits<qint64>::min() } } },
        { QByteArray("\xef\xbb\xbf{\"type\":\"hello\"}"), { Envelope::Hello {} } },
    };
    for (const auto& [frame, expected] : cases) {
        auto decoded = Envelope::decode(frame);
        ASSERT_TRUE(decoded.has_value())
            << frame.constData() << ": " << qPrintable(decoded.error().description());
        EXPECT_EQ(*decoded, expected) << frame.constData();
    }
}

TEST(SocketModeEnvelopeDecoding, EnvelopesWithoutTypeOrIdFailAndAreDescribed)
{
    const std::pair<QByteArray, QString> cases[] = {
        { R"({"num_connections":1})", u"type: missing required value"_s },
        { R"({"type":3})", u"type: expected a string"_s },
        { R"({"type":"events_api","envelope_id":7,"payload":{"event":{"type":"message"}}})",
            u"envelope_id: expected a string"_s },
        { R"(["hello"])", u"expected a JSON object"_s },
        { "", u"invalid JSON: Empty: no JSON found"_s },
    };
    for (const auto& [frame, description] : cases) {
        auto decoded = Envelope::decode(frame);
        ASSERT_FALSE(decoded.has_value()) << frame.constData();
        EXPECT_EQ(decoded.error().description(), description) << frame.constData();
    }
    // Broken bytes are errors, not crashes.
    for (const QByteArray& frame : {
             QByteArray(R"({"type":"events_api","envelope_id":"e","payload":{"event":{"ty)"),
             QByteArray("{\"type\":\"hello\"}\0{}", 18),
             QByteArray("{\"type\":\"\xff\xfe\"}"),
             QByteArray(QByteArray(5000, '[') + QByteArray(5000, ']')),
             QByteArray(R"({"type":"hello","debug":"\ud800"})"),
         })
        EXPECT_FALSE(Envelope::decode(frame).has_value()) << frame.left(40).toHex().constData();
}

#include "slack/socket/socketmodeenvelope.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

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
        { "", u"invalid JSON at offset 0: illegal value"_s },
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
    };
    for (const QByteArray& frame : frames) {
        auto decoded = Envelope::decode(frame);
        ASSERT_FALSE(decoded.has_value()) << frame.left(40).toHex().constData();
        EXPECT_FALSE(decoded.error().description().isEmpty());
    }
}

TEST(SocketModeEnvelopeAcknowledgement, IsTheOneMemberObject)
{
    EXPECT_EQ(Envelope::encodeAcknowledgement(u"7ab3c1e2-4f5d-4a6b-9c8d-0e1f2a3b4c5d"_s),
        u"{\"envelope_id\":\"7ab3c1e2-4f5d-4a6b-9c8d-0e1f2a3b4c5d\"}"_s);

    // Whatever the ID holds, the frame is valid JSON that gives the same ID back.
    for (const QString& id : { u""_s, u"a\"b\\c"_s, u"line\nbreak\t"_s, u"ünï—✓"_s }) {
        const QString frame = Envelope::encodeAcknowledgement(id);
        const QJsonObject object = QJsonDocument::fromJson(frame.toUtf8()).object();
        EXPECT_EQ(object.keys(), QStringList { u"envelope_id"_s }) << qPrintable(frame);
        EXPECT_EQ(object.value(u"envelope_id"_s).toString(), id);
        EXPECT_FALSE(frame.contains(u' ') && !id.contains(u' '));
    }
}

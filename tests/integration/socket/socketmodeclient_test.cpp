#include "common/logcapture.h"
#include "common/logging.h"
#include "common/timers.h"
#include "halyard-sim/fakeslack.h"
#include "slack/socket/socketmodeclient.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using namespace halyard;
using halyard::test::FakeSlack;
using halyard::test::ReceivedFrame;
using Event = SocketModeClient::Event;

namespace {

struct Collected {
    QList<Event> events;
    bool ended = false;
};

// Reads the stream until it ends, or until onEvent answers false. What it collects is shared,
// because a consumer may resume after its test has ended.
QCoro::Task<> consume(AsyncQueue<Event>* queue, std::shared_ptr<Collected> out,
    std::function<bool(const Event&)> onEvent = {})
{
    while (auto event = co_await queue->next()) {
        out->events.append(*event);
        if (onEvent && !onEvent(*event))
            co_return;
    }
    out->ended = true;
}

QJsonObject botMessage(const QString& text, const QString& ts)
{
    return QJsonObject { { u"type"_s, u"message"_s }, { u"channel"_s, u"C1"_s },
        { u"bot_id"_s, u"B1"_s }, { u"text"_s, text }, { u"ts"_s, ts } };
}

int framesOf(const FakeSlack& fake, ReceivedFrame::Kind kind = ReceivedFrame::Kind::text)
{
    int n = 0;
    for (const ReceivedFrame& frame : fake.frames())
        n += frame.kind == kind ? 1 : 0;
    return n;
}

class SocketModeClientTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_fake.listen()); }

    // Starts a client and, unless told otherwise, a consumer that collects into `seen`.
    std::unique_ptr<SocketModeClient> startClient(std::chrono::milliseconds interval = 30s,
        std::chrono::milliseconds timeout = 10s, bool consuming = true)
    {
        auto client = std::make_unique<SocketModeClient>(m_fake.socketUrl(), interval, timeout);
        client->start();
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_fake.isSocketConnected(); }, 5000));
        if (consuming)
            consume(&client->events(), m_seen);
        return client;
    }
    bool waitForEvents(qsizetype n)
    {
        return QTest::qWaitFor([&] { return m_seen->events.size() >= n; }, 5000);
    }
    std::shared_ptr<Collected> m_seen = std::make_shared<Collected>();
    Collected& seen = *m_seen;
    FakeSlack m_fake;
    test::LogCapture m_log;
};

} // namespace

// Hello and disconnect are reported but never acknowledged; every envelope with an id is, yet only
// messages and reactions are emitted.
TEST_F(SocketModeClientTest, WhatIsAcknowledgedAndWhatIsEmitted)
{
    auto client = startClient();
    QStringList sent;
    m_fake.sendHello(3);
    m_fake.sendDisconnect(u"refresh_requested"_s);
    m_fake.sendDisconnect(std::nullopt);
    sent << m_fake.sendEvent(QJsonObject { { u"type"_s, u"channel_created"_s } });
    // No envelope id, so nothing to acknowledge.
    m_fake.sendEnvelope(QJsonObject { { u"type"_s, u"slash_commands"_s } });
    sent << m_fake.sendEvent(botMessage(u"one"_s, u"1.000001"_s));
    sent << m_fake.sendEvent(QJsonObject { { u"type"_s, u"reaction_added"_s },
        { u"user"_s, u"U2"_s }, { u"reaction"_s, u"white_check_mark"_s },
        { u"item"_s,
            QJsonObject { { u"type"_s, u"message"_s }, { u"channel"_s, u"C1"_s },
                { u"ts"_s, u"1.000001"_s } } } });
    // Data frames are handled like text frames.
    const QJsonObject envelope { { u"type"_s, u"events_api"_s }, { u"envelope_id"_s, u"E1"_s },
        { u"payload"_s, QJsonObject { { u"event"_s, botMessage(u"binary"_s, u"2.5"_s) } } } };
    m_fake.sendBinary(QJsonDocument(envelope).toJson(QJsonDocument::Compact));
    sent << u"E1"_s;
    ASSERT_TRUE(waitForEvents(6));
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_fake.acknowledgedEnvelopeIds() == sent; }, 5000));
    EXPECT_EQ(framesOf(m_fake), sent.size());
    EXPECT_TRUE(std::holds_alternative<SocketModeClient::HelloReceived>(seen.events[0]));
    EXPECT_EQ(
        std::get<SocketModeClient::Disconnect>(seen.events[1]).reason, u"refresh_requested"_s);
    EXPECT_FALSE(std::get<SocketModeClient::Disconnect>(seen.events[2]).reason.has_value());
    EXPECT_EQ(std::get<MessageEvent>(seen.events[3]).text, u"one"_s);
    EXPECT_EQ(std::get<ReactionEvent>(seen.events[4]).reaction, u"white_check_mark"_s);
    EXPECT_EQ(std::get<MessageEvent>(seen.events[5]).text, u"binary"_s);
    // What a payload holds stays out of the log.
    EXPECT_TRUE(m_log.contains(u"socket"_s, u"RX envelope: <private>"_s));
}

TEST_F(SocketModeClientTest, AcknowledgementIsOnTheWireBeforeTheEventIsSeen)
{
    auto client = startClient(30s, 10s, false);
    // The consumer kills the client the moment it sees the event: only an acknowledgement that
    // was already handed to the network survives that.
    consume(&client->events(), m_seen, [&](const Event&) {
        client.reset();
        return false;
    });
    const QString envelopeId = m_fake.sendEvent(botMessage(u"disk full"_s, u"1.000100"_s));
    ASSERT_TRUE(waitForEvents(1));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return m_fake.acknowledgedEnvelopeIds() == QStringList { envelopeId }; }, 5000));
    EXPECT_EQ(
        m_fake.frames().first().payload, u"{\"envelope_id\":\"%1\"}"_s.arg(envelopeId).toUtf8());
}

// A frame that does not decode costs that frame: an event whose id can be read is acknowledged
// (Slack would only deliver it again), each is logged once, and the connection carries on.
TEST_F(SocketModeClientTest, FramesThatDoNotDecodeCostOnlyThemselves)
{
    halyard::setPrivateLoggingEnabled(true);
    auto client = startClient();
    m_fake.sendBinary(QByteArray("\xff\xfe{x}\x01", 6));
    m_fake.sendEnvelope(QJsonObject { { u"type"_s, u"events_api"_s } });
    const QString badPayload = m_fake.sendEvent(QJsonObject { { u"type"_s, u"message"_s },
        { u"channel"_s, u"C1"_s }, { u"ts"_s, 1700000000.5 }, { u"text"_s, u"t"_s } });
    const QString good = m_fake.sendEvent(botMessage(u"after them"_s, u"3.0"_s));
    ASSERT_TRUE(waitForEvents(1));
    halyard::setPrivateLoggingEnabled(false);
    EXPECT_EQ(std::get<MessageEvent>(seen.events[0]).text, u"after them"_s);
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return m_fake.acknowledgedEnvelopeIds() == QStringList { badPayload, good };
    }));
    EXPECT_TRUE(m_log.messages(u"socket"_s).contains(u"RX envelope: <non-utf8 6B>"_s));
    EXPECT_EQ(m_log.messagesStartingWith(u"socket"_s, u"Envelope decode failed: "_s),
        (QStringList { u"Envelope decode failed: invalid JSON: The input is not valid UTF-8"_s,
            u"Envelope decode failed: envelope_id: missing required value"_s,
            u"Envelope decode failed: payload.event.ts: expected a string"_s }));
    EXPECT_TRUE(m_log.messagesStartingWith(u"socket"_s, u"WebSocket receive failed"_s).isEmpty());
    EXPECT_TRUE(m_fake.isSocketConnected());
}

// Over the cap a frame, or a message in many small frames, is refused before it is buffered:
// Qt closes with 1009 and the consumer hears of it like any receive failure, to reconnect.
TEST_F(SocketModeClientTest, OversizedMessagesEndTheConnectionWithAnError)
{
    const QByteArray big = QJsonDocument(
        QJsonObject { { u"type"_s, u"hello"_s }, { u"pad"_s, QString(70'000, u'x') } })
                               .toJson(QJsonDocument::Compact);
    for (const bool fragmented : { false, true }) {
        auto client = std::make_unique<SocketModeClient>(m_fake.socketUrl());
        client->setMaxIncomingMessageSize(64 * 1024);
        client->start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_fake.isSocketConnected(); }));
        auto seen = std::make_shared<Collected>();
        consume(&client->events(), seen);
        if (fragmented)
            m_fake.sendTextInFragments(big, 16 * 1024);
        else
            m_fake.sendText(big);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !seen->events.isEmpty(); })) << fragmented;
        EXPECT_TRUE(std::holds_alternative<SocketModeClient::SocketError>(seen->events[0]));
        EXPECT_EQ(m_fake.frames().last().closeCode(), 1009);
        client->stop();
    }
}

// A server that drops the connection is a receive failure; stop() is none.
TEST_F(SocketModeClientTest, StopEndsTheStreamAfterBufferedEventsAndReportsNothing)
{
    // Pings are due from the first millisecond, while the socket still opens: they wait for it,
    // and answered, they report nothing.
    auto client = startClient(1ms, 10s, false);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return m_log.count(u"socket"_s, u"Heartbeat PONG received"_s) >= 2; }, 5000));
    m_fake.sendEvent(botMessage(u"a"_s, u"1.1"_s));
    m_fake.sendEvent(botMessage(u"b"_s, u"1.2"_s));
    ASSERT_TRUE(QTest::qWaitFor([&] { return client->events().buffered() == 2; }, 5000));
    client->stop();
    consume(&client->events(), m_seen);
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.ended; }, 5000));
    EXPECT_EQ(seen.events.size(), 2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !m_fake.isSocketConnected(); }, 5000));
    EXPECT_EQ(m_fake.frames().last().kind, ReceivedFrame::Kind::close);
    EXPECT_EQ(m_fake.frames().last().closeCode(), 1001);
    auto dropped = startClient();
    m_fake.dropSocket();
    ASSERT_TRUE(waitForEvents(3));
    EXPECT_TRUE(std::holds_alternative<SocketModeClient::SocketError>(seen.events[2]));
    // The stopped client's socket was gone before the second one opened: the only receive
    // failure is the dropped one's.
    EXPECT_EQ(m_log.messagesStartingWith(u"socket"_s, u"WebSocket receive failed"_s).size(), 1);
}

TEST_F(SocketModeClientTest, UnansweredPingsDeclareTheConnectionDeadAfterIntervalPlusTimeout)
{
    m_fake.setAnswerPings(false);
    QElapsedTimer clock;
    clock.start();
    auto client = startClient(300ms, 200ms);
    ASSERT_TRUE(waitForEvents(1));
    EXPECT_GE(clock.elapsed(), 500);
    EXPECT_EQ(std::get<SocketModeClient::SocketError>(seen.events[0]).problem.kind,
        Problem::Kind::heartbeatMissed);
    // The heartbeat ends after declaring the connection dead. Had it gone on, it would have
    // pinged once more by the end of this interval, before the acknowledgement sent after it.
    test::outlastTimers(300ms);
    m_fake.sendEvent(botMessage(u"a"_s, u"1.1"_s));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_fake.acknowledgedEnvelopeIds().isEmpty(); }));
    EXPECT_EQ(framesOf(m_fake, ReceivedFrame::Kind::ping), 1);
}

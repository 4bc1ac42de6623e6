// The fake Slack itself: later tests rely on its Socket Mode side, its scripts and its
// workspace behaving like Slack, so those are pinned down here with a plain QWebSocket.
#include "webapifixture.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>
#include <QWebSocket>

using namespace Qt::Literals::StringLiterals;

namespace halyard::test {
namespace {

class FakeSlackSocketTest : public WebApiTest {
protected:
    void SetUp() override
    {
        WebApiTest::SetUp();
        socket.setProxy(QNetworkProxy::NoProxy);
        QObject::connect(&socket, &QWebSocket::textMessageReceived, &socket,
            [this](const QString& text) { received.append(text); });
    }

    void open()
    {
        const auto api = client();
        const auto url = run(api.connectionsOpen(appToken()));
        ASSERT_TRUE(url);
        socket.open(*url);
        ASSERT_TRUE(QTest::qWaitFor([this] { return slack.isSocketConnected(); }, 3000));
        ASSERT_TRUE(QTest::qWaitFor(
            [this] { return socket.state() == QAbstractSocket::ConnectedState; }, 3000));
    }

    QJsonObject lastEnvelope() const
    {
        return QJsonDocument::fromJson(received.value(received.size() - 1).toUtf8()).object();
    }

    QWebSocket socket;
    QStringList received;
};

TEST_F(FakeSlackSocketTest, PushesEnvelopesAndRecordsAcknowledgementsInOrder)
{
    open();
    slack.workspace().addChannel({ u"C1"_s, u"alerts"_s });
    ASSERT_TRUE(slack.sendHello());
    const QString ts = slack.postMessage(u"C1"_s, { { u"text"_s, u"Disk full"_s } });
    const QString reactionEnvelope = slack.addReaction(u"C1"_s, ts, u"eyes"_s, u"U7"_s);
    ASSERT_TRUE(slack.sendDisconnect(u"refresh_requested"_s));
    ASSERT_TRUE(QTest::qWaitFor([this] { return received.size() == 4; }, 3000));

    const auto envelopes = [this] {
        QList<QJsonObject> out;
        for (const QString& text : received)
            out.append(QJsonDocument::fromJson(text.toUtf8()).object());
        return out;
    }();
    EXPECT_EQ(envelopes[0].value(u"type").toString(), u"hello"_s);
    EXPECT_EQ(envelopes[0].value(u"num_connections").toInt(), 1);
    const QJsonObject message
        = envelopes[1].value(u"payload").toObject().value(u"event").toObject();
    EXPECT_EQ(envelopes[1].value(u"type").toString(), u"events_api"_s);
    EXPECT_EQ(message.value(u"type").toString(), u"message"_s);
    EXPECT_EQ(message.value(u"channel").toString(), u"C1"_s);
    EXPECT_EQ(message.value(u"ts").toString(), ts);
    const QJsonObject reaction
        = envelopes[2].value(u"payload").toObject().value(u"event").toObject();
    EXPECT_EQ(envelopes[2].value(u"envelope_id").toString(), reactionEnvelope);
    EXPECT_EQ(reaction.value(u"reaction").toString(), u"eyes"_s);
    EXPECT_EQ(reaction.value(u"item").toObject().value(u"ts").toString(), ts);
    EXPECT_EQ(envelopes[3].value(u"reason").toString(), u"refresh_requested"_s);
    // Stored too: history and reactions.get see what went out live.
    EXPECT_EQ(slack.workspace().reactions(u"C1"_s, ts).value(0).users, QStringList { u"U7"_s });

    const QString messageEnvelope = envelopes[1].value(u"envelope_id").toString();
    socket.sendTextMessage(u"{\"envelope_id\":\""_s + messageEnvelope + u"\"}");
    socket.sendBinaryMessage("{\"envelope_id\":\"binary\"}");
    socket.sendTextMessage(u"{\"envelope_id\":\""_s + reactionEnvelope + u"\"}");
    ASSERT_TRUE(QTest::qWaitFor([this] { return slack.frames().size() == 3; }, 3000));
    EXPECT_EQ(slack.acknowledgedEnvelopeIds(), (QStringList { messageEnvelope, reactionEnvelope }));
    EXPECT_EQ(slack.frames()[1].kind, ReceivedFrame::Kind::binary);
    EXPECT_LE(slack.frames()[0].receivedAtMs, slack.frames()[2].receivedAtMs);
    EXPECT_LE(slack.frames()[2].receivedAtMs, slack.elapsedMs());
    EXPECT_EQ(slack.frames()[0].connection, 1);
}

TEST_F(FakeSlackSocketTest, CanGreetEachNewConnectionLikeSlack)
{
    slack.setHelloOnConnect(true);
    open();
    ASSERT_TRUE(QTest::qWaitFor([this] { return received.size() == 1; }, 3000));
    EXPECT_EQ(lastEnvelope().value(u"type").toString(), u"hello"_s);
}

TEST_F(FakeSlackSocketTest, AnswersPingsOnlyWhenAskedTo)
{
    open();
    QSignalSpy pongs(&socket, &QWebSocket::pong);
    socket.ping("one");
    ASSERT_TRUE(pongs.wait(3000));

    slack.setAnswerPings(false);
    socket.ping("two");
    ASSERT_TRUE(QTest::qWaitFor([this] { return slack.frames().size() == 2; }, 3000));
    QTest::qWait(100);
    EXPECT_EQ(pongs.size(), 1);
    EXPECT_EQ(slack.frames()[1].kind, ReceivedFrame::Kind::ping);
    EXPECT_EQ(slack.frames()[1].payload, "two");
}

TEST_F(FakeSlackSocketTest, CloseRunsTheClosingHandshake)
{
    open();
    QSignalSpy disconnected(&socket, &QWebSocket::disconnected);
    slack.closeSocket(QWebSocketProtocol::CloseCodeGoingAway);
    ASSERT_TRUE(disconnected.wait(3000));
    EXPECT_EQ(socket.closeCode(), QWebSocketProtocol::CloseCodeGoingAway);
    ASSERT_TRUE(QTest::qWaitFor([this] { return slack.frames().size() == 1; }, 2000));
    EXPECT_EQ(slack.frames()[0].closeCode(), 1001);
    EXPECT_FALSE(slack.sendHello());
}

TEST_F(FakeSlackSocketTest, DropEndsTheConnectionWithoutAFrame)
{
    open();
    QSignalSpy disconnected(&socket, &QWebSocket::disconnected);
    QSignalSpy serverSide(&slack, &FakeSlack::socketDisconnected);
    slack.dropSocket();
    ASSERT_TRUE(disconnected.wait(3000));
    EXPECT_NE(socket.closeCode(), QWebSocketProtocol::CloseCodeGoingAway);
    EXPECT_TRUE(QTest::qWaitFor([&serverSide] { return serverSide.size() == 1; }, 3000));
    EXPECT_TRUE(slack.frames().isEmpty());
    EXPECT_FALSE(slack.isSocketConnected());
    EXPECT_EQ(slack.socketConnectionCount(), 1);
}

TEST_F(FakeSlackSocketTest, SocketUrlsAreSingleUse)
{
    const QUrl url = slack.socketUrl();
    socket.open(url);
    ASSERT_TRUE(QTest::qWaitFor([this] { return slack.isSocketConnected(); }, 3000));

    QWebSocket second;
    second.setProxy(QNetworkProxy::NoProxy);
    QSignalSpy refused(&second, &QWebSocket::disconnected);
    second.open(url);
    ASSERT_TRUE(refused.wait(3000));
    EXPECT_EQ(slack.socketConnectionCount(), 1);
}

TEST_F(WebApiTest, ScriptsRunInOrderThenTheWorkspaceAnswers)
{
    slack.script(u"auth.test"_s, FakeReply::slackError(u"first"_s));
    slack.script(u"auth.test"_s, FakeReply::slackError(u"second"_s), 2);
    slack.script(u"*"_s, FakeReply::slackError(u"everyone"_s), 1);
    const auto api = client();
    QStringList errors;
    for (int i = 0; i < 5; ++i) {
        const auto result = run(api.authTest(botToken()));
        ASSERT_TRUE(result);
        errors.append(result->error.value_or(u"ok"_s));
    }
    EXPECT_EQ(
        errors, (QStringList { u"first"_s, u"second"_s, u"second"_s, u"everyone"_s, u"ok"_s }));
}

TEST_F(WebApiTest, HistoryHonoursOldestAndLimitLikeSlack)
{
    slack.workspace().addChannel({ u"C1"_s, u"alerts"_s });
    for (const char* ts : { "9.5", "10.000001", "10.5", "100.0" })
        slack.workspace().addMessage(u"C1"_s, { { u"ts"_s, QString::fromLatin1(ts) } });
    struct Case {
        QString query;
        QStringList stamps;
        bool hasMore;
    };
    const Case cases[] = {
        { u"channel=C1&oldest=10"_s, { u"100.0"_s, u"10.5"_s, u"10.000001"_s }, false },
        { u"channel=C1&oldest=10.5"_s, { u"100.0"_s }, false },
        { u"channel=C1&oldest=10.5&inclusive=true"_s, { u"100.0"_s, u"10.5"_s }, false },
        { u"channel=C1&limit=2"_s, { u"100.0"_s, u"10.5"_s }, true },
        { u"channel=C1&latest=10.5"_s, { u"10.000001"_s, u"9.5"_s }, false },
    };
    const auto api = client();
    for (const Case& c : cases) {
        const auto page = run(api.send<SlackWebAPI::ConversationsHistoryResponse>(
            u"conversations.history?"_s + c.query, botToken(), "GET"));
        ASSERT_TRUE(page && page->ok) << qPrintable(c.query);
        QStringList stamps;
        for (const SlackEventDTO& message : page->messages.value_or(QList<SlackEventDTO> {}))
            stamps.append(message.ts.value_or(QString()));
        EXPECT_EQ(stamps, c.stamps) << qPrintable(c.query);
        EXPECT_EQ(page->has_more, c.hasMore) << qPrintable(c.query);
    }
    for (const QString& query :
        { u"channel=C404"_s, u"channel=C1&oldest=yesterday"_s, u"channel=C1&cursor=bogus"_s }) {
        const auto page = run(api.send<SlackWebAPI::ConversationsHistoryResponse>(
            u"conversations.history?"_s + query, botToken(), "GET"));
        ASSERT_TRUE(page) << qPrintable(query);
        EXPECT_FALSE(page->ok) << qPrintable(query);
    }
}

TEST_F(WebApiTest, ReactionsAddEchoesTheEventWhenAsked)
{
    slack.workspace().addChannel({ u"C1"_s, u"alerts"_s });
    const QString ts = slack.workspace().addMessage(u"C1"_s, { { u"text"_s, u"x"_s } });
    QWebSocket socket;
    socket.setProxy(QNetworkProxy::NoProxy);
    QStringList received;
    QObject::connect(&socket, &QWebSocket::textMessageReceived, &socket,
        [&received](const QString& text) { received.append(text); });
    socket.open(slack.socketUrl());
    ASSERT_TRUE(QTest::qWaitFor([this] { return slack.isSocketConnected(); }, 3000));

    slack.setEchoReactions(true);
    const auto api = client();
    ASSERT_TRUE(run(api.reactionsAdd(botToken(), u"C1"_s, u"white_check_mark"_s, ts)));
    ASSERT_TRUE(QTest::qWaitFor([&received] { return received.size() == 1; }, 3000));
    const QJsonObject event = QJsonDocument::fromJson(received[0].toUtf8())
                                  .object()
                                  .value(u"payload")
                                  .toObject()
                                  .value(u"event")
                                  .toObject();
    EXPECT_EQ(event.value(u"type").toString(), u"reaction_added"_s);
    EXPECT_EQ(event.value(u"user").toString(), u"U0BOT"_s);
    EXPECT_EQ(event.value(u"item").toObject().value(u"ts").toString(), ts);
}

} // namespace
} // namespace halyard::test

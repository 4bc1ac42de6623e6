#pragma once

#include "halyard-sim/fakesocketconnection.h"
#include "halyard-sim/recordedrequest.h"
#include "sim/slackserver.h"

#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QPointer>
#include <QString>

#include <chrono>
#include <optional>

namespace halyard::test {

// What the fake server does with one Web API call instead of (or before) answering it from
// the workspace.
struct FakeReply {
    enum class Kind {
        serve, // answer from the workspace, as when nothing is scripted
        respond, // the given status, body and content type
        drop, // close the connection without an answer
        hang, // keep the connection open and never answer
        trickle, // the given answer, its body one byte per `interval`
    };

    Kind kind = Kind::serve;
    int status = 200;
    QByteArray body;
    QByteArray contentType;
    QList<std::pair<QByteArray, QByteArray>> headers;
    std::chrono::milliseconds delay { 0 };
    std::chrono::milliseconds interval { 0 };

    static FakeReply serve();
    static FakeReply http(
        int status, QByteArray body = {}, QByteArray contentType = "text/plain; charset=utf-8");
    static FakeReply json(const QJsonObject& body, int status = 200);
    // HTTP 200 with {"ok": false, "error": code}.
    static FakeReply slackError(const QString& code);
    static FakeReply drop();
    static FakeReply hang();
    // A redirect to `location`, which may point anywhere.
    static FakeReply redirect(const QByteArray& location, int status = 302);
    // HTTP 200 with the body's headers at once and its bytes one per `interval`: never silent
    // for long, yet never done in time.
    static FakeReply trickle(QByteArray body, std::chrono::milliseconds interval);

    // The same, after waiting (a delayed hang waits for nothing).
    FakeReply after(std::chrono::milliseconds wait) const;
    FakeReply withHeader(QByteArray name, QByteArray value) const;
};

// The simulated Slack, scriptable for tests: a Web API call is answered from workspace() unless
// a script says otherwise, and every request is recorded as it crossed the wire. On Socket Mode
// the test pushes envelopes to the newest connection, can drop it or close it, can stop
// answering pings, and sees every frame the client sent, in order, with the time it arrived.
// Unlike Slack it says no hello unless asked to, so a test decides when a connection is ready.
class FakeSlack : public sim::SlackServer {
    Q_OBJECT
public:
    explicit FakeSlack(QObject* parent = nullptr);

    // Milliseconds since the server was created, the clock of every recorded time.
    qint64 elapsedMs() const { return m_clock.elapsed(); }

    // The next `times` calls of the Web API method get `reply`; a negative count keeps it until
    // clearScripts(). Scripts of one method run in the order given.
    void script(const QString& apiMethod, FakeReply reply, int times = 1);
    void clearScripts();

    const QList<RecordedRequest>& requests() const { return m_requests; }
    QList<RecordedRequest> requests(const QString& apiMethod) const;
    // Forgets the recorded requests and frames.
    void clearRecords();

    // Socket Mode.
    using sim::SlackServer::socketUrl;
    // Applies to open and later connections.
    void setAnswerPings(bool answer);
    // Sends hello (with num_connections 1) as soon as a connection opens, as Slack does.
    void setHelloOnConnect(bool hello) { m_helloOnConnect = hello; }
    // Answers later upgrade requests with this HTTP status instead of accepting them; 0 accepts.
    void rejectSocketConnections(int httpStatus) { m_rejectSocketStatus = httpStatus; }
    // Socket Mode connections accepted so far.
    int socketConnectionCount() const { return m_socketCount; }

    // Each send goes to the newest open connection and returns false without one.
    bool sendText(const QByteArray& utf8);
    bool sendBinary(const QByteArray& bytes);
    bool sendTextInFragments(const QByteArray& utf8, qsizetype fragmentSize);
    bool sendHello(std::optional<qint64> numConnections = 1);
    bool sendDisconnect(std::optional<QString> reason = QStringLiteral("warning"));
    // Ends the newest connection without a close frame.
    void dropSocket();

    const QList<ReceivedFrame>& frames() const { return m_frames; }
    // The envelope IDs of the acknowledgement frames received, in order.
    QStringList acknowledgedEnvelopeIds() const;

signals:
    void requestReceived(const halyard::test::RecordedRequest& request);

protected:
    void handleRequest(QTcpSocket* socket, sim::HttpRequest request) override;
    sim::SocketConnection* createConnection(QTcpSocket* socket, QByteArray leftover) override;
    void socketOpened(sim::SocketConnection& connection) override;

private:
    struct Script {
        FakeReply reply;
        int remaining;
    };

    void act(QPointer<QTcpSocket> socket, const RecordedRequest& request, const FakeReply& reply);
    void trickle(
        QPointer<QTcpSocket> socket, QByteArray response, std::chrono::milliseconds interval);
    std::optional<FakeReply> takeScript(const QString& apiMethod);
    FakeSocketConnection* newestFakeConnection() const;

    QElapsedTimer m_clock;
    QHash<QString, QList<Script>> m_scripts;
    QList<RecordedRequest> m_requests;
    QList<ReceivedFrame> m_frames;
    int m_socketCount = 0;
    int m_rejectSocketStatus = 0;
    bool m_answerPings = true;
    bool m_helloOnConnect = false;
};

} // namespace halyard::test

#pragma once

#include "halyard-sim/fakesocketconnection.h"
#include "halyard-sim/fakeworkspace.h"
#include "halyard-sim/recordedrequest.h"

#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QUrl>

#include <chrono>
#include <optional>

class QSslCertificate;
class QSslKey;
class QTcpSocket;

namespace halyard::test {

class LoopbackServer;

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

// An in-process imitation of Slack for tests and the simulator: the Web API under /api/ and
// Socket Mode on /link/, both over HTTP/1.1 on one loopback port, plain or TLS.
//
// Web API calls are answered from workspace() unless a script says otherwise; every request is
// recorded as it crossed the wire. A Socket Mode client connects to the URL that
// apps.connections.open hands out; the test pushes envelopes to the newest connection, can drop
// it or close it, can stop answering pings, and sees every frame the client sent, in order, with
// the time it arrived. Everything runs on the thread's event loop; nothing blocks.
class FakeSlack : public QObject {
    Q_OBJECT
public:
    explicit FakeSlack(QObject* parent = nullptr);
    ~FakeSlack() override;

    // Listens on 127.0.0.1; port 0 picks a free one.
    bool listen(quint16 port = 0);
    quint16 port() const;
    // Connections accepted from now on are TLS with this certificate: the Web API is then
    // reached over https and Socket Mode over wss, as Slack is.
    void serveTls(const QSslCertificate& certificate, const QSslKey& key);
    // "http://127.0.0.1:<port>/api/" (https with TLS), the Web API base URL for the client.
    QUrl apiUrl() const;
    // Milliseconds since the server was created, the clock of every recorded time.
    qint64 elapsedMs() const { return m_clock.elapsed(); }

    FakeWorkspace& workspace() { return m_workspace; }
    const FakeWorkspace& workspace() const { return m_workspace; }

    // The next `times` calls of the Web API method get `reply`; a negative count keeps it until
    // clearScripts(). Scripts of one method run in the order given.
    void script(const QString& apiMethod, FakeReply reply, int times = 1);
    void clearScripts();

    const QList<RecordedRequest>& requests() const { return m_requests; }
    QList<RecordedRequest> requests(const QString& apiMethod) const;
    // Forgets the recorded requests and frames.
    void clearRecords();

    // Socket Mode.
    // A one-time Socket Mode URL, as apps.connections.open returns it.
    QUrl socketUrl();
    // Applies to open and later connections.
    void setAnswerPings(bool answer);
    // Sends hello (with num_connections 1) as soon as a connection opens, as Slack does.
    void setHelloOnConnect(bool hello) { m_helloOnConnect = hello; }
    // Answers later upgrade requests with this HTTP status instead of accepting them; 0 accepts.
    void rejectSocketConnections(int httpStatus) { m_rejectSocketStatus = httpStatus; }
    bool isSocketConnected() const;
    // Socket Mode connections accepted so far.
    int socketConnectionCount() const { return m_socketCount; }

    // Each send goes to the newest open connection and returns false (or an empty ID) without
    // one.
    bool sendEnvelope(const QJsonObject& envelope);
    bool sendText(const QByteArray& utf8);
    bool sendBinary(const QByteArray& bytes);
    bool sendTextInFragments(const QByteArray& utf8, qsizetype fragmentSize);
    bool sendHello(std::optional<qint64> numConnections = 1);
    bool sendDisconnect(std::optional<QString> reason = QStringLiteral("warning"));
    // Wraps the event in an events_api envelope; returns the envelope ID.
    QString sendEvent(const QJsonObject& event);
    // Stores the message (see FakeWorkspace::addMessage) and pushes it as a live message event;
    // returns its ts.
    QString postMessage(const QString& channel, QJsonObject message);
    // Stores the reaction and pushes reaction_added; returns the envelope ID.
    QString addReaction(
        const QString& channel, const QString& ts, const QString& name, const QString& user);
    // Ends the newest connection without a close frame.
    void dropSocket();

    const QList<ReceivedFrame>& frames() const { return m_frames; }
    // The envelope IDs of the acknowledgement frames received, in order.
    QStringList acknowledgedEnvelopeIds() const;

signals:
    void requestReceived(const halyard::test::RecordedRequest& request);

private:
    struct Script {
        FakeReply reply;
        int remaining;
    };

    void acceptConnections();
    void readRequest(QTcpSocket* socket);
    void dispatch(QTcpSocket* socket, RecordedRequest request);
    void act(QPointer<QTcpSocket> socket, const RecordedRequest& request, const FakeReply& reply);
    void serve(QTcpSocket* socket, const RecordedRequest& request);
    void trickle(
        QPointer<QTcpSocket> socket, QByteArray response, std::chrono::milliseconds interval);
    void upgrade(QTcpSocket* socket, const RecordedRequest& request);
    std::optional<FakeReply> takeScript(const QString& apiMethod);
    FakeSocketConnection* newestConnection() const;

    LoopbackServer* m_server = nullptr;
    QElapsedTimer m_clock;
    FakeWorkspace m_workspace;
    QHash<QString, QList<Script>> m_scripts;
    QList<RecordedRequest> m_requests;
    QList<ReceivedFrame> m_frames;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    QList<QPointer<FakeSocketConnection>> m_connections;
    QSet<QString> m_tickets;
    int m_socketCount = 0;
    int m_rejectSocketStatus = 0;
    int m_eventCount = 0;
    bool m_answerPings = true;
    bool m_helloOnConnect = false;
};

} // namespace halyard::test

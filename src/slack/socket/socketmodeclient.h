#pragma once

#include "common/asyncqueue.h"
#include "common/cancellation.h"
#include "common/problem.h"
#include "slack/events/messageevent.h"
#include "slack/events/reactionevent.h"

#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <chrono>
#include <optional>
#include <variant>

class QWebSocket;

namespace halyard {

// One Socket Mode connection. It acknowledges every delivered event before anything else
// happens to it (also one whose payload does not decode), classifies it, and publishes the
// result on `events`; a heartbeat declares the connection dead when a ping goes unanswered. A
// frame that does not decode is logged and dropped, and the connection stays. It never
// reconnects by itself: connection problems become events and the consumer decides. Built per
// connection attempt and thrown away after stop(). Main thread only.
class SocketModeClient : public QObject {
    Q_OBJECT
public:
    struct Disconnect {
        std::optional<QString> reason;
    };
    struct SocketError {
        QString description;
        Problem problem;
    };
    struct HelloReceived { };
    using Event = std::variant<MessageEvent, ReactionEvent, Disconnect, SocketError, HelloReceived>;

    explicit SocketModeClient(QUrl url,
        std::chrono::milliseconds heartbeatInterval = std::chrono::seconds(30),
        std::chrono::milliseconds heartbeatPongTimeout = std::chrono::seconds(10),
        QObject* parent = nullptr);
    ~SocketModeClient() override;

    // Slack's frames are far below 1 MiB; anything over this is refused, however it is
    // fragmented.
    static constexpr quint64 kDefaultMaxIncomingMessageSize = 16 * 1024 * 1024;

    // Caps incoming frames and whole messages; set before start().
    void setMaxIncomingMessageSize(quint64 bytes) { m_maxIncomingMessageSize = bytes; }

    // Opens the connection and starts the heartbeat. Called once.
    void start();
    // Closes the connection (going away) and ends `events` after what is buffered.
    void stop();

    // The one consumer's stream.
    AsyncQueue<Event>& events() { return m_events; }

    const QUrl& url() const { return m_url; }

private:
    void handleFrame(const QByteArray& bytes);
    bool sendAck(const QString& envelopeId);
    void receiveFailed(const QString& description);
    void receiveFailed(const QString& description, Problem problem);
    void emitEvent(Event event);
    static QCoro::Task<> heartbeatLoop(QPointer<SocketModeClient> self, CancellationToken token);
    QCoro::Task<bool> awaitPong(std::chrono::milliseconds timeout);

    QUrl m_url;
    std::chrono::milliseconds m_heartbeatInterval;
    std::chrono::milliseconds m_heartbeatPongTimeout;
    quint64 m_maxIncomingMessageSize = kDefaultMaxIncomingMessageSize;
    QPointer<QWebSocket> m_socket;
    CancellationSource m_cancellation;
    bool m_receiveEnded = false;
    AsyncQueue<Event> m_events;
};

} // namespace halyard

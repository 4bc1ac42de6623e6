#include "slack/socket/socketmodeclient.h"

#include "common/logging.h"
#include "common/servertext.h"
#include "slack/events/classifyevent.h"
#include "slack/socket/ponggate.h"
#include "slack/socket/socketmodeenvelope.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <QTimer>
#include <QWebSocket>

#include <coroutine>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

QString frameTextForLog(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return u"<non-utf8 "_s + QString::number(bytes.size()) + u"B>"_s;
    return text;
}

// Suspends until the gate decides. The caller keeps the gate alive while it waits.
struct PongAwaiter {
    PongGate* gate;
    bool outcome = false;

    bool await_ready() const noexcept { return false; }
    bool await_suspend(std::coroutine_handle<> handle)
    {
        const auto decided = gate->onFinished([this, handle](bool pong) {
            outcome = pong;
            handle.resume();
        });
        if (decided)
            outcome = *decided;
        return !decided;
    }
    bool await_resume() const noexcept { return outcome; }
};

} // namespace

SocketModeClient::SocketModeClient(QUrl url, std::chrono::milliseconds heartbeatInterval,
    std::chrono::milliseconds heartbeatPongTimeout, QObject* parent)
    : QObject(parent)
    , m_url(std::move(url))
    , m_heartbeatInterval(heartbeatInterval)
    , m_heartbeatPongTimeout(heartbeatPongTimeout)
{
}

SocketModeClient::~SocketModeClient()
{
    // Without stop() the stream stays open for a consumer that still holds it, but nothing of
    // this client may run any more.
    m_cancellation.cancel();
    m_receiveEnded = true;
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
        delete m_socket;
    }
}

void SocketModeClient::start()
{
    const QString host = m_url.host().isEmpty() ? u"?"_s : m_url.host();
    qCInfo(lcSocket, "Socket Mode connecting (host: %s)", qUtf8Printable(logCut(host)));

    m_socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
    // Without a cap Qt buffers a frame of any announced size. Over it, Qt closes the connection
    // (code 1009), which ends up as a receive failure and a reconnect like any other.
    m_socket->setMaxAllowedIncomingFrameSize(m_maxIncomingMessageSize);
    m_socket->setMaxAllowedIncomingMessageSize(m_maxIncomingMessageSize);
    connect(m_socket, &QWebSocket::textMessageReceived, this,
        [this](const QString& text) { handleFrame(text.toUtf8()); });
    connect(m_socket, &QWebSocket::binaryMessageReceived, this, &SocketModeClient::handleFrame);
    connect(m_socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this,
        [this](QAbstractSocket::SocketError) { receiveFailed(m_socket->errorString()); });
    connect(m_socket, &QWebSocket::disconnected, this, [this] {
        const auto code = m_socket->closeCode();
        QString description = u"The connection was closed (code "_s + QString::number(code);
        if (!m_socket->closeReason().isEmpty())
            description += u", "_s + m_socket->closeReason();
        receiveFailed(description + u')');
    });
    m_socket->open(m_url);

    heartbeatLoop(QPointer(this), m_cancellation.token());
}

void SocketModeClient::stop()
{
    qCInfo(lcSocket, "Socket Mode stopping");
    m_cancellation.cancel();
    m_receiveEnded = true;
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->close(QWebSocketProtocol::CloseCodeGoingAway);
        m_socket->deleteLater();
        m_socket = nullptr;
    }
    m_events.finish();
}

void SocketModeClient::emitEvent(Event event)
{
    m_events.push(std::move(event));
}

void SocketModeClient::receiveFailed(const QString& description)
{
    receiveFailed(description, Problem::of(Problem::Kind::connectionLost, description));
}

void SocketModeClient::receiveFailed(const QString& description, Problem problem)
{
    // One failure ends the receive path; later frames and errors of this socket are ignored.
    if (m_receiveEnded || m_cancellation.isCancelled())
        return;
    m_receiveEnded = true;
    qCCritical(lcSocket, "WebSocket receive failed: %s", qUtf8Printable(logCut(description)));
    emitEvent(SocketError { description, std::move(problem) });
}

void SocketModeClient::handleFrame(const QByteArray& bytes)
{
    if (m_receiveEnded)
        return;
    qCDebug(
        lcSocket, "RX envelope: %s", qUtf8Printable(logCut(logPrivate(frameTextForLog(bytes)))));

    // A frame that does not decode costs that frame only: the connection carries on.
    auto envelope = SocketModeEnvelope::decode(bytes);
    if (!envelope) {
        qCCritical(lcSocket, "Envelope decode failed: %s",
            qUtf8Printable(logCut(envelope.error().description())));
        return;
    }

    std::visit(
        [this](auto& payload) {
            using T = std::decay_t<decltype(payload)>;
            if constexpr (std::is_same_v<T, SocketModeEnvelope::Hello>) {
                qCInfo(lcSocket, "Slack hello received (%lld connections)",
                    static_cast<long long>(payload.numConnections.value_or(-1)));
                emitEvent(HelloReceived {});
            } else if constexpr (std::is_same_v<T, SocketModeEnvelope::EventsApi>) {
                // Slack redelivers events whose acknowledgement is late, so it goes out first,
                // also for a payload that does not decode: redelivering it would not help.
                if (!sendAck(payload.envelopeId))
                    return;
                if (!payload.event) {
                    qCCritical(lcSocket, "Envelope decode failed: %s",
                        qUtf8Printable(logCut(payload.event.error().description())));
                    return;
                }
                if (auto classified = classifyEvent(*payload.event)) {
                    std::visit([this](auto& event) { emitEvent(std::move(event)); }, *classified);
                }
            } else if constexpr (std::is_same_v<T, SocketModeEnvelope::Disconnect>) {
                qCInfo(lcSocket, "Slack disconnect received (reason: %s)",
                    qUtf8Printable(logCut(payload.reason.value_or(u"<nil>"_s))));
                emitEvent(Disconnect { payload.reason });
            } else {
                qCDebug(lcSocket, "Other envelope type: %s", qUtf8Printable(logCut(payload.type)));
            }
        },
        envelope->value);
}

bool SocketModeClient::sendAck(const QString& envelopeId)
{
    if (!m_socket)
        return true;
    const QString text = SocketModeEnvelope::encodeAcknowledgement(envelopeId);
    const qint64 sent = m_socket->sendTextMessage(text);
    // Push it to the network now rather than on the next event-loop turn.
    m_socket->flush();
    if (sent != text.toUtf8().size()) {
        const QString reason = m_socket->errorString().isEmpty()
            ? u"the acknowledgement could not be sent"_s
            : m_socket->errorString();
        receiveFailed(reason);
        return false;
    }
    return true;
}

QCoro::Task<> SocketModeClient::heartbeatLoop(
    QPointer<SocketModeClient> self, CancellationToken token)
{
    while (self && !token.isCancelled()) {
        if (!co_await sleepFor(self->m_heartbeatInterval, token))
            co_return;
        if (!self || token.isCancelled() || !self->m_socket)
            co_return;
        const auto timeout = self->m_heartbeatPongTimeout;
        const bool pong = co_await self->awaitPong(timeout);
        if (!self || token.isCancelled())
            co_return;
        if (pong) {
            qCDebug(lcSocket, "Heartbeat PONG received");
            continue;
        }
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout).count();
        qCCritical(lcSocket, "Heartbeat PONG timeout (%llds) — declaring connection dead",
            static_cast<long long>(seconds));
        // Worded like the Web API's Socket Mode failures, which the same status line shows.
        const QString description = u"Socket Mode failed: no PONG received within "_s
            + QString::number(seconds) + u"s — connection appears dead"_s;
        self->emitEvent(SocketError {
            description, Problem::of(Problem::Kind::heartbeatMissed, description, seconds) });
        co_return;
    }
}

QCoro::Task<bool> SocketModeClient::awaitPong(std::chrono::milliseconds timeout)
{
    auto gate = std::make_shared<PongGate>();
    QWebSocket* socket = m_socket;
    QMetaObject::Connection pongConnection;
    QMetaObject::Connection openConnection;
    const auto state = socket ? socket->state() : QAbstractSocket::UnconnectedState;
    const bool opening
        = state == QAbstractSocket::HostLookupState || state == QAbstractSocket::ConnectingState;
    // A socket that is neither open nor opening cannot ping: a failed ping, decided at once. One
    // still opening (a slow handshake) pings once open, within the same timeout.
    if (state != QAbstractSocket::ConnectedState && !opening) {
        gate->finish(false);
    } else {
        pongConnection = connect(socket, &QWebSocket::pong, socket,
            [gate](quint64, const QByteArray&) { gate->finish(true); });
        if (opening)
            openConnection
                = connect(socket, &QWebSocket::connected, socket, [socket] { socket->ping(); });
        else
            socket->ping();
    }
    // The timer and the cancellation hook are not tied to this client: they must still wake the
    // loop when the client is gone, and the gate ignores them once decided.
    QTimer::singleShot(
        timeout, Qt::PreciseTimer, QCoreApplication::instance(), [gate] { gate->finish(false); });
    const auto cancelConnection = m_cancellation.token().onCancelled(
        QCoreApplication::instance(), [gate] { gate->finish(false); });
    const bool pong = co_await PongAwaiter { gate.get() };
    QObject::disconnect(pongConnection);
    QObject::disconnect(openConnection);
    QObject::disconnect(cancelConnection);
    co_return pong;
}

} // namespace halyard

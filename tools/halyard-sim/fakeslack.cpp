#include "halyard-sim/fakeslack.h"

#include "halyard-sim/httpwire.h"
#include "halyard-sim/loopbackserver.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QJsonDocument>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>
#include <QUuid>

using namespace Qt::Literals::StringLiterals;

namespace halyard::test {

namespace {

QByteArray compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

bool headerHas(const RecordedRequest& request, QByteArrayView name, QByteArrayView token)
{
    const auto value = request.header(name);
    return value && value->toLower().contains(token.toByteArray().toLower());
}

} // namespace

FakeReply FakeReply::serve()
{
    return FakeReply {};
}

FakeReply FakeReply::http(int status, QByteArray body, QByteArray contentType)
{
    FakeReply reply;
    reply.kind = Kind::respond;
    reply.status = status;
    reply.body = std::move(body);
    reply.contentType = std::move(contentType);
    return reply;
}

FakeReply FakeReply::json(const QJsonObject& body, int status)
{
    return http(status, compact(body), "application/json; charset=utf-8");
}

FakeReply FakeReply::slackError(const QString& code)
{
    return json(slackErrorBody(code));
}

FakeReply FakeReply::drop()
{
    FakeReply reply;
    reply.kind = Kind::drop;
    return reply;
}

FakeReply FakeReply::hang()
{
    FakeReply reply;
    reply.kind = Kind::hang;
    return reply;
}

FakeReply FakeReply::redirect(const QByteArray& location, int status)
{
    return http(status, "moved").withHeader("Location", location);
}

FakeReply FakeReply::trickle(QByteArray body, std::chrono::milliseconds interval)
{
    FakeReply reply = http(200, std::move(body), "application/json; charset=utf-8");
    reply.kind = Kind::trickle;
    reply.interval = interval;
    return reply;
}

FakeReply FakeReply::after(std::chrono::milliseconds wait) const
{
    FakeReply reply = *this;
    reply.delay = wait;
    return reply;
}

FakeReply FakeReply::withHeader(QByteArray name, QByteArray value) const
{
    FakeReply reply = *this;
    reply.headers.append({ std::move(name), std::move(value) });
    return reply;
}

FakeSlack::FakeSlack(QObject* parent)
    : QObject(parent)
    , m_server(new LoopbackServer(this))
{
    m_clock.start();
    connect(m_server, &QTcpServer::newConnection, this, &FakeSlack::acceptConnections);
}

FakeSlack::~FakeSlack()
{
    // Connections first: their sockets must not outlive the server's bookkeeping.
    for (const auto& connection : std::as_const(m_connections))
        delete connection.data();
}

bool FakeSlack::listen(quint16 port)
{
    return m_server->listen(QHostAddress::LocalHost, port);
}

quint16 FakeSlack::port() const
{
    return m_server->serverPort();
}

void FakeSlack::serveTls(const QSslCertificate& certificate, const QSslKey& key)
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(certificate);
    tls.setPrivateKey(key);
    // A server asks nothing of its clients; Slack does not either.
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    m_server->setTls(tls);
}

QUrl FakeSlack::apiUrl() const
{
    const QString scheme = m_server->isTls() ? u"https"_s : u"http"_s;
    return QUrl(scheme + u"://127.0.0.1:" + QString::number(port()) + u"/api/");
}

void FakeSlack::script(const QString& apiMethod, FakeReply reply, int times)
{
    if (times == 0)
        return;
    m_scripts[apiMethod].append(Script { std::move(reply), times });
}

void FakeSlack::clearScripts()
{
    m_scripts.clear();
}

std::optional<FakeReply> FakeSlack::takeScript(const QString& apiMethod)
{
    auto it = m_scripts.find(apiMethod);
    if (it == m_scripts.end() || it->isEmpty())
        return std::nullopt;
    Script& first = it->first();
    FakeReply reply = first.reply;
    if (first.remaining > 0 && --first.remaining == 0)
        it->removeFirst();
    return reply;
}

QList<RecordedRequest> FakeSlack::requests(const QString& apiMethod) const
{
    QList<RecordedRequest> out;
    for (const RecordedRequest& request : m_requests) {
        if (request.apiMethod == apiMethod)
            out.append(request);
    }
    return out;
}

void FakeSlack::clearRecords()
{
    m_requests.clear();
    m_frames.clear();
}

void FakeSlack::acceptConnections()
{
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        m_buffers.insert(socket, {});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            socket->deleteLater();
        });
    }
}

void FakeSlack::readRequest(QTcpSocket* socket)
{
    auto it = m_buffers.find(socket);
    if (it == m_buffers.end())
        return;
    it->append(socket->readAll());
    auto parsed = http::takeRequest(*it);
    if (std::holds_alternative<http::Incomplete>(parsed))
        return;
    // One request per connection: every answer closes it.
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    if (const auto* malformed = std::get_if<http::Malformed>(&parsed)) {
        socket->write(http::response(malformed->status, malformed->reason, "text/plain"));
        socket->disconnectFromHost();
        return;
    }
    auto request = std::get<RecordedRequest>(std::move(parsed));
    request.receivedAtMs = elapsedMs();
    m_requests.append(request);
    emit requestReceived(request);
    dispatch(socket, std::move(request));
}

void FakeSlack::dispatch(QTcpSocket* socket, RecordedRequest request)
{
    if (request.path.startsWith(u"/link") && headerHas(request, "Upgrade", "websocket")) {
        upgrade(socket, request);
        return;
    }
    if (request.apiMethod.isEmpty()) {
        socket->write(http::response(404, "not found", "text/plain"));
        socket->disconnectFromHost();
        return;
    }
    act(socket, request, takeScript(request.apiMethod).value_or(FakeReply::serve()));
}

void FakeSlack::act(
    QPointer<QTcpSocket> socket, const RecordedRequest& request, const FakeReply& reply)
{
    if (!socket)
        return;
    if (reply.delay > std::chrono::milliseconds::zero() && reply.kind != FakeReply::Kind::hang) {
        FakeReply now = reply;
        now.delay = std::chrono::milliseconds::zero();
        QTimer::singleShot(
            reply.delay, socket, [this, socket, request, now] { act(socket, request, now); });
        return;
    }
    switch (reply.kind) {
    case FakeReply::Kind::serve:
        serve(socket, request);
        break;
    case FakeReply::Kind::respond:
        socket->write(http::response(reply.status, reply.body, reply.contentType, reply.headers));
        socket->disconnectFromHost();
        break;
    case FakeReply::Kind::drop:
        socket->abort();
        break;
    case FakeReply::Kind::hang:
        break;
    case FakeReply::Kind::trickle:
        trickle(socket, http::response(reply.status, reply.body, reply.contentType, reply.headers),
            reply.interval);
        break;
    }
}

void FakeSlack::trickle(
    QPointer<QTcpSocket> socket, QByteArray response, std::chrono::milliseconds interval)
{
    const qsizetype headerEnd = response.indexOf("\r\n\r\n") + 4;
    socket->write(response.first(headerEnd));
    if (headerEnd >= response.size()) {
        socket->disconnectFromHost();
        return;
    }
    auto* timer = new QTimer(socket);
    timer->setInterval(interval);
    connect(timer, &QTimer::timeout, socket, [socket, timer, response, next = headerEnd]() mutable {
        socket->write(response.sliced(next++, 1));
        if (next == response.size()) {
            timer->stop();
            socket->disconnectFromHost();
        }
    });
    timer->start();
}

void FakeSlack::serve(QTcpSocket* socket, const RecordedRequest& request)
{
    QJsonObject answer;
    if (request.apiMethod == u"apps.connections.open") {
        if (const auto error = m_workspace.tokenError(request.apiMethod, request.token()))
            answer = slackErrorBody(*error);
        else
            answer = QJsonObject { { u"ok"_s, true }, { u"url"_s, socketUrl().toString() } };
    } else {
        answer = m_workspace.handle(request.apiMethod, request.params(), request.token());
    }
    socket->write(http::response(200, compact(answer), "application/json; charset=utf-8"));
    socket->disconnectFromHost();
}

QUrl FakeSlack::socketUrl()
{
    const QString ticket = QUuid::createUuid().toString(QUuid::WithoutBraces);
    m_tickets.insert(ticket);
    const QString scheme = m_server->isTls() ? u"wss"_s : u"ws"_s;
    QUrl url(scheme + u"://127.0.0.1:" + QString::number(port()) + u"/link/");
    url.setQuery(QUrlQuery { { u"ticket"_s, ticket }, { u"app_id"_s, m_workspace.appId } });
    return url;
}

void FakeSlack::upgrade(QTcpSocket* socket, const RecordedRequest& request)
{
    const auto key = request.header("Sec-WebSocket-Key");
    const QString ticket = QUrlQuery(QString::fromUtf8(request.query.value_or(QByteArray())))
                               .queryItemValue(u"ticket"_s);
    int refusal = 0;
    if (m_rejectSocketStatus != 0)
        refusal = m_rejectSocketStatus;
    else if (!key || request.header("Sec-WebSocket-Version") != "13")
        refusal = 400;
    else if (!m_tickets.remove(ticket))
        refusal = 401;
    if (refusal != 0) {
        socket->write(http::response(refusal, "socket refused", "text/plain"));
        socket->disconnectFromHost();
        return;
    }

    const QByteArray accept = QCryptographicHash::hash(
        QByteArray(*key + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11"), QCryptographicHash::Sha1)
                                  .toBase64();
    socket->write("HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\n"
                  "Connection: Upgrade\r\nSec-WebSocket-Accept: "
        + accept + "\r\n\r\n");

    // The connection takes the socket over, with whatever arrived after the request.
    disconnect(socket, nullptr, this, nullptr);
    QByteArray leftover = m_buffers.take(socket);
    ++m_socketCount;
    auto* connection = new FakeSocketConnection(socket, m_clock, std::move(leftover), this);
    connection->setAnswerPings(m_answerPings);
    connect(connection, &FakeSocketConnection::frameReceived, this,
        [this](const ReceivedFrame& frame) { m_frames.append(frame); });
    connect(connection, &FakeSocketConnection::disconnected, connection, &QObject::deleteLater);
    m_connections.append(connection);
    if (m_helloOnConnect)
        sendHello();
}

void FakeSlack::setAnswerPings(bool answer)
{
    m_answerPings = answer;
    for (const auto& connection : std::as_const(m_connections)) {
        if (connection)
            connection->setAnswerPings(answer);
    }
}

FakeSocketConnection* FakeSlack::newestConnection() const
{
    for (auto it = m_connections.crbegin(); it != m_connections.crend(); ++it) {
        if (*it && (*it)->isOpen())
            return it->data();
    }
    return nullptr;
}

bool FakeSlack::isSocketConnected() const
{
    return newestConnection() != nullptr;
}

bool FakeSlack::sendText(const QByteArray& utf8)
{
    FakeSocketConnection* connection = newestConnection();
    if (!connection)
        return false;
    connection->sendText(utf8);
    return true;
}

bool FakeSlack::sendBinary(const QByteArray& bytes)
{
    FakeSocketConnection* connection = newestConnection();
    if (!connection)
        return false;
    connection->sendBinary(bytes);
    return true;
}

bool FakeSlack::sendTextInFragments(const QByteArray& utf8, qsizetype fragmentSize)
{
    FakeSocketConnection* connection = newestConnection();
    if (!connection)
        return false;
    connection->sendTextInFragments(utf8, fragmentSize);
    return true;
}

bool FakeSlack::sendEnvelope(const QJsonObject& envelope)
{
    return sendText(compact(envelope));
}

bool FakeSlack::sendHello(std::optional<qint64> numConnections)
{
    QJsonObject hello {
        { u"type"_s, u"hello"_s },
        { u"debug_info"_s,
            QJsonObject {
                { u"host"_s, u"fake-slack"_s }, { u"approximate_connection_time"_s, 18060 } } },
        { u"connection_info"_s, QJsonObject { { u"app_id"_s, m_workspace.appId } } },
    };
    if (numConnections)
        hello.insert(u"num_connections", *numConnections);
    return sendEnvelope(hello);
}

bool FakeSlack::sendDisconnect(std::optional<QString> reason)
{
    QJsonObject envelope {
        { u"type"_s, u"disconnect"_s },
        { u"debug_info"_s, QJsonObject { { u"host"_s, u"fake-slack"_s } } },
    };
    if (reason)
        envelope.insert(u"reason", *reason);
    return sendEnvelope(envelope);
}

QString FakeSlack::sendEvent(const QJsonObject& event)
{
    const QString envelopeId = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QJsonObject envelope {
        { u"envelope_id"_s, envelopeId },
        { u"type"_s, u"events_api"_s },
        { u"accepts_response_payload"_s, false },
        { u"retry_attempt"_s, 0 },
        { u"retry_reason"_s, u""_s },
        { u"payload"_s,
            QJsonObject {
                { u"token"_s, u"verification-token"_s },
                { u"team_id"_s, m_workspace.teamId },
                { u"api_app_id"_s, m_workspace.appId },
                { u"event"_s, event },
                { u"type"_s, u"event_callback"_s },
                { u"event_id"_s, QString(u"Ev"_s + QString::number(++m_eventCount)) },
                { u"event_time"_s, QDateTime::currentSecsSinceEpoch() },
            } },
    };
    return sendEnvelope(envelope) ? envelopeId : QString();
}

QString FakeSlack::postMessage(const QString& channel, QJsonObject message)
{
    const QString ts = m_workspace.addMessage(channel, message);
    QJsonObject event = *m_workspace.message(channel, ts);
    event.insert(u"channel", channel);
    event.insert(u"event_ts", ts);
    const auto info = m_workspace.channel(channel);
    event.insert(u"channel_type", info && info->isPrivate ? u"group"_s : u"channel"_s);
    sendEvent(event);
    return ts;
}

QString FakeSlack::addReaction(
    const QString& channel, const QString& ts, const QString& name, const QString& user)
{
    m_workspace.addReaction(channel, ts, name, user);
    return sendEvent(QJsonObject {
        { u"type"_s, u"reaction_added"_s },
        { u"user"_s, user },
        { u"reaction"_s, name },
        { u"item"_s,
            QJsonObject {
                { u"type"_s, u"message"_s }, { u"channel"_s, channel }, { u"ts"_s, ts } } },
        { u"event_ts"_s, ts },
    });
}

void FakeSlack::dropSocket()
{
    if (FakeSocketConnection* connection = newestConnection())
        connection->drop();
}

QStringList FakeSlack::acknowledgedEnvelopeIds() const
{
    QStringList out;
    for (const ReceivedFrame& frame : m_frames) {
        if (frame.kind != ReceivedFrame::Kind::text)
            continue;
        const QJsonObject object = QJsonDocument::fromJson(frame.payload).object();
        if (object.value(u"envelope_id").isString())
            out.append(object.value(u"envelope_id").toString());
    }
    return out;
}

} // namespace halyard::test

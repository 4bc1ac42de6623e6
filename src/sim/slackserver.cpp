#include "sim/slackserver.h"

#include "sim/httpwire.h"
#include "sim/loopbackserver.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QJsonDocument>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpSocket>
#include <QUrlQuery>
#include <QUuid>

using namespace Qt::Literals::StringLiterals;

namespace halyard::sim {

namespace {

QByteArray compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

bool headerHas(const HttpRequest& request, QByteArrayView name, QByteArrayView token)
{
    const auto value = request.header(name);
    return value && value->toLower().contains(token.toByteArray().toLower());
}

void answer(QTcpSocket* socket, int status, const QByteArray& body, const QByteArray& contentType)
{
    socket->write(http::response(status, body, contentType));
    socket->disconnectFromHost();
}

} // namespace

SlackServer::SlackServer(QObject* parent)
    : QObject(parent)
    , m_server(new LoopbackServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &SlackServer::acceptConnections);
}

SlackServer::~SlackServer()
{
    // Connections first: their sockets must not outlive the server's bookkeeping.
    for (const auto& connection : std::as_const(m_connections))
        delete connection.data();
}

bool SlackServer::listen(quint16 port)
{
    return m_server->listen(QHostAddress::LocalHost, port);
}

quint16 SlackServer::port() const
{
    return m_server->serverPort();
}

void SlackServer::serveTls(const QSslCertificate& certificate, const QSslKey& key)
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(certificate);
    tls.setPrivateKey(key);
    // A server asks nothing of its clients; Slack does not either.
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    m_server->setTls(tls);
}

QUrl SlackServer::apiUrl() const
{
    const QString scheme = m_server->isTls() ? u"https"_s : u"http"_s;
    return QUrl(scheme + u"://127.0.0.1:" + QString::number(port()) + u"/api/");
}

void SlackServer::acceptConnections()
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

void SlackServer::readRequest(QTcpSocket* socket)
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
        answer(socket, malformed->status, malformed->reason, "text/plain");
        return;
    }
    handleRequest(socket, std::get<HttpRequest>(std::move(parsed)));
}

bool SlackServer::isSocketUpgrade(const HttpRequest& request)
{
    return request.path.startsWith(u"/link") && headerHas(request, "Upgrade", "websocket");
}

void SlackServer::handleRequest(QTcpSocket* socket, HttpRequest request)
{
    if (isSocketUpgrade(request))
        upgrade(socket, request);
    else if (request.apiMethod.isEmpty())
        answer(socket, 404, "not found", "text/plain");
    else
        answerApiCall(socket, request);
}

void SlackServer::answerApiCall(QTcpSocket* socket, const HttpRequest& request)
{
    QJsonObject body;
    if (request.apiMethod == u"apps.connections.open") {
        if (const auto error = m_workspace.tokenError(request.apiMethod, request.token()))
            body = slackErrorBody(*error);
        else
            body = QJsonObject { { u"ok"_s, true }, { u"url"_s, socketUrl().toString() } };
    } else {
        body = m_workspace.handle(request.apiMethod, request.params(), request.token());
    }
    answer(socket, 200, compact(body), "application/json; charset=utf-8");
}

QUrl SlackServer::socketUrl()
{
    const QString ticket = QUuid::createUuid().toString(QUuid::WithoutBraces);
    m_tickets.insert(ticket);
    const QString scheme = m_server->isTls() ? u"wss"_s : u"ws"_s;
    QUrl url(scheme + u"://127.0.0.1:" + QString::number(port()) + u"/link/");
    url.setQuery(QUrlQuery { { u"ticket"_s, ticket }, { u"app_id"_s, m_workspace.appId } });
    return url;
}

void SlackServer::upgrade(QTcpSocket* socket, const HttpRequest& request)
{
    const auto key = request.header("Sec-WebSocket-Key");
    const QString ticket = QUrlQuery(QString::fromUtf8(request.query.value_or(QByteArray())))
                               .queryItemValue(u"ticket"_s);
    int refusal = 0;
    if (!key || request.header("Sec-WebSocket-Version") != "13")
        refusal = 400;
    else if (!m_tickets.remove(ticket))
        refusal = 401;
    if (refusal != 0) {
        answer(socket, refusal, "socket refused", "text/plain");
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
    SocketConnection* connection = createConnection(socket, m_buffers.take(socket));
    connect(connection, &SocketConnection::disconnected, connection, &QObject::deleteLater);
    m_connections.append(connection);
    socketOpened(*connection);
}

SocketConnection* SlackServer::createConnection(QTcpSocket* socket, QByteArray leftover)
{
    return new SocketConnection(socket, std::move(leftover), this);
}

void SlackServer::socketOpened(SocketConnection& connection)
{
    connection.sendText(compact(hello(1)));
}

SocketConnection* SlackServer::newestConnection() const
{
    for (auto it = m_connections.crbegin(); it != m_connections.crend(); ++it) {
        if (*it && (*it)->isOpen())
            return it->data();
    }
    return nullptr;
}

bool SlackServer::isSocketConnected() const
{
    return newestConnection() != nullptr;
}

bool SlackServer::sendEnvelope(const QJsonObject& envelope)
{
    SocketConnection* connection = newestConnection();
    if (!connection)
        return false;
    connection->sendText(compact(envelope));
    return true;
}

QJsonObject SlackServer::hello(std::optional<qint64> numConnections) const
{
    QJsonObject out {
        { u"type"_s, u"hello"_s },
        { u"debug_info"_s,
            QJsonObject {
                { u"host"_s, u"halyard-sim"_s }, { u"approximate_connection_time"_s, 18060 } } },
        { u"connection_info"_s, QJsonObject { { u"app_id"_s, m_workspace.appId } } },
    };
    if (numConnections)
        out.insert(u"num_connections", *numConnections);
    return out;
}

QString SlackServer::sendEvent(const QJsonObject& event)
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

QString SlackServer::postMessage(const QString& channel, QJsonObject message)
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

QString SlackServer::addReaction(
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

} // namespace halyard::sim

#include "halyard-sim/fakeslack.h"

#include "sim/httpwire.h"

#include <QJsonDocument>
#include <QTcpSocket>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace halyard::test {

namespace http = sim::http;

namespace {

QByteArray compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
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
    return json(sim::slackErrorBody(code));
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
    : sim::SlackServer(parent)
{
    m_clock.start();
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

void FakeSlack::handleRequest(QTcpSocket* socket, sim::HttpRequest request)
{
    const RecordedRequest recorded { std::move(request), elapsedMs() };
    m_requests.append(recorded);
    emit requestReceived(recorded);
    if (isSocketUpgrade(recorded)) {
        if (m_rejectSocketStatus == 0) {
            sim::SlackServer::handleRequest(socket, recorded);
        } else {
            socket->write(http::response(m_rejectSocketStatus, "socket refused", "text/plain"));
            socket->disconnectFromHost();
        }
        return;
    }
    if (recorded.apiMethod.isEmpty()) {
        sim::SlackServer::handleRequest(socket, recorded);
        return;
    }
    act(socket, recorded, takeScript(recorded.apiMethod).value_or(FakeReply::serve()));
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
        answerApiCall(socket, request);
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

sim::SocketConnection* FakeSlack::createConnection(QTcpSocket* socket, QByteArray leftover)
{
    ++m_socketCount;
    auto* connection = new FakeSocketConnection(socket, m_clock, std::move(leftover), this);
    connection->setAnswerPings(m_answerPings);
    connect(connection, &FakeSocketConnection::frameReceived, this,
        [this](const ReceivedFrame& frame) { m_frames.append(frame); });
    return connection;
}

void FakeSlack::socketOpened(sim::SocketConnection& connection)
{
    if (m_helloOnConnect)
        sim::SlackServer::socketOpened(connection);
}

void FakeSlack::setAnswerPings(bool answer)
{
    m_answerPings = answer;
    for (const auto& connection : connections()) {
        if (auto* fake = qobject_cast<FakeSocketConnection*>(connection.data()))
            fake->setAnswerPings(answer);
    }
}

FakeSocketConnection* FakeSlack::newestFakeConnection() const
{
    return qobject_cast<FakeSocketConnection*>(newestConnection());
}

bool FakeSlack::sendText(const QByteArray& utf8)
{
    sim::SocketConnection* connection = newestConnection();
    if (!connection)
        return false;
    connection->sendText(utf8);
    return true;
}

bool FakeSlack::sendBinary(const QByteArray& bytes)
{
    FakeSocketConnection* connection = newestFakeConnection();
    if (!connection)
        return false;
    connection->sendBinary(bytes);
    return true;
}

bool FakeSlack::sendTextInFragments(const QByteArray& utf8, qsizetype fragmentSize)
{
    FakeSocketConnection* connection = newestFakeConnection();
    if (!connection)
        return false;
    connection->sendTextInFragments(utf8, fragmentSize);
    return true;
}

bool FakeSlack::sendHello(std::optional<qint64> numConnections)
{
    return sendEnvelope(hello(numConnections));
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

void FakeSlack::dropSocket()
{
    if (FakeSocketConnection* connection = newestFakeConnection())
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

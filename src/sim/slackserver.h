#pragma once

#include "sim/httprequest.h"
#include "sim/socketconnection.h"
#include "sim/workspace.h"

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QUrl>

#include <optional>

class QSslCertificate;
class QSslKey;
class QTcpSocket;

namespace halyard::sim {

class LoopbackServer;

// Slack as the simulation serves it: the Web API under /api/ and Socket Mode on /link/, both over
// HTTP/1.1 on one loopback port, plain or TLS. Web API calls are answered from workspace(); a
// Socket Mode client connects to the one-time URL that apps.connections.open hands out, is
// greeted with hello, and gets the events pushed here on its newest connection. Everything runs
// on the thread's event loop; nothing blocks.
//
// A subclass may take a request over before it is routed (handleRequest), make its own server end
// of each WebSocket (createConnection) and greet it otherwise (socketOpened).
class SlackServer : public QObject {
    Q_OBJECT
public:
    explicit SlackServer(QObject* parent = nullptr);
    ~SlackServer() override;

    // Listens on 127.0.0.1; port 0 picks a free one.
    bool listen(quint16 port = 0);
    quint16 port() const;
    // Connections accepted from now on are TLS with this certificate: the Web API is then
    // reached over https and Socket Mode over wss, as Slack is.
    void serveTls(const QSslCertificate& certificate, const QSslKey& key);
    // "http://127.0.0.1:<port>/api/" (https with TLS), the Web API base URL for the client.
    QUrl apiUrl() const;

    Workspace& workspace() { return m_workspace; }
    const Workspace& workspace() const { return m_workspace; }

    bool isSocketConnected() const;

    // Each send goes to the newest open connection and returns false (or an empty ID) without
    // one.
    bool sendEnvelope(const QJsonObject& envelope);
    // Wraps the event in an events_api envelope; returns the envelope ID.
    QString sendEvent(const QJsonObject& event);
    // Stores the message (see Workspace::addMessage) and pushes it as a live message event;
    // returns its ts.
    QString postMessage(const QString& channel, QJsonObject message);
    // Stores the reaction and pushes reaction_added; returns the envelope ID.
    QString addReaction(
        const QString& channel, const QString& ts, const QString& name, const QString& user);

protected:
    // Every well-formed request as it arrived. The default routes it: a WebSocket upgrade on
    // /link/, a Web API call under /api/, anything else 404.
    virtual void handleRequest(QTcpSocket* socket, HttpRequest request);
    // The server end of an accepted WebSocket, parented to this server.
    virtual SocketConnection* createConnection(QTcpSocket* socket, QByteArray leftover);
    // A Socket Mode client has just connected; Slack says hello first.
    virtual void socketOpened(SocketConnection& connection);

    static bool isSocketUpgrade(const HttpRequest& request);
    // Answers a Web API call from the workspace and closes the connection.
    void answerApiCall(QTcpSocket* socket, const HttpRequest& request);
    // A one-time Socket Mode URL, as apps.connections.open returns it.
    QUrl socketUrl();
    const QList<QPointer<SocketConnection>>& connections() const { return m_connections; }
    SocketConnection* newestConnection() const;
    // Slack's greeting; num_connections is left out when absent.
    QJsonObject hello(std::optional<qint64> numConnections) const;

private:
    void acceptConnections();
    void readRequest(QTcpSocket* socket);
    void upgrade(QTcpSocket* socket, const HttpRequest& request);

    LoopbackServer* m_server = nullptr;
    Workspace m_workspace;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    QList<QPointer<SocketConnection>> m_connections;
    QSet<QString> m_tickets;
    int m_eventCount = 0;
};

} // namespace halyard::sim

#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTcpSocket>

namespace halyard::sim {

// What the client sent on a Socket Mode connection: a whole data message (fragments joined) or
// one control frame.
struct SocketFrame {
    enum class Kind { text, binary, ping, pong, close };

    Kind kind = Kind::text;
    QByteArray payload; // a close frame's payload starts with its two-byte code
};

// The server end of one WebSocket (RFC 6455) after the upgrade: reads the client's masked
// frames, answers pings and the closing handshake, writes unmasked frames. Written here rather
// than taken from QWebSocketServer because the upgrade belongs to the HTTP server, which checks
// Slack's one-time tickets on the same port as the Web API.
//
// A subclass sees every frame through received() and may answer pings otherwise.
class SocketConnection : public QObject {
    Q_OBJECT
public:
    // Takes over the socket; `leftover` holds bytes that arrived after the upgrade request.
    SocketConnection(QTcpSocket* socket, QByteArray leftover, QObject* parent);
    ~SocketConnection() override;

    bool isOpen() const;

    void sendText(const QByteArray& utf8);

signals:
    void disconnected();

protected:
    enum Opcode : quint8 {
        kContinuation = 0x0,
        kText = 0x1,
        kBinary = 0x2,
        kClose = 0x8,
        kPing = 0x9,
        kPong = 0xA,
    };

    // Every whole message and control frame the client sent, before the connection reacts.
    virtual void received(const SocketFrame& frame);
    // Slack answers every ping with a pong of the same payload.
    virtual void answerPing(const QByteArray& payload);

    void writeFrame(quint8 opcode, const QByteArray& payload, bool final = true);
    QTcpSocket* socket() const { return m_socket; }

private:
    void readFrames();
    bool takeFrame();
    // Answers a broken frame with a close frame of this code; the TCP connection ends when the
    // client answers, or a second later.
    void failProtocol(quint16 code);

    QPointer<QTcpSocket> m_socket;
    QByteArray m_buffer;
    QByteArray m_fragments;
    SocketFrame::Kind m_fragmentKind = SocketFrame::Kind::text;
    bool m_inFragments = false;
    bool m_closeSent = false;
    bool m_gone = false;
};

} // namespace halyard::sim

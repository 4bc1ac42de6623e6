#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTcpSocket>

namespace halyard::test {

// What the fake server received on a Socket Mode connection: a whole data message (fragments
// joined) or one control frame.
struct ReceivedFrame {
    enum class Kind { text, binary, ping, pong, close };

    Kind kind = Kind::text;
    QByteArray payload; // a close frame's payload starts with its two-byte code
    qint64 receivedAtMs = 0; // on the server's monotonic clock

    // The close code of a close frame, 1005 when it carried none.
    quint16 closeCode() const;
};

// The server end of one WebSocket (RFC 6455) after the upgrade: reads the client's masked
// frames, writes unmasked ones. Written here rather than taken from QWebSocketServer so a test
// can leave pings unanswered and drop the connection without a close frame.
class FakeSocketConnection : public QObject {
    Q_OBJECT
public:
    // Takes over the socket; `leftover` holds bytes that arrived after the upgrade request.
    FakeSocketConnection(
        QTcpSocket* socket, const QElapsedTimer& clock, QByteArray leftover, QObject* parent);
    ~FakeSocketConnection() override;

    bool isOpen() const;

    void setAnswerPings(bool answer) { m_answerPings = answer; }

    void sendText(const QByteArray& utf8);
    void sendBinary(const QByteArray& bytes);
    // One text message split into frames of `fragmentSize` bytes.
    void sendTextInFragments(const QByteArray& utf8, qsizetype fragmentSize);
    // Ends the TCP connection at once, without a close frame.
    void drop();

signals:
    void frameReceived(const halyard::test::ReceivedFrame& frame);
    void disconnected();

private:
    void readFrames();
    bool takeFrame();
    void writeFrame(quint8 opcode, const QByteArray& payload, bool final = true);
    // Answers a broken frame with a close frame of this code; the TCP connection ends when the
    // client answers, or a second later.
    void failProtocol(quint16 code);

    QPointer<QTcpSocket> m_socket;
    QElapsedTimer m_clock;
    QByteArray m_buffer;
    QByteArray m_fragments;
    ReceivedFrame::Kind m_fragmentKind = ReceivedFrame::Kind::text;
    bool m_inFragments = false;
    bool m_answerPings = true;
    bool m_closeSent = false;
    bool m_gone = false;
};

} // namespace halyard::test

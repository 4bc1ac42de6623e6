#pragma once

#include "sim/socketconnection.h"

#include <QElapsedTimer>

namespace halyard::test {

// What the fake server received on a Socket Mode connection, with the time it arrived.
struct ReceivedFrame : sim::SocketFrame {
    qint64 receivedAtMs = 0; // on the server's monotonic clock

    // The close code of a close frame, 1005 when it carried none.
    quint16 closeCode() const;
};

// The simulated server end of a WebSocket, with what tests need on top: every frame reported
// with its arrival time, pings left unanswered on demand, frames Slack would not send, and an
// end without a close frame.
class FakeSocketConnection : public sim::SocketConnection {
    Q_OBJECT
public:
    FakeSocketConnection(
        QTcpSocket* socket, const QElapsedTimer& clock, QByteArray leftover, QObject* parent);

    void setAnswerPings(bool answer) { m_answerPings = answer; }

    void sendBinary(const QByteArray& bytes);
    // One text message split into frames of `fragmentSize` bytes.
    void sendTextInFragments(const QByteArray& utf8, qsizetype fragmentSize);
    // Ends the TCP connection at once, without a close frame.
    void drop();

signals:
    void frameReceived(const halyard::test::ReceivedFrame& frame);

protected:
    void received(const sim::SocketFrame& frame) override;
    void answerPing(const QByteArray& payload) override;

private:
    QElapsedTimer m_clock;
    bool m_answerPings = true;
};

} // namespace halyard::test

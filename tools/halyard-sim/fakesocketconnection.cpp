#include "halyard-sim/fakesocketconnection.h"

#include <QtEndian>

namespace halyard::test {

quint16 ReceivedFrame::closeCode() const
{
    if (kind != Kind::close || payload.size() < 2)
        return 1005;
    return qFromBigEndian<quint16>(payload.constData());
}

FakeSocketConnection::FakeSocketConnection(
    QTcpSocket* socket, const QElapsedTimer& clock, QByteArray leftover, QObject* parent)
    : sim::SocketConnection(socket, std::move(leftover), parent)
    , m_clock(clock)
{
}

void FakeSocketConnection::sendBinary(const QByteArray& bytes)
{
    writeFrame(kBinary, bytes);
}

void FakeSocketConnection::sendTextInFragments(const QByteArray& utf8, qsizetype fragmentSize)
{
    for (qsizetype at = 0; at < utf8.size(); at += fragmentSize) {
        const bool last = at + fragmentSize >= utf8.size();
        writeFrame(at == 0 ? kText : kContinuation,
            utf8.sliced(at, std::min(fragmentSize, utf8.size() - at)), last);
    }
}

void FakeSocketConnection::drop()
{
    if (QTcpSocket* tcp = socket())
        tcp->abort();
}

void FakeSocketConnection::received(const sim::SocketFrame& frame)
{
    emit frameReceived(ReceivedFrame { frame, m_clock.elapsed() });
}

void FakeSocketConnection::answerPing(const QByteArray& payload)
{
    if (m_answerPings)
        sim::SocketConnection::answerPing(payload);
}

} // namespace halyard::test

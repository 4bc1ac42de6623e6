#include "sim/socketconnection.h"

#include <QTimer>
#include <QtEndian>

namespace halyard::sim {

namespace {

constexpr quint64 kMaxPayload = 16 * 1024 * 1024;
constexpr int kCloseHandshakeMs = 1000;

QByteArray closePayload(quint16 code)
{
    QByteArray out(2, Qt::Uninitialized);
    qToBigEndian(code, out.data());
    return out;
}

} // namespace

SocketConnection::SocketConnection(QTcpSocket* socket, QByteArray leftover, QObject* parent)
    : QObject(parent)
    , m_socket(socket)
    , m_buffer(std::move(leftover))
{
    socket->setParent(this);
    connect(socket, &QTcpSocket::readyRead, this, &SocketConnection::readFrames);
    connect(socket, &QTcpSocket::disconnected, this, [this] {
        if (m_gone)
            return;
        m_gone = true;
        emit disconnected();
    });
    // Whoever created the connection hooks up its signals first, and a subclass is complete
    // before its hooks run.
    QMetaObject::invokeMethod(this, &SocketConnection::readFrames, Qt::QueuedConnection);
}

SocketConnection::~SocketConnection()
{
    m_gone = true;
    if (m_socket)
        m_socket->abort();
}

bool SocketConnection::isOpen() const
{
    return !m_gone && m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void SocketConnection::sendText(const QByteArray& utf8)
{
    writeFrame(kText, utf8);
}

void SocketConnection::received(const SocketFrame&) { }

void SocketConnection::answerPing(const QByteArray& payload)
{
    writeFrame(kPong, payload);
}

void SocketConnection::writeFrame(quint8 opcode, const QByteArray& payload, bool final)
{
    if (!isOpen())
        return;
    QByteArray frame;
    frame.append(char((final ? 0x80 : 0) | opcode));
    const quint64 size = quint64(payload.size());
    if (size < 126) {
        frame.append(char(size));
    } else if (size <= 0xFFFF) {
        frame.append(char(126));
        char length[2];
        qToBigEndian(quint16(size), length);
        frame.append(length, 2);
    } else {
        frame.append(char(127));
        char length[8];
        qToBigEndian(size, length);
        frame.append(length, 8);
    }
    frame.append(payload);
    m_socket->write(frame);
}

void SocketConnection::failProtocol(quint16 code)
{
    m_buffer.clear();
    if (m_closeSent || !isOpen())
        return;
    writeFrame(kClose, closePayload(code));
    m_closeSent = true;
    QTimer::singleShot(kCloseHandshakeMs, this, [this] {
        if (m_socket)
            m_socket->abort();
    });
}

void SocketConnection::readFrames()
{
    if (!m_socket)
        return;
    m_buffer.append(m_socket->readAll());
    while (takeFrame()) { }
}

bool SocketConnection::takeFrame()
{
    if (m_buffer.size() < 2 || m_gone)
        return false;
    const auto b0 = quint8(m_buffer[0]);
    const auto b1 = quint8(m_buffer[1]);
    const bool fin = b0 & 0x80;
    const quint8 opcode = b0 & 0x0F;
    quint64 length = b1 & 0x7F;
    qsizetype pos = 2;
    if (length == 126) {
        if (m_buffer.size() < 4)
            return false;
        length = qFromBigEndian<quint16>(m_buffer.constData() + 2);
        pos = 4;
    } else if (length == 127) {
        if (m_buffer.size() < 10)
            return false;
        length = qFromBigEndian<quint64>(m_buffer.constData() + 2);
        pos = 10;
    }
    if ((b0 & 0x70) || !(b1 & 0x80)) {
        // Reserved bits without an extension, or an unmasked client frame.
        failProtocol(1002);
        return false;
    }
    if (length > kMaxPayload) {
        failProtocol(1009);
        return false;
    }
    if (quint64(m_buffer.size()) < quint64(pos) + 4 + length)
        return false;

    const QByteArray mask = m_buffer.mid(pos, 4);
    QByteArray payload = m_buffer.mid(pos + 4, qsizetype(length));
    for (qsizetype i = 0; i < payload.size(); ++i)
        payload[i] = char(payload[i] ^ mask[i % 4]);
    m_buffer.remove(0, pos + 4 + qsizetype(length));

    const bool control = opcode & 0x8;
    if (control && (!fin || length > 125)) {
        failProtocol(1002);
        return false;
    }
    switch (opcode) {
    case kContinuation:
        if (!m_inFragments) {
            failProtocol(1002);
            return false;
        }
        m_fragments += payload;
        if (fin) {
            m_inFragments = false;
            received({ m_fragmentKind, std::exchange(m_fragments, {}) });
        }
        return true;
    case kText:
    case kBinary: {
        if (m_inFragments) {
            failProtocol(1002);
            return false;
        }
        const auto kind = opcode == kText ? SocketFrame::Kind::text : SocketFrame::Kind::binary;
        if (fin) {
            received({ kind, payload });
        } else {
            m_inFragments = true;
            m_fragmentKind = kind;
            m_fragments = payload;
        }
        return true;
    }
    case kClose:
        received({ SocketFrame::Kind::close, payload });
        if (!m_closeSent) {
            writeFrame(kClose, payload.left(2));
            m_closeSent = true;
        }
        // Nothing the client sends after its close counts.
        disconnect(m_socket, &QTcpSocket::readyRead, this, nullptr);
        m_socket->disconnectFromHost();
        return false;
    case kPing:
        received({ SocketFrame::Kind::ping, payload });
        answerPing(payload);
        return true;
    case kPong:
        received({ SocketFrame::Kind::pong, payload });
        return true;
    default:
        failProtocol(1002);
        return false;
    }
}

} // namespace halyard::sim

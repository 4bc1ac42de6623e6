// The simulated server's end of Socket Mode, driven byte by byte from a raw TCP client: what it
// reads from well-formed frames, how it answers pings and closes, and which broken frames end the
// connection with which close code.
#include "halyard-sim/fakeslack.h"

#include <QTcpSocket>
#include <QTest>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard::test {
namespace {

using Kind = ReceivedFrame::Kind;
using Frames = QList<std::pair<int, QByteArray>>;

// A client frame: `head` holds FIN, RSV and the opcode; masked unless told otherwise.
QByteArray frame(quint8 head, const QByteArray& payload, bool masked = true)
{
    QByteArray out(1, char(head));
    const auto size = quint64(payload.size());
    const char mask = masked ? char(0x80) : char(0);
    if (size < 126) {
        out += char(mask | char(size));
    } else {
        const bool wide = size > 0xFFFF;
        out += char(mask | (wide ? 127 : 126));
        char length[8];
        qToBigEndian(size, length);
        out += wide ? QByteArray(length, 8) : QByteArray(length + 6, 2);
    }
    if (!masked)
        return out + payload;
    const QByteArray key = "\x1f\x2e\x3d\x4c";
    out += key;
    for (qsizetype i = 0; i < payload.size(); ++i)
        out += char(payload[i] ^ key[i % 4]);
    return out;
}

// The server's frames (unmasked, short) as opcode and payload.
Frames serverFrames(QByteArray bytes)
{
    Frames out;
    while (bytes.size() >= 2 && bytes.size() >= 2 + (bytes[1] & 0x7F)) {
        out.append({ bytes[0] & 0x0F, bytes.mid(2, bytes[1] & 0x7F) });
        bytes.remove(0, 2 + (bytes[1] & 0x7F));
    }
    return out;
}

const QByteArray kBye = "\x03\xe8"; // close code 1000

TEST(SimulatedSocketTest, ReadsFramesAnswersPingsAndClosesOnBrokenOnes)
{
    struct Case {
        const char* name;
        QByteArray sent; // right behind the upgrade request, in the same write
        QList<std::pair<Kind, QByteArray>> recorded;
        Frames answered;
    };
    const QByteArray wide(70000, 'w');
    const Case cases[] = {
        { "ping answered, close echoed", frame(0x89, "p1") + frame(0x8A, "q") + frame(0x88, kBye),
            { { Kind::ping, "p1" }, { Kind::pong, "q" }, { Kind::close, kBye } },
            { { 0xA, "p1" }, { 0x8, kBye } } },
        { "fragments joined, long lengths",
            frame(0x01, "ab") + frame(0x00, "cd") + frame(0x80, "ef") + frame(0x82, wide.left(300))
                + frame(0x81, wide) + frame(0x88, {}),
            { { Kind::text, "abcdef" }, { Kind::binary, wide.left(300) }, { Kind::text, wide },
                { Kind::close, {} } },
            { { 0x8, {} } } },
        // A broken frame gets close 1002 (1009 when too big); the client's close then ends it.
        { "unmasked", frame(0x81, "x", false), { { Kind::close, kBye } }, { { 0x8, "\x03\xea" } } },
        { "reserved bit", frame(0xC1, "x"), { { Kind::close, kBye } }, { { 0x8, "\x03\xea" } } },
        { "stray continuation", frame(0x80, "x"), { { Kind::close, kBye } },
            { { 0x8, "\x03\xea" } } },
        { "message inside a message", frame(0x01, "a") + frame(0x81, "b"),
            { { Kind::close, kBye } }, { { 0x8, "\x03\xea" } } },
        { "fragmented ping", frame(0x09, "p"), { { Kind::close, kBye } }, { { 0x8, "\x03\xea" } } },
        { "long ping", frame(0x89, QByteArray(126, 'p')), { { Kind::close, kBye } },
            { { 0x8, "\x03\xea" } } },
        { "unknown opcode", frame(0x83, "x"), { { Kind::close, kBye } }, { { 0x8, "\x03\xea" } } },
        { "over 16 MiB", QByteArray("\x82\xff\0\0\0\0\x01\0\0\x01mask", 14),
            { { Kind::close, kBye } }, { { 0x8, "\x03\xf1" } } },
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSlack slack;
        ASSERT_TRUE(slack.listen());
        const QUrl url = slack.socketUrl();
        QTcpSocket client;
        client.connectToHost(url.host(), quint16(url.port()));
        client.write("GET /link/?" + url.query(QUrl::FullyEncoded).toUtf8()
            + " HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
              "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n"
            + c.sent);
        QByteArray received;
        bool closed = false;
        QObject::connect(&client, &QTcpSocket::readyRead, &client, [&] {
            received += client.readAll();
            // Answers the server's close like any client, so it hangs up at once.
            const Frames frames = serverFrames(received.mid(received.indexOf("\r\n\r\n") + 4));
            if (!closed && !frames.isEmpty() && frames.last().first == 0x8) {
                closed = true;
                client.write(frame(0x88, kBye));
            }
        });
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return client.state() == QAbstractSocket::UnconnectedState; }, 5000));
        EXPECT_TRUE(received.startsWith("HTTP/1.1 101 "));
        EXPECT_EQ(serverFrames(received.mid(received.indexOf("\r\n\r\n") + 4)), c.answered);
        QList<std::pair<Kind, QByteArray>> recorded;
        for (const ReceivedFrame& f : slack.frames())
            recorded.append({ f.kind, f.payload });
        EXPECT_EQ(recorded, c.recorded);
    }
}

} // namespace
} // namespace halyard::test

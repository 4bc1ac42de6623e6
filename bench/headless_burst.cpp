// End-to-end burst: the fake Slack server pushes 1,000 bot messages to `halyard --headless` as
// fast as the socket takes them. Reports the time until all are acknowledged and until all are
// in queue.json, the acknowledgement latency per frame (median and 99th percentile), and the
// peak and idle resident memory and idle CPU time of the program.
//
// Then a bare client that only acknowledges (no intake, no queue) takes the same burst from the
// same server in the same run: the yardstick for the program's acknowledgement latency.
//
// Needs a Secret Service for the tokens: run it through bench/run-headless-burst.sh.
// Goals: a burst of 10,000 in queue.json within 1 s of the last acknowledgement; the 99th
// percentile of the acknowledgement latency of a 1,000 burst within 10 % of the bare client's;
// idle resident memory under 30 MiB; no CPU use while idle beyond the program's own timers.
#include "benchprogram.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>
#include <QWebSocket>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

double cpuSeconds(qint64 pid)
{
    QFile file(u"/proc/%1/stat"_s.arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = file.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return double(fields.value(11).toLongLong() + fields.value(12).toLongLong())
        / double(sysconf(_SC_CLK_TCK));
}

int queuedAlerts(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return int(
        QJsonDocument::fromJson(file.readAll()).object().value(u"alerts"_s).toArray().size());
}

// Pushes `count` bot messages at once; the latency of each acknowledgement frame, sorted.
QList<qint64> burst(test::FakeSlack& fake, int count, int firstTs)
{
    QHash<QString, qint64> sentAt;
    const qsizetype framesBefore = fake.frames().size();
    for (int i = 0; i < count; ++i) {
        const QString ts = QString::number(firstTs + i) + u".000100"_s;
        const QJsonObject event { { u"type"_s, u"message"_s }, { u"channel"_s, u"C1"_s },
            { u"bot_id"_s, u"B1"_s }, { u"text"_s, QString(u"alert "_s + QString::number(i)) },
            { u"ts"_s, ts } };
        sentAt.insert(fake.sendEvent(event), fake.elapsedMs());
    }
    QList<qint64> latencies;
    (void)QTest::qWaitFor(
        [&] {
            latencies.clear();
            for (qsizetype f = framesBefore; f < fake.frames().size(); ++f) {
                const auto& frame = fake.frames()[f];
                const QString id = QJsonDocument::fromJson(frame.payload)
                                       .object()
                                       .value(u"envelope_id"_s)
                                       .toString();
                if (sentAt.contains(id))
                    latencies.append(frame.receivedAtMs - sentAt.value(id));
            }
            return latencies.size() >= count;
        },
        120000);
    std::sort(latencies.begin(), latencies.end());
    return latencies;
}

qint64 percentileOf(const QList<qint64>& sorted, double p)
{
    return sorted.isEmpty() ? -1 : sorted[qsizetype(p * double(sorted.size() - 1))];
}

// The yardstick: a Socket Mode client that acknowledges each envelope and does nothing else.
qint64 bareClientP99(test::FakeSlack& fake, int count)
{
    QWebSocket bare;
    QObject::connect(&bare, &QWebSocket::textMessageReceived, [&bare](const QString& text) {
        const QString id
            = QJsonDocument::fromJson(text.toUtf8()).object().value(u"envelope_id"_s).toString();
        if (!id.isEmpty()) {
            bare.sendTextMessage(QString::fromUtf8(QJsonDocument(
                QJsonObject {
                    { u"envelope_id"_s, id } }).toJson(QJsonDocument::Compact)));
        }
    });
    bare.open(fake.socketUrl());
    if (!QTest::qWaitFor([&] { return bare.state() == QAbstractSocket::ConnectedState; }, 10000))
        return -1;
    QTest::qWait(500);
    const QList<qint64> latencies = burst(fake, count, 1'800'000'000);
    return percentileOf(latencies, 0.99);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const QString binary = argc > 2
        ? QString::fromLocal8Bit(argv[2])
        : QCoreApplication::applicationDirPath() + u"/../src/app/halyard"_s;

    test::FakeSlack fake;
    fake.setHelloOnConnect(true);
    if (!fake.listen())
        return 1;
    bench::BenchProgram program(fake);
    if (!program.start(binary, { u"--headless"_s }, "bench/run-headless-burst.sh"))
        return 1;
    const qint64 pid = program.pid();
    if (!QTest::qWaitFor([&] { return fake.isSocketConnected(); }, 20000))
        return 1;
    QTest::qWait(500);

    QHash<QString, qint64> sentAt;
    const qint64 start = fake.elapsedMs();
    for (int i = 0; i < count; ++i) {
        const QString ts = QString::number(1'700'000'000 + i) + u".000100"_s;
        const QJsonObject event { { u"type"_s, u"message"_s }, { u"channel"_s, u"C1"_s },
            { u"bot_id"_s, u"B1"_s }, { u"text"_s, QString(u"alert "_s + QString::number(i)) },
            { u"ts"_s, ts } };
        sentAt.insert(fake.sendEvent(event), fake.elapsedMs());
    }
    if (!QTest::qWaitFor([&] { return fake.acknowledgedEnvelopeIds().size() >= count; }, 120000))
        std::fprintf(stderr, "Not every message was acknowledged\n");
    const qint64 allAcked = fake.elapsedMs() - start;
    const QString queuePath = program.path(u"data/Halyard/queue.json"_s);
    if (!QTest::qWaitFor([&] { return queuedAlerts(queuePath) >= count; }, 300000))
        std::fprintf(stderr, "Not every message reached the queue file\n");
    const qint64 allQueued = fake.elapsedMs() - start;

    QList<qint64> latencies;
    for (const auto& frame : fake.frames()) {
        const QString id
            = QJsonDocument::fromJson(frame.payload).object().value(u"envelope_id"_s).toString();
        if (sentAt.contains(id))
            latencies.append(frame.receivedAtMs - sentAt.value(id));
    }
    std::sort(latencies.begin(), latencies.end());
    const auto percentile = [&](double p) {
        return latencies.isEmpty() ? -1 : latencies[qsizetype(p * double(latencies.size() - 1))];
    };

    QTest::qWait(2000);
    const double cpuBefore = cpuSeconds(pid);
    QTest::qWait(10000);
    const double idleCpu = cpuSeconds(pid) - cpuBefore;

    std::printf("messages: %d, acknowledged: %lld\n", count,
        static_cast<long long>(fake.acknowledgedEnvelopeIds().size()));
    std::printf("all acknowledged after: %lld ms\n", static_cast<long long>(allAcked));
    std::printf("all in queue.json after: %lld ms\n", static_cast<long long>(allQueued));
    std::printf("ack latency: median %lld ms, p99 %lld ms, max %lld ms\n",
        static_cast<long long>(percentile(0.5)), static_cast<long long>(percentile(0.99)),
        static_cast<long long>(percentile(1.0)));
    std::printf("resident memory: peak %lld KiB, idle %lld KiB\n",
        static_cast<long long>(program.statusKiB("VmHWM:")),
        static_cast<long long>(program.statusKiB("VmRSS:")));
    std::printf("CPU while idle for 10 s: %.3f s\n", idleCpu);

    const qint64 programP99 = percentile(0.99);
    ::kill(pid_t(pid), SIGTERM);
    (void)QTest::qWaitFor([&] { return !fake.isSocketConnected(); }, 10000);
    const qint64 bareP99 = bareClientP99(fake, count);
    std::printf("bare client, same burst: ack latency p99 %lld ms; program/bare %.2f\n",
        static_cast<long long>(bareP99), bareP99 > 0 ? double(programP99) / double(bareP99) : 0.0);
    return 0;
}

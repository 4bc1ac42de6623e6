// A busy night, end to end: the fake Slack server holds `count` missed bot messages for a
// catch-up, or pushes `count` live messages as fast as the socket takes them, to `halyard`
// (the desktop program with its panel open, or `--headless`). Reports the time from the first
// history request (catch-up) or the first frame sent (burst) until every alert is in
// queue.json, how long the program then takes to answer a call on the session bus (its main
// thread is free again), and its resident memory once idle.
//
// Needs a Secret Service and, for the desktop program, an X server: run it through
// bench/run-panel-load.sh. Goals: the desktop program within 1.5x of the headless time for a
// catch-up of 2,000 and within 2x for a burst of 1,000; under 80 MiB idle with 2,000 alerts.
#include "benchprogram.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <csignal>
#include <cstdio>
#include <cstring>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

// Re-reads the file only when it changed, so polling costs the machine little.
struct QueueFile {
    QString path;
    QDateTime seen;
    qint64 size = -1;
    int count = 0;

    int alerts()
    {
        const QFileInfo info(path);
        if (!info.exists() || (info.lastModified() == seen && info.size() == size))
            return count;
        seen = info.lastModified();
        size = info.size();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            count = int(QJsonDocument::fromJson(file.readAll())
                            .object()
                            .value(u"alerts"_s)
                            .toArray()
                            .size());
        return count;
    }
};

QJsonObject botMessage(int i)
{
    const QString text = u"Check %1 failed on web-%2: CPU above 90 for 5 min "
                         "<https://example.com/runbook|runbook> :fire:"_s.arg(i)
                             .arg(i % 40);
    return QJsonObject { { u"type"_s, u"message"_s }, { u"bot_id"_s, u"B1"_s }, { u"text"_s, text },
        { u"ts"_s, QString(QString::number(1'700'000'000 + i) + u".000100"_s) } };
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s headless|desktop catchup|burst COUNT [HALYARD]\n", argv[0]);
        return 2;
    }
    const bool desktop = std::strcmp(argv[1], "desktop") == 0;
    const bool catchUp = std::strcmp(argv[2], "catchup") == 0;
    const int count = std::atoi(argv[3]);
    const QString binary = argc > 4
        ? QString::fromLocal8Bit(argv[4])
        : QCoreApplication::applicationDirPath() + u"/../src/app/halyard"_s;

    test::FakeSlack fake;
    fake.setHelloOnConnect(true);
    if (!fake.listen())
        return 1;
    fake.workspace().addChannel({ u"C1"_s, u"alerts"_s });
    fake.workspace().addBot({ u"B1"_s, u"ci-bot"_s, u"A1"_s });
    if (catchUp) {
        for (int i = 0; i < count; ++i)
            fake.workspace().addMessage(u"C1"_s, botMessage(i));
    }
    bench::BenchProgram program(fake);
    // A mark older than every message: the catch-up reads them all.
    program.write(u"data/Halyard/queue.json"_s,
        R"({"alerts": [], "highWaterByChannel": {"C1": "1690000000.000000"}})");
    QStringList arguments;
    if (!desktop)
        arguments << u"--headless"_s;
    if (!program.start(binary, arguments, "bench/run-panel-load.sh"))
        return 1;
    QueueFile file { program.path(u"data/Halyard/queue.json"_s), {}, -1, 0 };

    qint64 start = 0;
    if (catchUp) {
        if (!QTest::qWaitFor(
                [&] { return !fake.requests(u"conversations.history"_s).isEmpty(); }, 30000))
            return 1;
        start = fake.requests(u"conversations.history"_s).first().receivedAtMs;
    } else {
        if (!QTest::qWaitFor([&] { return fake.isSocketConnected(); }, 30000))
            return 1;
        QTest::qWait(1000);
        start = fake.elapsedMs();
        for (int i = 0; i < count; ++i) {
            QJsonObject event = botMessage(i);
            event.insert(u"channel"_s, u"C1"_s);
            fake.sendEvent(event);
        }
    }
    QElapsedTimer poll;
    poll.start();
    while (file.alerts() < count && poll.elapsed() < 600'000)
        QTest::qWait(20);
    const qint64 allQueued = fake.elapsedMs() - start;

    // The desktop program answers on the session bus from its main thread.
    qint64 answerMs = -1;
    if (desktop) {
        QElapsedTimer answer;
        answer.start();
        // Dispatched to the object's thread, the main one, like a click.
        const QDBusMessage reply = QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall(u"com.corvane.Halyard"_s, u"/com/corvane/Halyard"_s,
                u"org.freedesktop.DBus.Introspectable"_s, u"Introspect"_s),
            QDBus::Block, 60000);
        answerMs = reply.type() == QDBusMessage::ErrorMessage ? -1 : answer.elapsed();
    }
    QTest::qWait(3000);

    std::printf("%s %s %d: all %d in queue.json after %lld ms", argv[1], argv[2], count,
        file.alerts(), static_cast<long long>(allQueued));
    if (desktop)
        std::printf(", answers the bus in %lld ms", static_cast<long long>(answerMs));
    std::printf(", idle resident memory %lld MiB\n",
        static_cast<long long>(program.statusKiB("VmRSS:") / 1024));
    return 0;
}

// The alert history. Goals on the reference machine: `halyard report --since 90d` over a full
// history (100,000 records) under 300 ms, which BM_ReportFromFile measures in-process (read,
// fold, compute) and bench/run-history-report.sh measures as the command; and recording costing
// the intake nothing measurable: BM_EnqueueAndAck with and without a recorder attached (the
// event loop's share; the writer thread does the disk).
#include "history/historyfile.h"
#include "history/historyrecorder.h"
#include "history/shiftreport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

// Half arrivals, half acknowledgements, spread over 90 days before `now`, most by the user.
QByteArray sampleHistory(qsizetype records, qint64 now)
{
    const qint64 span = HistoryFile::kKeepMs - 60'000;
    const qsizetype alerts = records / 2;
    QByteArray bytes;
    for (qsizetype i = 0; i < alerts; ++i) {
        HistoryRecord arrival;
        arrival.at = now - span + span * i / alerts;
        arrival.postedAt = arrival.at - 2000;
        arrival.alertId = u"C0%1:%2.000100"_s.arg(i % 20).arg(1'700'000'000 + i);
        arrival.channelId = u"C0"_s + QString::number(i % 20);
        arrival.channelName = u"ops-"_s + QString::number(i % 20);
        arrival.sender = u"B0"_s + QString::number(i % 7);
        arrival.senderName = u"bot-"_s + QString::number(i % 7);
        arrival.text = u"[FIRING:1] HighErrorRate api-gateway 5xx ratio above 2% for 10m"_s;
        bytes += arrival.toLine();
        HistoryRecord ack = arrival;
        ack.text.clear();
        ack.at = arrival.at + 60'000 + (i % 40) * 30'000;
        ack.event = i % 5 ? AlertEvent::ackedInPanel : AlertEvent::ackedByTeammate;
        ack.by = i % 5 ? QString() : u"U0ADA"_s;
        ack.stage = AgingPolicy {}.stageForAge(double(ack.at - ack.postedAt) / 1000);
        bytes += ack.toLine();
    }
    return bytes;
}

void BM_ReportFromFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"history.jsonl"_s);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    {
        QFile file(path);
        (void)file.open(QIODevice::WriteOnly);
        file.write(sampleHistory(state.range(0), now));
    }
    for (auto _ : state) {
        const auto contents = HistoryFile::read(path);
        const qint64 from = *parseSince(u"90d", now);
        const auto report = ShiftReport::compute(
            livesSince(foldLives(contents->records), from), from, now, AgingPolicy {});
        benchmark::DoNotOptimize(report.p90Ms);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReportFromFile)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

// One alert in and out of the queue, as the event loop pays for it, recorder attached or not.
void BM_EnqueueAndAck(benchmark::State& state)
{
    QTemporaryDir dir;
    AlertStore store;
    std::unique_ptr<HistoryRecorder> recorder;
    if (state.range(0))
        recorder = std::make_unique<HistoryRecorder>(
            store, std::make_unique<HistoryWriter>(dir.filePath(u"history.jsonl"_s)));
    int next = 0;
    for (auto _ : state) {
        const QString ts = QString::number(1'700'000'000 + next++) + u".000100"_s;
        const Alert alert { Alert::makeId(u"C01"_s, ts), u"C01"_s, ts, u"B012345"_s,
            u"[FIRING:1] HighErrorRate api-gateway 5xx ratio above 2% for 10m"_s,
            currentReferenceTime() - 60, {} };
        store.enqueue(alert);
        store.acknowledge(alert, AckCause::panel);
        // The turn of the event loop ends: the recorder hands its batch over.
        if (next % 64 == 0)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    if (recorder)
        recorder->flush();
}
BENCHMARK(BM_EnqueueAndAck)->ArgName("recorder")->Arg(0)->Arg(1);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // `history_bench --write-sample <file> <records>`: a sample file for the command's timing.
    if (argc == 4 && qstrcmp(argv[1], "--write-sample") == 0) {
        QFile file(QString::fromLocal8Bit(argv[2]));
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(
            sampleHistory(QByteArray(argv[3]).toLongLong(), QDateTime::currentMSecsSinceEpoch()));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

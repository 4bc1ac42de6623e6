// Enqueue-and-save and start-up load of the alert queue at several queue sizes.
// Goals on the reference machine: enqueue plus save of a 1,000-alert queue under 5 ms median,
// loading a 10,000-alert file under 100 ms. Saves run on a writer thread: BM_Enqueue is what the
// event loop pays, BM_EnqueueAndSave the time until the file is on disk (flushed, so it depends
// on the disk: point TMPDIR elsewhere to compare).
#include "queue/alertstore.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

Alert makeAlert(int i)
{
    const QString ts = QString::number(1'700'000'000 + i) + u".000100"_s;
    const QString channel = u"C0"_s + QString::number(i % 20);
    return Alert { Alert::makeId(channel, ts), channel, ts, u"B012345"_s,
        u"[FIRING:1] HighErrorRate api-gateway 5xx ratio above 2% for 10m — see runbook"_s,
        referenceTimeFromUnix(1'700'000'000 + i), {} };
}

// A queue file of n alerts, written at once rather than through n saves.
AlertPersistence persistenceWith(const QTemporaryDir& dir, int n)
{
    AlertPersistence persistence = *AlertPersistence::create(dir.filePath(u"Halyard"_s));
    AlertPersistence::State state;
    for (int i = 0; i < n; ++i) {
        state.alerts.append(makeAlert(i));
        state.highWaterByChannel.insert(state.alerts.last().channelId, state.alerts.last().ts);
    }
    (void)persistence.save(state);
    return persistence;
}

// Replaces the oldest alert with a new one each round. With `waitForDisk` false this is what
// the event loop pays (the queue update and the hand-over to the writer); with true, the whole
// change until the new queue file is on disk.
void enqueueRounds(benchmark::State& state, bool waitForDisk)
{
    QTemporaryDir dir;
    const int queued = int(state.range(0));
    AlertStore store(persistenceWith(dir, queued));
    int next = queued;
    for (auto _ : state) {
        state.PauseTiming();
        store.flushPendingSaves();
        store.acknowledge(store.alerts().first());
        store.flushPendingSaves();
        state.ResumeTiming();
        store.enqueue(makeAlert(next++));
        if (waitForDisk)
            store.flushPendingSaves();
    }
    store.flushPendingSaves();
}

void BM_Enqueue(benchmark::State& state)
{
    enqueueRounds(state, false);
}
void BM_EnqueueAndSave(benchmark::State& state)
{
    enqueueRounds(state, true);
}

void BM_Load(benchmark::State& state)
{
    QTemporaryDir dir;
    persistenceWith(dir, int(state.range(0)));
    for (auto _ : state) {
        AlertStore store(*AlertPersistence::create(dir.filePath(u"Halyard"_s)));
        benchmark::DoNotOptimize(store.alerts().size());
    }
}

} // namespace

BENCHMARK(BM_Enqueue)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EnqueueAndSave)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

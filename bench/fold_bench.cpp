// Folding the queue into rows: what the panel's model pays at each announcement and the bus per
// List(). Goal on the reference machine: 10,000 alerts fold in under 50 ms, with no keys kept
// (the first fold) and with the keys of the alerts seen before (every fold after).
#include "queue/alertfolding.h"

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

// A mix of flapping checks (repeats that fold) and one-off alerts, over 20 channels and a day.
QList<Alert> makeQueue(int n)
{
    QList<Alert> alerts;
    alerts.reserve(n);
    for (int i = 0; i < n; ++i) {
        const QString ts = QString::number(1'700'000'000 + i * 8) + u".000100"_s;
        const QString channel = u"C0"_s + QString::number(i % 20);
        const QString text = i % 3 == 0
            ? u"[FIRING:1] Disk usage above %1% on db-%2 — see runbook"_s.arg(90 + i % 10)
                  .arg(i % 7)
            : u"Job %1 failed on worker-%2 after %3 s"_s.arg(i).arg(i % 13).arg(i % 97);
        alerts.append({ Alert::makeId(channel, ts), channel, ts, u"B012345"_s, text,
            referenceTimeFromUnix(1'700'000'000 + i * 8), {} });
    }
    return alerts;
}

void BM_FoldCold(benchmark::State& state)
{
    const QList<Alert> alerts = makeQueue(int(state.range(0)));
    for (auto _ : state) {
        AlertFolding folding;
        benchmark::DoNotOptimize(folding.fold(alerts));
    }
}

void BM_FoldWarm(benchmark::State& state)
{
    const QList<Alert> alerts = makeQueue(int(state.range(0)));
    AlertFolding folding;
    folding.fold(alerts);
    for (auto _ : state)
        benchmark::DoNotOptimize(folding.fold(alerts));
}

} // namespace

BENCHMARK(BM_FoldCold)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FoldWarm)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();

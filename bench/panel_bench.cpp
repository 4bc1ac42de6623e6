// The panel's own costs: laying out one alert row for hostile texts, and the queue model taking
// a catch-up page. Goals: a row for a 40,000-character message or for 5,000 emoji shortcodes
// laid out and painted in under 5 ms; a page of 200 alerts into a model of 2,000 rows in under
// 1 ms. Runs offscreen by itself.
#include "queue/alertstore.h"
#include "slack/directory/slackdirectory.h"
#include "ui/queue/alertqueuemodel.h"
#include "ui/queue/alertrow.h"

#include <QApplication>
#include <QPixmap>

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

Alert alertWith(const QString& text, int i = 0)
{
    const QString ts = QString::number(1'700'000'000 + i) + u".000100"_s;
    return Alert { Alert::makeId(u"C1"_s, ts), u"C1"_s, ts, {}, text,
        referenceTimeFromUnix(1'700'000'000 + i), {} };
}

void layOutRow(benchmark::State& state, const QString& text)
{
    SlackDirectory directory;
    QPixmap target(320, 120);
    for (auto _ : state) {
        AlertRow row(alertWith(text), directory);
        const int height = row.heightForWidth(320);
        row.resize(320, height);
        row.render(&target);
        benchmark::DoNotOptimize(height);
    }
}

void BM_RowShortText(benchmark::State& state)
{
    layOutRow(
        state, u"Deploy of api-gateway failed on stage 3 :x: <https://ci.example.com/42|log>"_s);
}
BENCHMARK(BM_RowShortText)->Unit(benchmark::kMillisecond);

void BM_RowLongText(benchmark::State& state)
{
    QString text;
    while (text.size() < 40'000)
        text += u"Stack trace line at com.example.Service.call(Service.java:42) "_s;
    layOutRow(state, text.left(40'000));
}
BENCHMARK(BM_RowLongText)->Unit(benchmark::kMillisecond);

// Goal: within a tenth of BM_RowLongText, every character a mark or part of a mention.
void BM_RowLongMarkedText(benchmark::State& state)
{
    QString text;
    while (text.size() < 40'000)
        text += u"*db1* `df -h` <@U0AAA1111> _at_ ~94%~ <#C1> ```x``` a*b_c "_s;
    layOutRow(state, text.left(40'000));
}
BENCHMARK(BM_RowLongMarkedText)->Unit(benchmark::kMillisecond);

void BM_RowManyEmoji(benchmark::State& state)
{
    layOutRow(state, u":fire:"_s.repeated(5'000));
}
BENCHMARK(BM_RowManyEmoji)->Unit(benchmark::kMillisecond);

void BM_ModelTakesACatchUpPage(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        AlertStore store;
        for (int i = 0; i < 2000; ++i)
            store.enqueue(alertWith(u"queued"_s, i));
        store.announceChanges();
        AlertQueueModel model(store, currentReferenceTime());
        for (int i = 2000; i < 2200; ++i)
            store.enqueue(alertWith(u"caught up"_s, i));
        state.ResumeTiming();
        store.announceChanges();
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_ModelTakesACatchUpPage)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

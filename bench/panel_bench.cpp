// The panel's own costs: laying out one alert row for hostile texts, and the queue model taking
// a catch-up page. Goals: a row for a 40,000-character message, for 5,000 emoji shortcodes or
// for a chain of 13,000 emoji joined by zero-width joiners laid out and painted in under 5 ms;
// after 100 such chains the program-wide emoji pictures stay within their bound; a page of 200
// alerts into a model of 2,000 rows in under 1 ms. Runs offscreen by itself.
#include "queue/alertstore.h"
#include "slack/directory/slackdirectory.h"
#include "ui/queue/alertqueuemodel.h"
#include "ui/queue/alertrow.h"
#include "ui/queue/alerttext.h"

#include <QApplication>
#include <QFile>
#include <QPixmap>

#include <benchmark/benchmark.h>

#include <array>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

Alert alertWith(const QString& text, int i = 0)
{
    const QString ts = QString::number(1'700'000'000 + i) + u".000100"_s;
    return Alert { Alert::makeId(u"C1"_s, ts), u"C1"_s, ts, {}, text,
        referenceTimeFromUnix(1'700'000'000 + i), {} };
}

// The row as the queue model hands it over, styling included.
AlertRow::Content contentOf(const QString& text)
{
    return { alertWith(text), u"#C1"_s, std::nullopt, SlackText::attributedText(text), QString(),
        AgeStage::fresh, 1 };
}

void layOutRow(benchmark::State& state, const QString& text)
{
    QPixmap target(320, 120);
    for (auto _ : state) {
        AlertRow row;
        row.setContent(contentOf(text));
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

// 13,000 emoji joined into one grapheme, a different chain per row, as a hostile sender would.
QString emojiChain(int seed)
{
    constexpr int kDistinct = 66;
    QString text;
    for (int i = 0; i < 13'000; ++i) {
        if (i > 0)
            text += QChar(0x200D);
        text += QString::fromUcs4(
            std::array { char32_t(0x1F600 + (seed + i) % kDistinct) }.data(), 1);
    }
    return text;
}

double residentMiB()
{
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(1).toDouble() * 4096 / (1 << 20);
}

void BM_RowEmojiChain(benchmark::State& state)
{
    QPixmap target(320, 120);
    const double residentBefore = residentMiB();
    int seed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString text = emojiChain(seed++);
        state.ResumeTiming();
        AlertRow row;
        row.setContent(contentOf(text));
        const int height = row.heightForWidth(320);
        row.resize(320, height);
        row.render(&target);
        benchmark::DoNotOptimize(height);
    }
    state.counters["residentGrowthMiB"] = residentMiB() - residentBefore;
    state.counters["emojiPicturesMiB"] = double(AlertText::emojiPictureBytes()) / (1 << 20);
}
BENCHMARK(BM_RowEmojiChain)->Unit(benchmark::kMillisecond)->Iterations(100);

void BM_ModelTakesACatchUpPage(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        AlertStore store;
        for (int i = 0; i < 2000; ++i)
            store.enqueue(alertWith(u"queued"_s, i));
        store.announceChanges();
        const SlackDirectory directory;
        AlertQueueModel model(store, directory, currentReferenceTime());
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

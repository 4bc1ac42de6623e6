#include "common/cancellation.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;

namespace halyard {
namespace {

// Stands in for a QNetworkReply or QWebSocket.
class Abortable : public QObject {
public:
    void abort() { ++aborts; }
    int aborts = 0;
};

TEST(CancellationTest, SleepRunsItsFullTimeUnlessCancelled)
{
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(QCoro::waitFor(sleepFor(60ms, CancellationToken {})));
    EXPECT_GE(clock.elapsed(), 60);

    CancellationSource source;
    QTimer::singleShot(20ms, [source]() mutable { source.cancel(); });
    clock.restart();
    EXPECT_FALSE(QCoro::waitFor(sleepFor(10s, source.token())));
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST(CancellationTest, ACancelledTokenDoesNotSleepAtAll)
{
    CancellationSource source;
    source.cancel();
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(QCoro::waitFor(sleepFor(10s, source.token())));
    EXPECT_LT(clock.elapsed(), 100);
}

TEST(CancellationTest, CancelFromAnotherThreadWakesTheSleeper)
{
    CancellationSource source;
    std::thread canceller([source]() mutable {
        std::this_thread::sleep_for(20ms);
        source.cancel();
    });
    EXPECT_FALSE(QCoro::waitFor(sleepFor(10s, source.token())));
    canceller.join();
}

TEST(CancellationTest, CallbacksRunOnceFromTheEventLoopNeverInsideCancel)
{
    CancellationSource source;
    const CancellationToken token = source.token();
    QObject context;
    int before = 0;
    int after = 0;
    token.onCancelled(&context, [&before] { ++before; });
    source.cancel();
    source.cancel();
    token.onCancelled(&context, [&after] { ++after; });
    EXPECT_EQ(before, 0);
    EXPECT_TRUE(source.isCancelled());
    EXPECT_TRUE(token.isCancelled());
    QTest::qWait(20);
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);
}

TEST(CancellationTest, NothingRunsForAContextThatIsGone)
{
    CancellationSource source;
    int calls = 0;
    auto* context = new QObject;
    source.token().onCancelled(context, [&calls] { ++calls; });
    delete context;
    auto* late = new QObject;
    source.cancel();
    source.token().onCancelled(late, [&calls] { ++calls; });
    delete late;
    QTest::qWait(20);
    EXPECT_EQ(calls, 0);
}

TEST(CancellationTest, AbortOnCancelAbortsWhatIsStillThere)
{
    CancellationSource source;
    Abortable kept;
    auto* gone = new Abortable;
    abortOnCancel(&kept, source.token());
    abortOnCancel(gone, source.token());
    delete gone;
    QTest::qWait(10);
    EXPECT_EQ(kept.aborts, 0);
    source.cancel();
    QTest::qWait(10);
    EXPECT_EQ(kept.aborts, 1);
}

TEST(CancellationTest, ADefaultTokenIsNeverCancelled)
{
    const CancellationToken token;
    EXPECT_FALSE(token.isCancelled());
    QObject context;
    EXPECT_FALSE(token.onCancelled(&context, [] {}));
}

} // namespace
} // namespace halyard

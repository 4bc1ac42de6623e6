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

TEST(CancellationTest, SleepRunsItsFullTimeUnlessCancelledFromAnyThread)
{
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(QCoro::waitFor(sleepFor(60ms, CancellationToken {})));
    EXPECT_GE(clock.elapsed(), 60);

    CancellationSource early;
    early.cancel();
    EXPECT_FALSE(QCoro::waitFor(sleepFor(10s, early.token())));
    CancellationSource onLoop;
    QTimer::singleShot(20ms, [onLoop]() mutable { onLoop.cancel(); });
    EXPECT_FALSE(QCoro::waitFor(sleepFor(10s, onLoop.token())));
    CancellationSource source;
    std::thread canceller([source]() mutable {
        std::this_thread::sleep_for(20ms);
        source.cancel();
    });
    EXPECT_FALSE(QCoro::waitFor(sleepFor(10s, source.token())));
    canceller.join();
}

TEST(CancellationTest, CallbacksRunOnceFromTheEventLoopOnlyForLiveContexts)
{
    CancellationSource source;
    const CancellationToken token = source.token();
    QObject context;
    int before = 0;
    int after = 0;
    int gone = 0;
    token.onCancelled(&context, [&before] { ++before; });
    auto* early = new QObject;
    token.onCancelled(early, [&gone] { ++gone; });
    delete early;
    source.cancel();
    source.cancel();
    token.onCancelled(&context, [&after] { ++after; });
    auto* late = new QObject;
    token.onCancelled(late, [&gone] { ++gone; });
    delete late;
    EXPECT_EQ(before, 0) << "never inside cancel()";
    EXPECT_TRUE(source.isCancelled());
    EXPECT_TRUE(token.isCancelled());
    QTest::qWait(20);
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(gone, 0);

    const CancellationToken never;
    EXPECT_FALSE(never.isCancelled());
    EXPECT_FALSE(never.onCancelled(&context, [] {}));
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

} // namespace
} // namespace halyard

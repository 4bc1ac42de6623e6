#include "common/asyncqueue.h"
#include "common/cancellation.h"
#include "common/timers.h"

#include <QCoroTask>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;

namespace halyard {
namespace {

QCoro::Task<> drain(AsyncQueue<int>* queue, std::shared_ptr<QStringList> order)
{
    while (auto item = co_await queue->next())
        order->append(QString::number(*item));
    order->append(QStringLiteral("end"));
}

TEST(CancellationTest, SleepRunsItsFullTimeUnlessCancelledFromAnyThread)
{
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(QCoro::waitFor(sleepFor(60ms, CancellationToken {})));
    EXPECT_GE(clock.elapsed(), 60);
    CancellationSource early;
    early.cancel();
    EXPECT_FALSE(QCoro::waitFor(sleepFor(10s, early.token())));
    CancellationSource source;
    std::thread canceller([source]() mutable { source.cancel(); });
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
    EXPECT_TRUE(source.isCancelled() && token.isCancelled());
    test::outlastTimers(0ms);
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(gone, 0);
    const CancellationToken never;
    EXPECT_FALSE(never.isCancelled());
    EXPECT_FALSE(never.onCancelled(&context, [] {}));
}

TEST(AsyncQueue, BufferedItemsArriveInOrderThenTheEndAndTheLoopRunsBetweenThem)
{
    AsyncQueue<int> queue;
    for (int item : { 1, 2, 3 })
        queue.push(item);
    queue.finish();
    EXPECT_FALSE(queue.push(4)) << "nothing is taken after the end";
    auto order = std::make_shared<QStringList>();
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [order] { order->append(QStringLiteral("tick")); });
    ticker.start(0);
    drain(&queue, order);
    ASSERT_TRUE(QTest::qWaitFor([&] { return order->contains(QStringLiteral("end")); }, 2000));
    ticker.stop();
    QStringList items = *order;
    items.removeAll(QStringLiteral("tick"));
    EXPECT_EQ(items.join(u','), QStringLiteral("1,2,3,end"));
    // A consumer working through a backlog must leave room for sockets and timers.
    const auto at = [&](const char* s) { return order->indexOf(QString::fromLatin1(s)); };
    EXPECT_TRUE(order->mid(at("1"), at("2") - at("1")).contains(QStringLiteral("tick")));
    EXPECT_TRUE(order->mid(at("2"), at("3") - at("2")).contains(QStringLiteral("tick")));
}

TEST(AsyncQueue, DestroyingTheQueueEndsAWaitingConsumer)
{
    auto order = std::make_shared<QStringList>();
    {
        AsyncQueue<int> queue;
        drain(&queue, order);
        test::outlastTimers(0ms);
        EXPECT_TRUE(order->isEmpty()) << "an empty queue that lives on keeps its consumer waiting";
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !order->isEmpty(); }, 2000));
    EXPECT_EQ(*order, QStringList { QStringLiteral("end") });
}

} // namespace
} // namespace halyard

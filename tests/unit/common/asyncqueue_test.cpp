#include "common/asyncqueue.h"

#include <QCoroTask>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace halyard;

namespace {

QCoro::Task<> drain(AsyncQueue<int>* queue, std::shared_ptr<QStringList> order)
{
    while (auto item = co_await queue->next())
        order->append(QString::number(*item));
    order->append(QStringLiteral("end"));
}

} // namespace

TEST(AsyncQueue, BufferedItemsArriveInOrderThenTheEndAndTheLoopRunsBetweenThem)
{
    AsyncQueue<int> queue;
    queue.push(1);
    queue.push(2);
    queue.push(3);
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
        QTest::qWait(10);
        EXPECT_TRUE(order->isEmpty());
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !order->isEmpty(); }, 2000));
    EXPECT_EQ(*order, QStringList { QStringLiteral("end") });
}

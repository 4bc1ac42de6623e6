// Catching up after a connect: backfill from the high-water marks and reaction reconciliation.
#include "intakefixture.h"

#include <QJsonArray>
#include <QTimer>

namespace halyard::test {
namespace {

const QString kMark = u"1700000000.000100"_s;

QString tsAt(int second, int micros = 100)
{
    return QString::number(1'700'000'000 + second) + u'.'
        + QString::number(micros).rightJustified(6, u'0');
}

class BackfillTest : public IntakeTest {
protected:
    void setMark(const QString& channel, const QString& ts)
    {
        store.enqueue({ Alert::makeId(channel, ts), channel, ts, {}, u"seen"_s, 0, {} });
    }
    void runBackfill(CancellationToken cancel = {})
    {
        log.clear();
        QCoro::waitFor(intake->backfill(tokens(), store.beginBackfill(), std::move(cancel)));
    }
    QStringList enqueuedIds() const
    {
        QStringList ids = log.messagesStartingWith(u"alerts"_s, u"Enqueued: "_s);
        for (QString& line : ids)
            line = line.section(u' ', 1, 1);
        return ids;
    }
};

TEST_F(BackfillTest, FollowsTheCursorAndTakesMessagesInOldestFirst)
{
    setMark(u"C1"_s, kMark);
    addBotMessage(u"C1"_s, kMark);
    QStringList expected;
    for (int i = 1; i <= 230; ++i) {
        if (i == 5)
            slack.workspace().addMessage(u"C1"_s, { { u"ts"_s, tsAt(i) }, { u"text"_s, u"hi"_s } });
        else
            addBotMessage(u"C1"_s, tsAt(i));
        if (i != 5 && i != 6)
            expected.append(u"C1:"_s + tsAt(i));
    }
    slack.workspace().addReaction(u"C1"_s, tsAt(6), u"white_check_mark"_s, u"U2"_s);
    slack.workspace().addReaction(u"C1"_s, tsAt(7), u"eyes"_s, u"U2"_s);

    runBackfill();

    const auto requests = slack.requests(u"conversations.history"_s);
    ASSERT_EQ(requests.size(), 3);
    EXPECT_EQ(requests[0].query, "channel=C1&limit=100&oldest=1700000000.000100");
    EXPECT_TRUE(
        requests[2].query->startsWith("channel=C1&limit=100&oldest=1700000000.000100&cursor="));
    EXPECT_EQ(enqueuedIds(), expected);
    EXPECT_EQ(store.highWaterByChannel().value(u"C1"_s), tsAt(230));
    EXPECT_TRUE(banners.posted.isEmpty());
    EXPECT_EQ(log.messages(u"slack"_s),
        (QStringList { u"Backfill starting: 1 channel(s) with watermarks"_s,
            u"Backfill complete: raw=230 enqueued=228 skippedByReaction=1 channelFailures=0"_s }));
}

TEST_F(BackfillTest, OrdersByTsAndKeepsTheMarkOfAChannelThatFailedHalfway)
{
    slack.workspace().addChannel({ u"C2"_s, u"db"_s });
    setMark(u"C1"_s, kMark);
    setMark(u"C2"_s, kMark);
    for (int i = 1; i <= 150; ++i)
        addBotMessage(u"C2"_s, tsAt(i));
    // Three messages of one second, answered out of order.
    QJsonArray page;
    for (int micros : { 300, 100, 200 })
        page.append(QJsonObject { { u"type"_s, u"message"_s }, { u"ts"_s, tsAt(50, micros) },
            { u"text"_s, u"t"_s }, { u"bot_id"_s, u"B1"_s } });
    slack.script(u"conversations.history"_s,
        FakeReply::json({ { u"ok"_s, true }, { u"messages"_s, page }, { u"has_more"_s, false } }));
    slack.script(u"conversations.history"_s, FakeReply::serve());
    slack.script(u"conversations.history"_s, FakeReply::slackError(u"internal_error"_s));

    runBackfill();

    EXPECT_EQ(enqueuedIds(),
        (QStringList {
            u"C1:"_s + tsAt(50, 100), u"C1:"_s + tsAt(50, 200), u"C1:"_s + tsAt(50, 300) }));
    EXPECT_EQ(store.highWaterByChannel().value(u"C2"_s), kMark);
    EXPECT_EQ(log.messages(u"slack"_s),
        (QStringList { u"Backfill starting: 2 channel(s) with watermarks"_s,
            u"Backfill failed for channel C2: HTTP 0: internal_error"_s,
            u"Backfill complete: raw=3 enqueued=3 skippedByReaction=0 channelFailures=1"_s }));
}

TEST_F(BackfillTest, PageLimitIsLoggedAndCancelledRunsEndQuietly)
{
    setMark(u"C1"_s, kMark);
    for (int i = 1; i <= 230; ++i)
        addBotMessage(u"C1"_s, tsAt(i));
    intake->setMaxHistoryPages(2);
    runBackfill();
    EXPECT_EQ(enqueuedIds().size(), 200);
    EXPECT_TRUE(log.contains(u"slack"_s,
        u"Backfill read 2 page(s) of channel C1 and stopped at the page limit; its older "
        "messages were skipped"_s));

    slack.script(u"conversations.history"_s, FakeReply::serve().after(std::chrono::seconds(2)));
    CancellationSource cancel;
    QTimer::singleShot(50, [cancel]() mutable { cancel.cancel(); });
    runBackfill(cancel.token());
    EXPECT_EQ(log.messages(u"slack"_s),
        QStringList { u"Backfill starting: 1 channel(s) with watermarks"_s });
    EXPECT_EQ(store.backfillFromByChannel().value(u"C1"_s), tsAt(230))
        << "a cancelled run resumes from the same place";
}

TEST_F(BackfillTest, LiveTrafficNeverMovesACatchUpPastWhatItMissed)
{
    slack.workspace().addChannel({ u"C2"_s, u"db"_s });
    setMark(u"C1"_s, kMark);
    setMark(u"C2"_s, kMark);
    for (int i = 1; i <= 3; ++i) {
        addBotMessage(u"C1"_s, tsAt(i));
        addBotMessage(u"C2"_s, tsAt(i));
    }
    // C1 is read first, slowly, and fails; both channels get live messages meanwhile.
    slack.script(u"conversations.history"_s,
        FakeReply::slackError(u"internal_error"_s).after(std::chrono::milliseconds(300)));
    QTimer::singleShot(100, [this] {
        intake->handleLiveMessage(botMessage(tsAt(10), u"live"_s), tokens());
        intake->handleLiveMessage(
            { u"C2"_s, u"B1"_s, u"live"_s, tsAt(11), u"Monitor"_s, true }, tokens());
    });
    runBackfill();
    EXPECT_EQ(enqueuedIds(),
        (QStringList { u"C1:"_s + tsAt(10), u"C2:"_s + tsAt(11), u"C2:"_s + tsAt(1),
            u"C2:"_s + tsAt(2), u"C2:"_s + tsAt(3) }));
    EXPECT_EQ(store.backfillFromByChannel(), (QMap<QString, QString> { { u"C1"_s, kMark } }));

    store.enqueue({ u"C1:"_s + tsAt(12), u"C1"_s, tsAt(12), {}, u"live"_s, 0, {} });
    runBackfill(); // the next connect
    EXPECT_EQ(enqueuedIds(),
        (QStringList { u"C1:"_s + tsAt(1), u"C1:"_s + tsAt(2), u"C1:"_s + tsAt(3) }));
    EXPECT_TRUE(store.backfillFromByChannel().isEmpty());
}

TEST_F(BackfillTest, AlertAcknowledgedWhileItsHistoryIsReadIsNotQueuedAgain)
{
    setMark(u"C1"_s, kMark);
    addBotMessage(u"C1"_s, tsAt(1));
    addBotMessage(u"C1"_s, tsAt(2));
    slack.script(
        u"conversations.history"_s, FakeReply::serve().after(std::chrono::milliseconds(300)));
    QTimer::singleShot(100, [this] {
        // Delivered live and acknowledged before its reaction is in Slack.
        intake->handleLiveMessage(botMessage(tsAt(1), u"m"_s), tokens());
        store.acknowledge(store.alerts().last());
        // Someone's ack reaction arrives before the message is queued at all.
        intake->handleReaction({ u"U2"_s, u"white_check_mark"_s, u"C1"_s, tsAt(2) });
    });
    runBackfill();
    ASSERT_EQ(store.alerts().size(), 1);
    EXPECT_EQ(store.alerts().first().ts, kMark);
}

TEST_F(BackfillTest, ReconcileRemovesAlertsAcknowledgedInSlack)
{
    for (int i : { 1, 2, 3 })
        setMark(u"C1"_s, tsAt(i));
    addBotMessage(u"C1"_s, tsAt(1));
    addBotMessage(u"C1"_s, tsAt(2));
    addBotMessage(u"C1"_s, tsAt(3));
    slack.workspace().addReaction(u"C1"_s, tsAt(1), u"white_check_mark"_s, u"U2"_s);
    slack.workspace().addReaction(u"C1"_s, tsAt(2), u"eyes"_s, u"U2"_s);
    slack.workspace().addReaction(u"C1"_s, tsAt(3), u"white_check_mark"_s, u"U2"_s);
    // Rate-limited through every attempt, then fine; the third check fails once.
    slack.script(u"reactions.get"_s, FakeReply::http(429), 2);
    slack.script(u"reactions.get"_s, FakeReply::serve(), 2);
    slack.script(u"reactions.get"_s, FakeReply::slackError(u"internal_error"_s));
    intake->setRateLimitWait(std::chrono::milliseconds(10));
    intake->setReconcileRetryDelay(std::chrono::milliseconds(50));
    log.clear();

    QCoro::waitFor(intake->reconcileReactions(tokens(), {}));

    ASSERT_EQ(store.alerts().size(), 1);
    EXPECT_EQ(store.alerts().first().ts, tsAt(2));
    EXPECT_EQ(slack.requests(u"reactions.get"_s).size(), 6);
    const QStringList lines = log.messages(u"slack"_s);
    EXPECT_TRUE(lines.contains(u"Reaction reconcile rate-limited by Slack; waiting 0.0s"_s));
    EXPECT_TRUE(lines.contains(
        u"Reaction reconcile failed for C1:"_s + tsAt(3) + u": HTTP 0: internal_error"_s));
    EXPECT_TRUE(lines.contains(u"Reaction reconcile complete: checked=3 removed=1 failures=1"_s));
    EXPECT_TRUE(lines.contains(u"Reaction reconcile will check 1 alert(s) again in 0s"_s));
    EXPECT_EQ(lines.last(), u"Reaction reconcile complete: checked=1 removed=1 failures=0"_s);
}

} // namespace
} // namespace halyard::test

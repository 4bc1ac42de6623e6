// Ack-back posts: spaced between their starts, one in flight, failures logged and dropped.
#include "intakefixture.h"
#include "slack/reactionposter.h"

namespace halyard::test {
namespace {

using namespace std::chrono_literals;

class ReactionPosterTest : public IntakeTest {
protected:
    void SetUp() override
    {
        IntakeTest::SetUp();
        poster = std::make_unique<ReactionPoster>(api.get(), 300ms);
    }
    ReactionPoster::Item item(const QString& channel, const QString& ts) const
    {
        return { slack.workspace().botToken, channel, ts, u"white_check_mark"_s };
    }
    QList<qint64> postTimes() const
    {
        QList<qint64> times;
        for (const auto& request : slack.requests(u"reactions.add"_s))
            times.append(request.receivedAtMs);
        return times;
    }
    bool waitForPosts(int count) const
    {
        return QTest::qWaitFor([&] { return slack.requests(u"reactions.add"_s).size() == count; })
            && QTest::qWaitFor([&] { return !poster->isProcessing(); });
    }

    std::unique_ptr<ReactionPoster> poster;
};

TEST_F(ReactionPosterTest, QuickAcknowledgementsStartAnIntervalApart)
{
    for (int i : { 1, 2, 3 })
        addBotMessage(u"C1"_s, QString::number(1'700'000'000 + i) + u".000100", u"m"_s);
    // A slow answer must not add to the spacing: it is measured between starts.
    slack.script(u"reactions.add"_s, FakeReply::serve().after(250ms), 3);
    const qint64 enqueuedAt = slack.elapsedMs();
    for (int i : { 1, 2, 3 })
        poster->enqueueReaction(item(u"C1"_s, QString::number(1'700'000'000 + i) + u".000100"));
    ASSERT_TRUE(waitForPosts(3));

    const auto times = postTimes();
    EXPECT_LT(times[0] - enqueuedAt, 100);
    for (int i : { 1, 2 }) {
        EXPECT_GE(times[i] - times[i - 1], 290) << i;
        EXPECT_LT(times[i] - times[i - 1], 480) << i;
    }
    EXPECT_EQ(log.messages(u"alerts"_s),
        (QStringList {
            u"Reaction posted: channel=C1 ts=1700000001.000100 emoji=white_check_mark [queueRemaining=2]"_s,
            u"Reaction posted: channel=C1 ts=1700000002.000100 emoji=white_check_mark [queueRemaining=1]"_s,
            u"Reaction posted: channel=C1 ts=1700000003.000100 emoji=white_check_mark [queueRemaining=0]"_s }));
}

TEST_F(ReactionPosterTest, OnePostInFlightAndFailuresAreDropped)
{
    const QString ts = addBotMessage(u"C1"_s, u"1700000001.000100"_s, u"m"_s);
    ReactionPoster fast(api.get(), 10ms);
    slack.script(u"reactions.add"_s, FakeReply::serve().after(200ms), 3);
    fast.enqueueReaction(item(u"C1"_s, ts));
    fast.enqueueReaction(item(u"C1"_s, ts)); // already_reacted counts as posted
    fast.enqueueReaction(item(u"C9"_s, ts));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fast.isProcessing(); }));

    const auto times = postTimes();
    ASSERT_EQ(times.size(), 3);
    EXPECT_GE(times[1] - times[0], 200);
    EXPECT_GE(times[2] - times[1], 200);
    EXPECT_EQ(log.messagesStartingWith(u"alerts"_s, u"Reaction posted: "_s).size(), 2);
    EXPECT_TRUE(log.contains(u"alerts"_s,
        u"reactions.add failed: HTTP 0: channel_not_found (channel=C9 ts=1700000001.000100 "
        "emoji=white_check_mark) — possible causes: missing reactions:write scope; bot not a "
        "member of the channel; source message deleted or unreachable"_s));

    // After a quiet spell the next post goes out at once.
    QTest::qWait(50);
    const qint64 enqueuedAt = slack.elapsedMs();
    fast.enqueueReaction(item(u"C1"_s, ts));
    ASSERT_TRUE(QTest::qWaitFor([&] { return postTimes().size() == 4 && !fast.isProcessing(); }));
    EXPECT_LT(postTimes()[3] - enqueuedAt, 100);
}

} // namespace
} // namespace halyard::test

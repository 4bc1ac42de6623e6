// Ack-back posts: spaced between their starts, one in flight, failures logged and dropped.
#include "intakefixture.h"
#include "slack/intake/reactionposter.h"

namespace halyard::test {
namespace {

using namespace std::chrono_literals;

TEST_F(IntakeTest, QuickAcknowledgementsPostOneAtATimeAnIntervalApart)
{
    ReactionPoster poster(api.get(), 300ms);
    const QString ts = addBotMessage(u"C1"_s, u"1700000001.000100"_s);
    const QString ts2 = addBotMessage(u"C1"_s, u"1700000002.000100"_s);
    // The first answer outlasts the interval: the next post waits for it. Spacing is measured
    // between starts, so the first post is not held back at all.
    slack.script(u"reactions.add"_s, FakeReply::serve().after(400ms));
    slack.script(u"reactions.add"_s, FakeReply::serve().after(150ms));
    const qint64 enqueuedAt = slack.elapsedMs();
    for (const auto& [channel, when] :
        { std::pair { u"C1"_s, ts }, { u"C1"_s, ts2 }, { u"C9"_s, ts } })
        poster.enqueueReaction(
            { slack.workspace().botToken, channel, when, u"white_check_mark"_s });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !poster.isProcessing(); }, 5000));

    QList<qint64> times;
    for (const auto& request : slack.requests(u"reactions.add"_s))
        times.append(request.receivedAtMs);
    ASSERT_EQ(times.size(), 3);
    EXPECT_GE(times[1] - times[0], 400);
    EXPECT_GE(times[2] - times[1], 290);
    EXPECT_LT(times[0] - enqueuedAt, times[2] - times[1]);
    EXPECT_EQ(log.messages(u"alerts"_s),
        (QStringList {
            u"Reaction posted: channel=C1 ts=1700000001.000100 emoji=white_check_mark [queueRemaining=2]"_s,
            u"Reaction posted: channel=C1 ts=1700000002.000100 emoji=white_check_mark [queueRemaining=1]"_s,
            u"reactions.add failed: HTTP 0: channel_not_found (channel=C9 ts=1700000001.000100 "
            "emoji=white_check_mark) — possible causes: missing reactions:write scope; bot not a "
            "member of the channel; source message deleted or unreachable"_s }));
}

} // namespace
} // namespace halyard::test

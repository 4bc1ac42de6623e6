#include "slack/webapi/retrypolicy.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace halyard {
namespace {

const SlackError kBusy = SlackError::httpError(503, u"busy"_s);

TEST(RetryPolicyTest, WaitsDoubleWithUpToHalfASecondOfJitter)
{
    struct Case {
        int attempt;
        double unitRandom;
        std::optional<std::chrono::milliseconds> delay;
    };
    const Case cases[] = {
        { 1, 0.0, 1000ms }, { 1, 1.0, 1500ms }, { 2, 0.0, 2000ms }, { 2, 0.5, 2250ms },
        { 3, 0.0, 4000ms }, { 3, 1.0, 4500ms },
        { 4, 0.0, std::nullopt }, // the fourth attempt was the last
        { 5, 0.0, std::nullopt }, { 0, 0.0, std::nullopt },
        { 1, 7.0, 1500ms }, // a draw out of range is clamped
    };
    const RetryPolicy policy;
    for (const Case& c : cases)
        EXPECT_EQ(policy.delayAfter(c.attempt, kBusy, c.unitRandom), c.delay) << c.attempt;
}

TEST(RetryPolicyTest, FinalErrorsAreNotWaitedFor)
{
    const RetryPolicy policy;
    for (const SlackError& error : { SlackError::httpError(404, u"not found"_s),
             SlackError::httpError(0, u"no http response"_s), SlackError::decodingFailed(u"x"_s),
             SlackError::cancelled(),
             SlackError::transport(QNetworkReply::SslHandshakeFailedError, u"x"_s) })
        EXPECT_EQ(policy.delayAfter(1, error, 0.0), std::nullopt)
            << qPrintable(error.description());
}

TEST(RetryPolicyTest, TheBaseDelayAndAttemptCountScaleThePolicy)
{
    const RetryPolicy fast { 2, 10ms };
    EXPECT_EQ(fast.delayAfter(1, kBusy, 1.0), 15ms);
    EXPECT_EQ(fast.delayAfter(2, kBusy, 0.0), std::nullopt);
}

TEST(RetryPolicyTest, DrawnJitterStaysInRange)
{
    const RetryPolicy policy;
    for (int i = 0; i < 200; ++i) {
        const auto delay = policy.delayAfter(2, kBusy);
        ASSERT_TRUE(delay);
        EXPECT_GE(*delay, 2000ms);
        EXPECT_LE(*delay, 2500ms);
    }
}

} // namespace
} // namespace halyard

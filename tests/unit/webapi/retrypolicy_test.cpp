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

TEST(RetryPolicyTest, ARateLimitWaitsAtLeastItsRetryAfterUpToTheCap)
{
    const auto limited = [](std::chrono::seconds after) {
        return SlackError::httpError(429, u"slow down"_s, after);
    };
    struct Case {
        RetryPolicy policy;
        int attempt;
        SlackError error;
        std::optional<std::chrono::milliseconds> delay;
    };
    const RetryPolicy scaled { 4, 1ms, 10ms, 100ms };
    const Case cases[] = {
        { {}, 1, limited(3s), 3000ms },
        { {}, 3, limited(1s), 4000ms }, // the usual wait is longer already
        { {}, 1, limited(0s), 1000ms },
        { {}, 1, limited(90s), 60000ms },
        { {}, 1, SlackError::httpError(429, u"slow down"_s), 1000ms },
        { {}, 1, SlackError::httpError(503, u"busy"_s, 3s), 1000ms }, // only rate limits
        { {}, 4, limited(3s), std::nullopt },
        { scaled, 1, limited(7s), 70ms },
        { scaled, 1, limited(30s), 100ms },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.policy.delayAfter(c.attempt, c.error, 0.0), c.delay)
            << c.attempt << ' ' << qPrintable(c.error.description());
    }
}

TEST(RetryPolicyTest, OnlyDeltaSecondsAreReadFromRetryAfter)
{
    struct Case {
        QByteArrayView header;
        std::optional<std::chrono::seconds> seconds;
    };
    const Case cases[] = {
        { "5", 5s },
        { " 12\t", 12s },
        { "0", 0s },
        { "0000000000007", 7s },
        { "12345678901234", 999'999'999s },
        { "", std::nullopt },
        { "-1", std::nullopt },
        { "1.5", std::nullopt },
        { "5s", std::nullopt },
        { "Wed, 21 Oct 2015 07:28:00 GMT", std::nullopt },
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseRetryAfter(c.header), c.seconds) << c.header.toByteArray().constData();
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

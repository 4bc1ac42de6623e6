#include "slack/webapi/retrypolicy.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace halyard {
namespace {

const SlackError kBusy = SlackError::httpError(503, u"busy"_s);

SlackError limited(std::chrono::seconds after)
{
    return SlackError::httpError(429, u"slow down"_s, after);
}

TEST(RetryPolicyTest, WaitsDoubleWithJitterAndHonourRetryAfterUpToTheCap)
{
    const RetryPolicy scaled { 4, 1ms, 10ms, 100ms };
    // Policy, attempt, error, the random draw, and the wait.
    const std::tuple<RetryPolicy, int, SlackError, double, std::optional<std::chrono::milliseconds>>
        cases[] = {
            { {}, 1, kBusy, 0.0, 1000ms },
            { {}, 2, kBusy, 0.0, 2000ms },
            { {}, 3, kBusy, 0.0, 4000ms },
            { {}, 4, kBusy, 0.0, std::nullopt }, // the fourth attempt was the last
            { {}, 0, kBusy, 0.0, std::nullopt },
            { {}, 1, kBusy, 7.0, 1500ms }, // a draw out of range is clamped
            { { 2, 10ms }, 1, kBusy, 1.0, 15ms },
            { { 2, 10ms }, 2, kBusy, 0.0, std::nullopt },
            { {}, 1, limited(3s), 0.0, 3000ms },
            { {}, 3, limited(1s), 0.0, 4000ms }, // the usual wait is longer already
            { {}, 1, limited(90s), 0.0, 60000ms },
            { {}, 1, SlackError::httpError(503, u"x"_s, 3s), 0.0, 1000ms }, // only rate limits
            { scaled, 1, limited(7s), 0.0, 70ms },
            { scaled, 1, limited(30s), 0.0, 100ms },
        };
    for (const auto& [policy, attempt, error, unitRandom, delay] : cases)
        EXPECT_EQ(policy.delayAfter(attempt, error, unitRandom), delay)
            << attempt << ' ' << qPrintable(error.description());
    for (int i = 0; i < 200; ++i) {
        const auto delay = RetryPolicy {}.delayAfter(2, kBusy); // the draw adds up to a quarter
        EXPECT_TRUE(delay >= 2000ms && delay <= 2500ms);
    }
}

TEST(RetryPolicyTest, OnlyRateLimitsServerErrorsAndPassingNetworkFailuresAreRetried)
{
    const RetryPolicy policy;
    for (const qint64 status : { 429, 500, 599 })
        EXPECT_TRUE(policy.delayAfter(1, SlackError::httpError(status), 0.0)) << status;
    for (const SlackError& error : { SlackError::httpError(0, u"no http response"_s),
             SlackError::httpError(428), SlackError::httpError(430), SlackError::httpError(499),
             SlackError::httpError(600), SlackError::decodingFailed(u"x"_s),
             SlackError::cancelled(), SlackError::authFailed(u"x"_s),
             SlackError::socketModeFailed(u"x"_s), SlackError::missingTokens() })
        EXPECT_EQ(policy.delayAfter(1, error, 0.0), std::nullopt)
            << qPrintable(error.description());
    using K = SlackError::TransportKind;
    const std::tuple<QNetworkReply::NetworkError, bool, K> cases[] = {
        { QNetworkReply::RemoteHostClosedError, false, K::connectionLost },
        { QNetworkReply::NetworkSessionFailedError, false, K::notConnected },
        { QNetworkReply::TimeoutError, false, K::timedOut },
        { QNetworkReply::OperationCanceledError, true, K::timedOut },
        { QNetworkReply::OperationCanceledError, false, K::other },
        { QNetworkReply::HostNotFoundError, false, K::hostNotFound },
        { QNetworkReply::ConnectionRefusedError, false, K::cannotConnect },
        { QNetworkReply::ServiceUnavailableError, false, K::resourceUnavailable },
        { QNetworkReply::SslHandshakeFailedError, false, K::other },
        { QNetworkReply::TooManyRedirectsError, false, K::other },
    };
    for (const auto& [code, timedOut, kind] : cases) {
        const SlackError error = SlackError::transport(code, u"text"_s, timedOut);
        EXPECT_EQ(error.transportKind(), kind) << int(code);
        EXPECT_EQ(policy.delayAfter(1, error, 0.0).has_value(), kind != K::other) << int(code);
        EXPECT_EQ(error.networkError(), code);
    }
}

TEST(RetryPolicyTest, OnlyDeltaSecondsAreReadFromRetryAfter)
{
    const std::pair<QByteArrayView, std::optional<std::chrono::seconds>> cases[] = {
        { "5", 5s },
        { "0", 0s },
        { "0000000000007", 7s },
        { "123456789", 123'456'789s },
        { "12345678901234", 999'999'999s },
        { "-1", std::nullopt },
        { "1.5", std::nullopt },
        { "5s", std::nullopt },
        { "Wed, 21 Oct 2015 07:28:00 GMT", std::nullopt },
    };
    for (const auto& [header, seconds] : cases)
        EXPECT_EQ(parseRetryAfter(header), seconds) << header.toByteArray().constData();
}

} // namespace
} // namespace halyard

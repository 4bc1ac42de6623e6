#pragma once

#include "slack/webapi/slackerror.h"

#include <QByteArrayView>

#include <chrono>
#include <optional>

namespace halyard {

// How a Web API call retries: after failed attempt n (from 1) of maxAttempts, a transient error
// waits baseDelay * 2^(n-1) plus a jitter of up to half the base delay, then tries again.
// With the one-second default that is 1.0-1.5 s, 2.0-2.5 s and 4.0-4.5 s. A rate limit (HTTP
// 429) with a Retry-After waits at least that long, but never more than retryAfterCap. The base
// delay and the length of a Retry-After second are parameters so that short runs can shrink them.
struct RetryPolicy {
    int maxAttempts = 4;
    std::chrono::milliseconds baseDelay { 1000 };
    // What one second of Retry-After lasts here.
    std::chrono::milliseconds retryAfterUnit { 1000 };
    std::chrono::milliseconds retryAfterCap { 60'000 };

    // The wait before the next attempt, or nothing when the error is final. `unitRandom` is a
    // uniform draw from [0, 1] for the jitter.
    std::optional<std::chrono::milliseconds> delayAfter(
        int attempt, const SlackError& error, double unitRandom) const;
    // The same with a jitter from the global random generator.
    std::optional<std::chrono::milliseconds> delayAfter(int attempt, const SlackError& error) const;
    // How long a rate limit holds its method back the `rest`-th time (from 1) in a row: the
    // Retry-After when the answer gave one, else the back-off without jitter; at most
    // retryAfterCap either way.
    std::chrono::milliseconds rateLimitPause(const SlackError& error, int rest) const;

private:
    // The Retry-After of a 429, in this policy's seconds and within its cap.
    std::optional<std::chrono::milliseconds> askedWait(const SlackError& error) const;
};

// A Retry-After header in its delta-seconds form. The HTTP-date form and anything else that is
// not a plain count give nothing, so the call falls back to its usual wait; absurdly long counts
// are kept as a very long time rather than dropped.
std::optional<std::chrono::seconds> parseRetryAfter(QByteArrayView value);

} // namespace halyard

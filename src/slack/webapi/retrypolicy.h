#pragma once

#include "slack/webapi/slackerror.h"

#include <chrono>
#include <optional>

namespace halyard {

// How a Web API call retries: after failed attempt n (from 1) of maxAttempts, a transient error
// waits baseDelay * 2^(n-1) plus a jitter of up to half the base delay, then tries again.
// With the one-second default that is 1.0-1.5 s, 2.0-2.5 s and 4.0-4.5 s. Tests shrink the base.
struct RetryPolicy {
    int maxAttempts = 4;
    std::chrono::milliseconds baseDelay { 1000 };

    // The wait before the next attempt, or nothing when the error is final. `unitRandom` is a
    // uniform draw from [0, 1] for the jitter.
    std::optional<std::chrono::milliseconds> delayAfter(
        int attempt, const SlackError& error, double unitRandom) const;
    // The same with a jitter from the global random generator.
    std::optional<std::chrono::milliseconds> delayAfter(int attempt, const SlackError& error) const;
};

} // namespace halyard

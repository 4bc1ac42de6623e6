#include "slack/webapi/retrypolicy.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

namespace halyard {

std::optional<std::chrono::milliseconds> RetryPolicy::delayAfter(
    int attempt, const SlackError& error, double unitRandom) const
{
    if (attempt < 1 || attempt >= maxAttempts || !error.isTransient())
        return std::nullopt;
    const double base = double(baseDelay.count());
    const double jitter = base * 0.5 * std::clamp(unitRandom, 0.0, 1.0);
    const double delay = base * std::ldexp(1.0, attempt - 1) + jitter;
    return std::chrono::milliseconds(std::llround(delay));
}

std::optional<std::chrono::milliseconds> RetryPolicy::delayAfter(
    int attempt, const SlackError& error) const
{
    return delayAfter(attempt, error, QRandomGenerator::global()->generateDouble());
}

} // namespace halyard

#include "slack/webapi/retrypolicy.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

namespace halyard {

namespace {

// About 31 years; keeps the conversion to milliseconds far from overflowing.
constexpr qsizetype kMaxRetryAfterDigits = 9;

} // namespace

std::optional<std::chrono::milliseconds> RetryPolicy::delayAfter(
    int attempt, const SlackError& error, double unitRandom) const
{
    if (attempt < 1 || attempt >= maxAttempts || !error.isTransient())
        return std::nullopt;
    const double base = double(baseDelay.count());
    const double jitter = base * 0.5 * std::clamp(unitRandom, 0.0, 1.0);
    const auto delay
        = std::chrono::milliseconds(std::llround(base * std::ldexp(1.0, attempt - 1) + jitter));
    const auto asked = askedWait(error);
    return asked ? std::max(delay, *asked) : delay;
}

std::chrono::milliseconds RetryPolicy::rateLimitPause(const SlackError& error, int rest) const
{
    if (const auto asked = askedWait(error))
        return *asked;
    return std::min<std::chrono::milliseconds>(
        baseDelay * (qint64(1) << std::clamp(rest - 1, 0, 16)), retryAfterCap);
}

std::optional<std::chrono::milliseconds> RetryPolicy::askedWait(const SlackError& error) const
{
    if (!error.isRateLimited() || !error.retryAfter())
        return std::nullopt;
    return std::min<std::chrono::milliseconds>(
        retryAfterUnit * error.retryAfter()->count(), retryAfterCap);
}

std::optional<std::chrono::milliseconds> RetryPolicy::delayAfter(
    int attempt, const SlackError& error) const
{
    return delayAfter(attempt, error, QRandomGenerator::global()->generateDouble());
}

std::optional<std::chrono::seconds> parseRetryAfter(QByteArrayView value)
{
    QByteArrayView digits = value.trimmed();
    if (digits.isEmpty()
        || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    while (digits.size() > 1 && digits.front() == '0')
        digits = digits.sliced(1);
    if (digits.size() > kMaxRetryAfterDigits)
        return std::chrono::seconds(999'999'999);
    return std::chrono::seconds(digits.toLongLong());
}

} // namespace halyard

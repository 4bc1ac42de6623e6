#include "settings/agingclamping.h"

#include <algorithm>

namespace halyard {

AgingPolicy withFreshMinutes(const AgingPolicy& policy, double minutes)
{
    AgingPolicy result = policy;
    result.freshUntil = std::min(std::max(minutes * 60, 60.0), policy.agingUntil - 60);
    return result;
}

AgingPolicy withAgingMinutes(const AgingPolicy& policy, double minutes)
{
    AgingPolicy result = policy;
    const double candidate = std::min(std::max(minutes * 60, 120.0), policy.staleUntil - 60);
    result.agingUntil = policy.freshUntil + 60 <= candidate ? candidate : policy.freshUntil + 60;
    return result;
}

AgingPolicy withStaleMinutes(const AgingPolicy& policy, double minutes)
{
    AgingPolicy result = policy;
    const double candidate = std::max(minutes * 60, 180.0);
    result.staleUntil = candidate <= policy.agingUntil + 60 ? policy.agingUntil + 60 : candidate;
    return result;
}

bool isValidAgingPolicy(const AgingPolicy& policy)
{
    return policy.freshUntil >= 60 && policy.freshUntil + 60 <= policy.agingUntil
        && policy.agingUntil + 60 <= policy.staleUntil;
}

} // namespace halyard

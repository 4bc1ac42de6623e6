#pragma once

#include "queue/agingpolicy.h"

namespace halyard {

// The rules every editor of one aging threshold applies (a slider per threshold, say). Each
// takes the new value in minutes, may be fractional, and returns the whole policy with that
// threshold moved and the other two kept. They keep every stage at least a minute long as far as
// the other two thresholds allow.

// freshUntil = min(max(minutes·60, 60), agingUntil − 60)
AgingPolicy withFreshMinutes(const AgingPolicy& policy, double minutes);

// agingUntil = min(max(minutes·60, 120), staleUntil − 60), raised to freshUntil + 60 if below it
AgingPolicy withAgingMinutes(const AgingPolicy& policy, double minutes);

// staleUntil = max(minutes·60, 180), raised to agingUntil + 60 if at or below it
AgingPolicy withStaleMinutes(const AgingPolicy& policy, double minutes);

// Every stage is at least one minute long: freshUntil ≥ 60, freshUntil + 60 ≤ agingUntil and
// agingUntil + 60 ≤ staleUntil.
bool isValidAgingPolicy(const AgingPolicy& policy);

} // namespace halyard

#include "settings/agingclamping.h"

#include <gtest/gtest.h>

namespace halyard {
namespace {

enum class Threshold { fresh, aging, stale };

struct ClampCase {
    const char* name;
    Threshold threshold;
    AgingPolicy before;
    double minutes;
    AgingPolicy after;
};

class AgingClampingTest : public ::testing::TestWithParam<ClampCase> { };

TEST_P(AgingClampingTest, MovesOneThresholdWithinItsNeighbours)
{
    const ClampCase& c = GetParam();
    AgingPolicy result;
    switch (c.threshold) {
    case Threshold::fresh:
        result = withFreshMinutes(c.before, c.minutes);
        break;
    case Threshold::aging:
        result = withAgingMinutes(c.before, c.minutes);
        break;
    case Threshold::stale:
        result = withStaleMinutes(c.before, c.minutes);
        break;
    }
    EXPECT_EQ(result.freshUntil, c.after.freshUntil);
    EXPECT_EQ(result.agingUntil, c.after.agingUntil);
    EXPECT_EQ(result.staleUntil, c.after.staleUntil);
}

INSTANTIATE_TEST_SUITE_P(Rules, AgingClampingTest,
    ::testing::Values(
        // Fresh stops a minute below aging and never goes under one minute.
        ClampCase {
            "freshStopsBelowAging", Threshold::fresh, { 300, 900, 1800 }, 20, { 840, 900, 1800 } },
        ClampCase {
            "freshAtLeastOneMinute", Threshold::fresh, { 300, 900, 1800 }, 0, { 60, 900, 1800 } },
        ClampCase {
            "freshFractional", Threshold::fresh, { 300, 900, 1800 }, 2.5, { 150, 900, 1800 } },
        // Aging stays a minute above fresh, a minute below stale and at least two minutes.
        ClampCase {
            "agingStopsAboveFresh", Threshold::aging, { 300, 900, 1800 }, 1, { 300, 360, 1800 } },
        ClampCase {
            "agingAtLeastTwoMinutes", Threshold::aging, { 60, 900, 1800 }, 1, { 60, 120, 1800 } },
        ClampCase {
            "agingStopsBelowStale", Threshold::aging, { 300, 900, 1800 }, 45, { 300, 1740, 1800 } },
        // With fresh and stale two minutes apart only one aging value is left; fresh wins.
        ClampCase { "agingSqueezed", Threshold::aging, { 300, 400, 420 }, 10, { 300, 360, 420 } },
        // Stale stays a minute above aging and at least three minutes; no upper bound.
        ClampCase {
            "staleStopsAboveAging", Threshold::stale, { 300, 900, 1800 }, 1, { 300, 900, 960 } },
        ClampCase {
            "staleAtLeastThreeMinutes", Threshold::stale, { 60, 120, 1800 }, 1, { 60, 120, 180 } },
        ClampCase {
            "staleUnbounded", Threshold::stale, { 300, 900, 1800 }, 600, { 300, 900, 36000 } }),
    [](const ::testing::TestParamInfo<ClampCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace halyard

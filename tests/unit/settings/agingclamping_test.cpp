#include "settings/agingclamping.h"

#include <gtest/gtest.h>

namespace halyard {
namespace {

TEST(AgingClamping, EachSliderStaysWithinItsNeighbours)
{
    using Rule = AgingPolicy (*)(const AgingPolicy&, double);
    struct Case {
        const char* name;
        Rule rule;
        AgingPolicy before;
        double minutes;
        AgingPolicy after;
    };
    const Case cases[] = {
        { "fresh stops a minute below aging", withFreshMinutes, { 300, 900, 1800 }, 20,
            { 840, 900, 1800 } },
        { "fresh at least a minute", withFreshMinutes, { 300, 900, 1800 }, 0, { 60, 900, 1800 } },
        { "fresh fractional", withFreshMinutes, { 300, 900, 1800 }, 2.5, { 150, 900, 1800 } },
        { "aging stops a minute above fresh", withAgingMinutes, { 300, 900, 1800 }, 1,
            { 300, 360, 1800 } },
        { "aging at least two minutes", withAgingMinutes, { 60, 900, 1800 }, 1, { 60, 120, 1800 } },
        { "aging stops a minute below stale", withAgingMinutes, { 300, 900, 1800 }, 45,
            { 300, 1740, 1800 } },
        // Fresh and stale two minutes apart leave one aging value; the fresh side wins.
        { "aging squeezed", withAgingMinutes, { 300, 400, 420 }, 10, { 300, 360, 420 } },
        { "stale stops a minute above aging", withStaleMinutes, { 300, 900, 1800 }, 1,
            { 300, 900, 960 } },
        { "stale at least three minutes", withStaleMinutes, { 60, 120, 1800 }, 1,
            { 60, 120, 180 } },
        { "stale unbounded", withStaleMinutes, { 300, 900, 1800 }, 600, { 300, 900, 36000 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.rule(c.before, c.minutes), c.after);
    }
}

} // namespace
} // namespace halyard

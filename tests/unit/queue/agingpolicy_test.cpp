#include "queue/agingpolicy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace halyard;

TEST(AgingPolicy, EachThresholdBelongsToTheLaterStage)
{
    const AgingPolicy policy;
    const struct {
        double age;
        AgeStage stage;
    } cases[] = {
        { -10, AgeStage::fresh },
        { 0, AgeStage::fresh },
        { 299, AgeStage::fresh },
        { 299.999, AgeStage::fresh },
        { 300, AgeStage::aging },
        { 899, AgeStage::aging },
        { 900, AgeStage::stale },
        { 1799, AgeStage::stale },
        { 1800, AgeStage::overdue },
        { 1e9, AgeStage::overdue },
        { std::numeric_limits<double>::quiet_NaN(), AgeStage::overdue },
    };
    for (const auto& c : cases)
        EXPECT_EQ(policy.stageForAge(c.age), c.stage) << c.age;
}

TEST(AgingPolicy, EqualThresholdsSkipAStage)
{
    const AgingPolicy policy { 600, 600, 1200 };
    EXPECT_EQ(policy.stageForAge(599), AgeStage::fresh);
    EXPECT_EQ(policy.stageForAge(600), AgeStage::stale);
    EXPECT_EQ(policy.stageForAge(1199), AgeStage::stale);
    EXPECT_EQ(policy.stageForAge(1200), AgeStage::overdue);
}

TEST(AgingPolicy, JsonNeedsAllThreeNumbers)
{
    const AgingPolicy policy { 60, 180.5, 3600 };
    EXPECT_EQ(AgingPolicy::fromJson(policy.toJson()), policy);
    QJsonObject missing = policy.toJson();
    missing.remove(QStringLiteral("staleUntil"));
    EXPECT_FALSE(AgingPolicy::fromJson(missing).has_value());
    QJsonObject wrongType = policy.toJson();
    wrongType.insert(QStringLiteral("freshUntil"), QStringLiteral("300"));
    EXPECT_FALSE(AgingPolicy::fromJson(wrongType).has_value());
}

TEST(QueueHealth, ShareOfAgedAlertsDecides)
{
    using enum AgeStage;
    const struct {
        QList<AgeStage> stages;
        QueueHealth health;
    } cases[] = {
        { {}, QueueHealth::allClear },
        { { fresh }, QueueHealth::hasAlerts },
        { { aging, fresh, fresh }, QueueHealth::hasAlerts },
        { { overdue, fresh }, QueueHealth::halfAged },
        { { stale, aging, fresh }, QueueHealth::halfAged },
        { { aging, aging, fresh, fresh }, QueueHealth::halfAged },
        { { overdue, overdue, fresh, fresh }, QueueHealth::halfAged },
        { { aging, stale, overdue, fresh }, QueueHealth::mostlyAged },
        { { overdue }, QueueHealth::mostlyAged },
    };
    for (const auto& c : cases)
        EXPECT_EQ(queueHealthFromStages(c.stages), c.health) << c.stages.size();
}

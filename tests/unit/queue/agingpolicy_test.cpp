#include "queue/agingpolicy.h"

#include <gtest/gtest.h>

#include <limits>

using namespace halyard;

TEST(AgingPolicy, EachThresholdBelongsToTheLaterStage)
{
    const AgingPolicy usual;
    const AgingPolicy equal { 600, 600, 1200 }; // equal thresholds skip a stage
    const struct {
        const AgingPolicy& policy;
        double age;
        AgeStage stage;
    } cases[] = {
        { usual, -10, AgeStage::fresh },
        { usual, 0, AgeStage::fresh },
        { usual, 299.999, AgeStage::fresh },
        { usual, 300, AgeStage::aging },
        { usual, 899, AgeStage::aging },
        { usual, 900, AgeStage::stale },
        { usual, 1799, AgeStage::stale },
        { usual, 1800, AgeStage::overdue },
        { usual, 1e9, AgeStage::overdue },
        { usual, std::numeric_limits<double>::quiet_NaN(), AgeStage::overdue },
        { equal, 599, AgeStage::fresh },
        { equal, 600, AgeStage::stale },
        { equal, 1199, AgeStage::stale },
        { equal, 1200, AgeStage::overdue },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.policy.stageForAge(c.age), c.stage) << c.age;
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
        { { overdue, overdue, fresh, fresh }, QueueHealth::halfAged },
        { { aging, stale, overdue, fresh }, QueueHealth::mostlyAged },
        { { overdue }, QueueHealth::mostlyAged },
    };
    for (const auto& c : cases)
        EXPECT_EQ(queueHealthFromStages(c.stages), c.health) << c.stages.size();
}

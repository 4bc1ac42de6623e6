#include "queue/agingpolicy.h"
#include "queue/alert.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

#include <limits>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {
json::Decoded<Alert> decode(const QByteArray& members)
{
    const QByteArray text = R"({"id":"a","channelId":"C","text":"t",)" + members + '}';
    return Alert::fromJson(QJsonDocument::fromJson(text).object());
}
} // namespace

TEST(AlertJson, OptionalsMayBeMissingOrNullAndAreLeftOutWhenAbsent)
{
    for (const char* members : { R"("ts":"1.0","receivedAt":5)",
             R"("ts":"1.0","receivedAt":5,"userId":null,"permalink":null,"unknown":{"x":1})" }) {
        auto alert = decode(members);
        ASSERT_TRUE(alert.has_value()) << members;
        EXPECT_EQ(alert->toJson().keys(),
            (QStringList { u"channelId"_s, u"id"_s, u"receivedAt"_s, u"text"_s, u"ts"_s }));
    }
    for (const char* members : { R"("ts":"1.0","receivedAt":"5")", R"("receivedAt":5)",
             R"("ts":1,"receivedAt":5)", R"("ts":"1.0","receivedAt":5,"userId":7)",
             R"("ts":"1.0","receivedAt":5,"permalink":"ht tp://")",
             R"("ts":"1.0","receivedAt":5,"permalink":"")",
             // Only Slack's own form of a ts.
             R"("ts":"1e9","receivedAt":5)", R"("ts":"1","receivedAt":5)",
             R"("ts":"1.","receivedAt":5)", R"("ts":"-1.0","receivedAt":5)",
             R"("ts":"1.0 ","receivedAt":5)" })
        EXPECT_FALSE(decode(members).has_value()) << members;
}

TEST(AlertJson, EveryMemberRoundTripsExactly)
{
    Alert alert { u"C1:1700000000.000100"_s, u"C1"_s, u"1700000000.000100"_s, u"U1"_s,
        u"Disk \"full\" — ünïcode"_s, 721692800.123456789, QUrl(u"https://x.slack.com/a?b=c"_s) };
    const QByteArray bytes = QJsonDocument(alert.toJson()).toJson(QJsonDocument::Compact);
    auto back = Alert::fromJson(QJsonDocument::fromJson(bytes).object());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, alert);
    alert.userId = QString();
    EXPECT_EQ(Alert::fromJson(alert.toJson())->userId, QString()) << "empty is not absent";
}

TEST(SlackTimestamps, OrderAsNumbersWithoutRounding)
{
    const std::pair<QString, QString> ascending[] = {
        { u"9.5"_s, u"10.0"_s },
        { u"1700000000.000100"_s, u"1700000000.000200"_s },
        { u"1700000000.000001"_s, u"1700000000.5"_s },
        { u"17000000000000000.1"_s, u"17000000000000000.2"_s },
        { u"abc"_s, u"0.1"_s },
    };
    for (const auto& [a, b] : ascending) {
        EXPECT_LT(compareSlackTimestamps(a, b), 0) << qPrintable(a) << " < " << qPrintable(b);
        EXPECT_GT(compareSlackTimestamps(b, a), 0) << qPrintable(b) << " > " << qPrintable(a);
    }
    EXPECT_EQ(compareSlackTimestamps(u"01.10", u"1.1"), 0);
}

TEST(AgingPolicy, EachThresholdBelongsToTheLaterStage)
{
    const AgingPolicy usual;
    const AgingPolicy equal { 600, 600, 1200 }; // equal thresholds skip a stage
    const std::tuple<AgingPolicy, double, AgeStage> cases[] = {
        { usual, -10, AgeStage::fresh },
        { usual, 0, AgeStage::fresh },
        { usual, 299.999, AgeStage::fresh },
        { usual, 300, AgeStage::aging },
        { usual, 900, AgeStage::stale },
        { usual, 1799, AgeStage::stale },
        { usual, 1800, AgeStage::overdue },
        { usual, std::numeric_limits<double>::quiet_NaN(), AgeStage::overdue },
        { equal, 599, AgeStage::fresh },
        { equal, 600, AgeStage::stale },
        { equal, 1200, AgeStage::overdue },
    };
    for (const auto& [policy, age, stage] : cases)
        EXPECT_EQ(policy.stageForAge(age), stage) << age;
}

TEST(QueueHealth, ShareOfAgedAlertsDecides)
{
    using enum AgeStage;
    const std::pair<QList<AgeStage>, QueueHealth> cases[] = {
        { {}, QueueHealth::allClear },
        { { fresh }, QueueHealth::hasAlerts },
        { { overdue, fresh }, QueueHealth::halfAged },
        { { overdue, overdue, fresh, fresh }, QueueHealth::halfAged },
        { { aging, stale, overdue, fresh }, QueueHealth::mostlyAged },
        { { overdue }, QueueHealth::mostlyAged },
    };
    for (const auto& [stages, health] : cases)
        EXPECT_EQ(queueHealthFromStages(stages), health) << stages.size();
}

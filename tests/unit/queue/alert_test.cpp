#include "queue/alert.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

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
    for (const char* members : { R"("ts":"1","receivedAt":5)",
             R"("ts":"1","receivedAt":5,"userId":null,"permalink":null,"unknown":{"x":1})" }) {
        auto alert = decode(members);
        ASSERT_TRUE(alert.has_value()) << members;
        EXPECT_FALSE(alert->userId.has_value());
        EXPECT_FALSE(alert->permalink.has_value());
        EXPECT_EQ(alert->toJson().keys(),
            (QStringList { u"channelId"_s, u"id"_s, u"receivedAt"_s, u"text"_s, u"ts"_s }));
    }
    for (const char* members : { R"("ts":"1","receivedAt":"5")", R"("receivedAt":5)",
             R"("ts":1,"receivedAt":5)", R"("ts":"1","receivedAt":5,"userId":7)",
             R"("ts":"1","receivedAt":5,"permalink":"ht tp://")",
             R"("ts":"1","receivedAt":5,"permalink":"")" })
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
    EXPECT_EQ(back->receivedAt, 721692800.123456789);
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

#include "queue/alert.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {
json::Decoded<Alert> decode(const char* text)
{
    return Alert::fromJson(QJsonDocument::fromJson(QByteArray(text)).object());
}
} // namespace

TEST(AlertJson, OptionalsMayBeMissingOrNullAndAreLeftOutWhenAbsent)
{
    for (const char* text : {
             R"({"id":"C1:1.2","channelId":"C1","ts":"1.2","text":"t","receivedAt":5})",
             R"({"id":"C1:1.2","channelId":"C1","ts":"1.2","text":"t","receivedAt":5,
                 "userId":null,"permalink":null,"unknown":{"x":1}})",
         }) {
        auto alert = decode(text);
        ASSERT_TRUE(alert.has_value()) << text;
        EXPECT_FALSE(alert->userId.has_value());
        EXPECT_FALSE(alert->permalink.has_value());
        const QJsonObject written = alert->toJson();
        EXPECT_FALSE(written.contains(u"userId"_s));
        EXPECT_FALSE(written.contains(u"permalink"_s));
        EXPECT_EQ(written.keys().size(), 5);
    }
}

TEST(AlertJson, FractionalReceivedAtRoundTripsExactly)
{
    Alert alert { u"C1:1700000000.000100"_s, u"C1"_s, u"1700000000.000100"_s, u"U1"_s,
        u"Disk \"full\" — ünïcode"_s, 721692800.123456789, QUrl(u"https://x.slack.com/a?b=c"_s) };
    const QByteArray bytes = QJsonDocument(alert.toJson()).toJson(QJsonDocument::Compact);
    auto back = Alert::fromJson(QJsonDocument::fromJson(bytes).object());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, alert);
    EXPECT_EQ(back->receivedAt, 721692800.123456789);
}

TEST(AlertJson, WrongTypesAndMissingKeysFailTheRecord)
{
    for (const char* text :
        {
            R"({"id":"a","channelId":"C","ts":"1","text":"t","receivedAt":"5"})",
            R"({"id":"a","channelId":"C","text":"t","receivedAt":5})",
            R"({"id":"a","channelId":"C","ts":1,"text":"t","receivedAt":5})",
            R"({"id":"a","channelId":"C","ts":"1","text":"t","receivedAt":5,"userId":7})",
            R"({"id":"a","channelId":"C","ts":"1","text":"t","receivedAt":5,"permalink":"ht tp://"})",
            R"({"id":"a","channelId":"C","ts":"1","text":"t","receivedAt":5,"permalink":""})",
        }) {
        EXPECT_FALSE(decode(text).has_value()) << text;
    }
}

TEST(AlertIdentity, SameIdDifferentTextIsUnequalValue)
{
    Alert a { Alert::makeId(u"C1"_s, u"1.5"_s), u"C1"_s, u"1.5"_s, {}, u"one"_s, 1, {} };
    Alert b = a;
    b.text = u"two"_s;
    EXPECT_EQ(a.id, u"C1:1.5"_s);
    EXPECT_EQ(a.id, b.id);
    EXPECT_NE(a, b);
    EXPECT_NE(qHash(a), qHash(b));
    Alert c = a;
    c.userId = QString();
    EXPECT_NE(a, c) << "absent and empty userId are different values";
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

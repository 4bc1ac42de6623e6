#include "slack/webapi/responses.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard::webapi {
namespace {

QJsonValue parse(const char* json)
{
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

TEST(ResponsesTest, DisplayNameTakesTheFirstUsefulName)
{
    struct Case {
        const char* json;
        QString expected;
    };
    const Case cases[] = {
        { R"({"id":"U","name":"a","real_name":"b","profile":{"display_name":"c","real_name":"d"}})",
            u"c"_s },
        { R"({"id":"U","name":"a","real_name":"b","profile":{"display_name":"","real_name":"d"}})",
            u"d"_s },
        { R"({"id":"U","name":"a","real_name":"b","profile":{"display_name":null,"real_name":""}})",
            u"b"_s },
        { R"({"id":"U","name":"a","real_name":"","profile":{}})", u"a"_s },
        { R"({"id":"U","name":""})", u""_s },
        { R"({"id":"U1"})", u"U1"_s },
    };
    for (const Case& c : cases) {
        const auto user = SlackUser::decode(parse(c.json));
        ASSERT_TRUE(user) << c.json;
        EXPECT_EQ(user->displayName(), c.expected) << c.json;
    }
}

// Records that carry events decode the body's bytes, the others a parsed object.
template <typename T> json::Decoded<bool> decodes(const char* json)
{
    const auto decoded = [json] {
        if constexpr (requires { T::decode(QByteArrayView(json)); })
            return T::decode(QByteArrayView(json));
        else
            return T::decode(parse(json));
    }();
    if (!decoded)
        return std::unexpected(decoded.error());
    return true;
}

TEST(ResponsesTest, RecordsFailWithTheKeyPathOfTheFirstBadValue)
{
    struct Case {
        json::Decoded<bool> (*decode)(const char*);
        const char* json;
        QString error;
    };
    const Case cases[] = {
        { &decodes<UsersConversationsResponse>,
            R"({"ok":true,"channels":[{"id":"C1","name":"a"},{"id":"C2"}]})",
            u"channels[1].name: missing required value"_s },
        { &decodes<UsersConversationsResponse>,
            R"({"ok":true,"channels":[{"id":"C1","name":"a","is_private":"no"}]})",
            u"channels[0].is_private: expected a boolean"_s },
        { &decodes<UsersInfoResponse>, R"({"ok":true,"user":{"name":"ada"}})",
            u"user.id: missing required value"_s },
        { &decodes<UsersInfoResponse>, R"({"ok":true,"user":{"id":"U1","profile":"none"}})",
            u"user.profile: expected an object"_s },
        { &decodes<ConversationsHistoryResponse>,
            R"({"ok":true,"response_metadata":{"next_cursor":1}})",
            u"response_metadata.next_cursor: expected a string"_s },
        { &decodes<ReactionsGetResponse>, R"({"ok":true,"message":{"text":"no type"}})",
            u"message.type: missing required value"_s },
        { &decodes<ConversationsHistoryResponse>,
            R"({"ok":true,"messages":[{"type":"message"},{"type":"message","ts":1.5}]})",
            u"messages[1].ts: expected a string"_s },
    };
    for (const Case& c : cases) {
        const auto result = c.decode(c.json);
        ASSERT_FALSE(result) << c.json;
        EXPECT_EQ(result.error().description(), c.error) << c.json;
    }
}

} // namespace
} // namespace halyard::webapi

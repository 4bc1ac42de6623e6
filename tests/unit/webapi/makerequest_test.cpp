#include "slack/webapi/responses.h"
#include "slack/webapi/slackwebapi.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {
namespace {

// What a call sends, form bodies and tokens included: WebApiTest.EachCallSendsItsMethod...
TEST(MakeRequestTest, TheMethodIsOnePathComponentOfTheBaseAndEachRequestHasItsTimeout)
{
    for (const char* base : { "http://h/api/", "http://h/api" }) {
        const SlackWebAPI api(nullptr, QUrl(QString::fromLatin1(base)), std::chrono::seconds(3));
        const auto request
            = api.makeRequest(u"users.info"_s, { { u"user"_s, u"U1"_s } }, {}, "GET");
        EXPECT_EQ(request.request.url().toEncoded(), "http://h/api/users.info?user=U1") << base;
        EXPECT_EQ(request.body, std::nullopt);
        EXPECT_EQ(request.request.transferTimeout(), 3000);
    }
    const auto post = SlackWebAPI(nullptr, QUrl(u"https://slack.com/api/"_s))
                          .makeRequest(u"auth.test"_s, {}, u"xoxb-1"_s, "POST");
    EXPECT_EQ(post.request.transferTimeout(), 60000);
    // Characters a query may hold as they are stay readable.
    EXPECT_EQ(SlackWebAPI::encodeQuery({ { u"v"_s, u"skin-tone-2~!$'()*,;:@/?"_s } }),
        "v=skin-tone-2~!$'()*,;:@/?");
}

TEST(ResponsesTest, DisplayNameTakesTheFirstUsefulNameAndSkipsNamesOfTheWrongType)
{
    const std::pair<const char*, QString> cases[] = {
        { R"({"id":"U","name":"a","real_name":"b","profile":{"display_name":"c","real_name":"d"}})",
            u"c"_s },
        { R"({"id":"U","name":"a","real_name":"b","profile":{"display_name":"","real_name":"d"}})",
            u"d"_s },
        { R"({"id":"U","name":"a","real_name":"b","profile":{"display_name":null,"real_name":""}})",
            u"b"_s },
        { R"({"id":"U","name":"a","real_name":"","profile":{}})", u"a"_s },
        { R"({"id":"U","name":""})", u""_s },
        { R"({"id":"U1"})", u"U1"_s },
        { R"({"id":"U","name":"a","real_name":7,"profile":{"display_name":["c"],"real_name":"d"}})",
            u"d"_s },
        { R"({"id":"U","name":"a","real_name":{},"profile":"c"})", u"a"_s },
        { R"({"id":"U1","name":false})", u"U1"_s },
    };
    for (const auto& [json, expected] : cases) {
        const auto reply = webapi::UsersInfoResponse::decode(
            QByteArray(R"({"ok":true,"user":)" + QByteArray(json) + '}'));
        ASSERT_TRUE(reply && reply->user) << json;
        EXPECT_EQ(reply->user->displayName(), expected) << json;
    }
}

template <typename T> QString failureOf(QByteArrayView body)
{
    const auto decoded = T::decode(body);
    return decoded ? QString() : decoded.error().description();
}

// What the program acts on fails the reply with its key path; a wrong type in what only feeds
// the display costs that field; a list element that does not decode costs only itself.
TEST(ResponsesTest, RepliesAreStrictWhereTheProgramActsAndLenientWhereTheyOnlyDisplay)
{
    using namespace webapi;
    const std::tuple<QString (*)(QByteArrayView), const char*, QString> failures[] = {
        { failureOf<AuthTestResponse>, R"({"ok":true,"team_id":5})",
            u"team_id: expected a string"_s },
        { failureOf<ConnectionsOpenResponse>, R"({"ok":true,"url":["ws://x"]})",
            u"url: expected a string"_s },
        { failureOf<ReactionsAddResponse>, R"({"ok":false,"error":{"code":1}})",
            u"error: expected a string"_s },
        { failureOf<UsersConversationsResponse>, R"({"ok":true,"channels":{"C1":{}}})",
            u"channels: expected an array"_s },
        { failureOf<ConversationsInfoResponse>, R"({"ok":true,"channel":{"id":"C1","name":3}})",
            u"channel.name: expected a string"_s },
        { failureOf<UsersInfoResponse>, R"({"ok":true,"user":{"id":7,"name":"a"}})",
            u"user.id: expected a string"_s },
        { failureOf<BotsInfoResponse>, R"({"ok":true,"bot":{"name":"b","app_id":1}})",
            u"bot.app_id: expected a string"_s },
        { failureOf<ConversationsHistoryResponse>,
            R"({"ok":true,"messages":[],"response_metadata":{"next_cursor":1}})",
            u"response_metadata.next_cursor: expected a string"_s },
        { failureOf<ReactionsGetResponse>, R"({"ok":true,"message":{"type":"message","ts":1}})",
            u"message.ts: expected a string"_s },
        { failureOf<AuthTestResponse>, R"({"ok":true,"team":"t")", u"invalid JSON: …"_s },
        { failureOf<AuthTestResponse>, R"({"team":"t"})", u"ok: missing required value"_s },
    };
    for (const auto& [failure, body, description] : failures) {
        const QString actual = failure(body);
        if (description.endsWith(u'…'))
            EXPECT_TRUE(actual.startsWith(description.chopped(1))) << body;
        else
            EXPECT_EQ(actual, description) << body;
    }

    AuthTestResponse auth;
    auth.ok = true;
    auth.team_id = u"T1"_s;
    EXPECT_EQ(
        AuthTestResponse::decode(R"({"ok":true,"team":5,"user":{"n":1},"team_id":"T1"})"), auth);
    EXPECT_EQ(BotsInfoResponse::decode(R"({"ok":true,"bot":{"id":"B1","name":9,"app_id":"A1"}})"),
        (BotsInfoResponse {
            true, BotsInfoResponse::Bot { u"B1"_s, std::nullopt, u"A1"_s }, std::nullopt }));
    const auto list = UsersConversationsResponse::decode(R"({"ok":true,"channels":[
        {"id":"C1","name":"a","is_private":"no"},{"id":"C2"},7,{"id":"G3","name":"c",
        "is_private":true,"topic":{"value":[]}}]})");
    ASSERT_TRUE(list) << qPrintable(list.error().description());
    EXPECT_EQ(list->channels,
        (QList<Channel> { { u"C1"_s, u"a"_s, std::nullopt }, { u"G3"_s, u"c"_s, true } }));
    EXPECT_EQ(list->skipped,
        (QList<json::DecodeError> { { u"channels[1].name"_s, u"missing required value"_s },
            { u"channels[2]"_s, u"expected an object"_s } }));
}

} // namespace
} // namespace halyard

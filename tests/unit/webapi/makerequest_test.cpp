#include "common/logcapture.h"
#include "slack/webapi/responses.h"
#include "slack/webapi/slackwebapi.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {
namespace {

TEST(MakeRequestTest, TheMethodIsOnePathComponentOfTheBaseAndAPostSendsItsQueryAsAForm)
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
                          .makeRequest(u"reactions.add"_s,
                              QUrlQuery { { u"channel"_s, u"C1"_s }, { u"name"_s, u"x"_s } },
                              u"xoxb-1"_s, "POST");
    EXPECT_EQ(post.request.url().toEncoded(), "https://slack.com/api/reactions.add");
    EXPECT_EQ(post.body, "channel=C1&name=x");
    EXPECT_EQ(post.method, "POST");
    EXPECT_EQ(post.request.rawHeader("Authorization"), "Bearer xoxb-1");
    EXPECT_EQ(post.request.transferTimeout(), 60000);
    // Characters a query may hold as they are stay readable.
    EXPECT_EQ(SlackWebAPI::encodeQuery({ { u"v"_s, u"skin-tone-2~!$'()*,;:@/?"_s } }),
        "v=skin-tone-2~!$'()*,;:@/?");
}

TEST(MakeRequestTest, TheEnvironmentMayPointTheClientElsewhere)
{
    const QByteArray saved = qgetenv("HALYARD_SLACK_API_URL");
    const std::tuple<QByteArray, QString, bool> cases[] = {
        { "", u"https://slack.com/api/"_s, false },
        { "http://127.0.0.1:4567/api/", u"http://127.0.0.1:4567/api/"_s, false },
        { "ftp://example.com/api/", u"https://slack.com/api/"_s, true },
    };
    for (const auto& [value, url, logged] : cases) {
        test::LogCapture log;
        qputenv("HALYARD_SLACK_API_URL", value);
        EXPECT_EQ(SlackWebAPI::defaultBaseUrl().toString(), url) << value.constData();
        EXPECT_EQ(log.messagesStartingWith(u"slack"_s, u"Ignoring HALYARD_SLACK_API_URL"_s).size(),
            logged ? 1 : 0);
    }
    qputenv("HALYARD_SLACK_API_URL", saved);
}

TEST(ResponsesTest, DisplayNameTakesTheFirstUsefulName)
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
    };
    for (const auto& [json, expected] : cases) {
        const auto user = webapi::SlackUser::decode(QJsonDocument::fromJson(json).object());
        ASSERT_TRUE(user) << json;
        EXPECT_EQ(user->displayName(), expected) << json;
    }
    const auto bad = webapi::UsersConversationsResponse::decode(
        QJsonDocument::fromJson(R"({"ok":true,"channels":[{"id":"C1","name":"a"},{"id":"C2"}]})")
            .object());
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().description(), u"channels[1].name: missing required value"_s);
}

} // namespace
} // namespace halyard

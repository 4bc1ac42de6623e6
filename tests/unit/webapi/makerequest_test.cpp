#include "common/logcapture.h"
#include "slack/webapi/slackwebapi.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {
namespace {

TEST(MakeRequestTest, TheMethodIsOnePathComponentOfTheBaseAndAPostSendsItsQueryAsAForm)
{
    const std::tuple<QString, QUrlQuery, QByteArray> gets[] = {
        { u"users.info"_s, QUrlQuery { { u"user"_s, u"U1"_s } },
            "http://h/api/users.info?user=U1" },
        { u"bots.info"_s, QUrlQuery(), "http://h/api/bots.info" },
    };
    for (const char* base : { "http://h/api/", "http://h/api" }) {
        const SlackWebAPI api(nullptr, QUrl(QString::fromLatin1(base)), std::chrono::seconds(3));
        for (const auto& [apiMethod, query, url] : gets) {
            const auto request = api.makeRequest(apiMethod, query, u"t"_s, "GET");
            EXPECT_EQ(request.request.url().toEncoded(), url) << base;
            EXPECT_EQ(request.body, std::nullopt);
            EXPECT_EQ(request.request.transferTimeout(), 3000);
        }
    }
    const auto post = SlackWebAPI(nullptr, QUrl(u"https://slack.com/api/"_s))
                          .makeRequest(u"reactions.add"_s,
                              QUrlQuery { { u"channel"_s, u"C1"_s }, { u"name"_s, u"x"_s } },
                              u"xoxb-1"_s, "POST");
    EXPECT_EQ(post.request.url().toEncoded(), "https://slack.com/api/reactions.add");
    EXPECT_EQ(post.body, "channel=C1&name=x");
    EXPECT_EQ(post.method, "POST");
    EXPECT_EQ(
        post.request.rawHeader("Content-Type"), "application/x-www-form-urlencoded; charset=utf-8");
    EXPECT_EQ(post.request.rawHeader("Authorization"), "Bearer xoxb-1");
    EXPECT_EQ(post.request.transferTimeout(), 60000);
}

TEST(MakeRequestTest, QueryValuesAreEncodedSoTheyCannotAddParameters)
{
    struct Case {
        QString value;
        QString encoded;
    };
    const Case cases[] = {
        { u"C0123ABCD"_s, u"C0123ABCD"_s },
        { u"1700000000.000100"_s, u"1700000000.000100"_s },
        { u"white_check_mark"_s, u"white_check_mark"_s },
        { u"skin-tone-2~"_s, u"skin-tone-2~"_s },
        { u"!$'()*,;:@/?"_s, u"!$'()*,;:@/?"_s },
        { u"thumbs up"_s, u"thumbs%20up"_s },
        { u"+1"_s, u"%2B1"_s },
        { u"a&b=c#d%e"_s, u"a%26b%3Dc%23d%25e"_s },
        { u"über"_s, u"%C3%BCber"_s },
        { u"\r\n"_s, u"%0D%0A"_s },
        { u""_s, u""_s },
    };
    for (const Case& c : cases)
        EXPECT_EQ(SlackWebAPI::encodeQuery(QUrlQuery { { u"v"_s, c.value } }),
            (u"v="_s + c.encoded).toLatin1())
            << qPrintable(c.value);
}

TEST(MakeRequestTest, TheEnvironmentMayPointTheClientElsewhere)
{
    const QByteArray saved = qgetenv("HALYARD_SLACK_API_URL");
    struct Case {
        QByteArray value;
        QString url;
        bool logged;
    };
    const Case cases[] = {
        { "", u"https://slack.com/api/"_s, false },
        { "http://127.0.0.1:4567/api/", u"http://127.0.0.1:4567/api/"_s, false },
        { "ftp://example.com/api/", u"https://slack.com/api/"_s, true },
        { "not a url", u"https://slack.com/api/"_s, true },
    };
    for (const Case& c : cases) {
        test::LogCapture log;
        qputenv("HALYARD_SLACK_API_URL", c.value);
        EXPECT_EQ(SlackWebAPI::defaultBaseUrl().toString(), c.url) << c.value.constData();
        EXPECT_EQ(log.messagesStartingWith(u"slack"_s, u"Ignoring HALYARD_SLACK_API_URL"_s).size(),
            c.logged ? 1 : 0);
    }
    qputenv("HALYARD_SLACK_API_URL", saved);
}

} // namespace
} // namespace halyard

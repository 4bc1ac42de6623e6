#include "desktopapp/webapitokentester.h"
#include "halyard-sim/fakeslack.h"

#include <QCoroTask>
#include <QNetworkAccessManager>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;
using halyard::test::FakeReply;
using halyard::test::FakeSlack;

namespace {

// Test Token as the settings window gets it: auth.test on the wire with the token it was given,
// and Slack's answer or the failure in the words the window shows.
TEST(WebApiTokenTester, SendsTheTokenAndReadsTheAnswer)
{
    FakeSlack fake;
    ASSERT_TRUE(fake.listen());
    QNetworkAccessManager network;
    const SlackControls::TokenTester test = webApiTokenTester(&network, fake.apiUrl());
    const auto& workspace = fake.workspace();
    struct Case {
        std::optional<FakeReply> reply; // none: the workspace answers
        TokenTestResult expected;
    };
    const Case cases[] = {
        { {}, TokenOwner { workspace.teamName, workspace.botUserName } },
        { FakeReply::slackError(u"invalid_auth"_s),
            std::unexpected(Problem::of(Problem::Kind::slackRefused, {}, 0, u"invalid_auth"_s)) },
        { FakeReply::json({ { u"ok"_s, false } }),
            std::unexpected(Problem::of(Problem::Kind::slackRefused, {}, 0, u"unknown"_s)) },
        { FakeReply::http(404, "not found"),
            std::unexpected(Problem::of(Problem::Kind::httpStatus, {}, 404)) },
    };
    for (const Case& c : cases) {
        if (c.reply)
            fake.script(u"auth.test"_s, *c.reply);
        const TokenTestResult result = QCoro::waitFor(test(workspace.botToken));
        EXPECT_EQ(result, c.expected) << (result ? "" : result.error().detail.toStdString());
        EXPECT_EQ(fake.requests(u"auth.test"_s).last().token(), workspace.botToken);
    }
    EXPECT_EQ(fake.requests().size(), qsizetype(std::size(cases))) << "nothing but auth.test";
}

} // namespace

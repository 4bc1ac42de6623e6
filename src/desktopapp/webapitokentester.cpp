#include "desktopapp/webapitokentester.h"

#include "slack/webapi/slackwebapi.h"

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// A coroutine of its own rather than a capturing lambda: the frame keeps the API object alive
// until the answer arrives.
QCoro::Task<TokenTestResult> runAuthTest(
    QNetworkAccessManager* network, QUrl baseUrl, QString botToken)
{
    const SlackWebAPI api(network, std::move(baseUrl));
    const auto result = co_await api.authTest(std::move(botToken));
    if (!result)
        co_return std::unexpected(result.error().problem());
    if (!result->ok)
        co_return std::unexpected(
            Problem::of(Problem::Kind::slackRefused, {}, 0, result->error.value_or(u"unknown"_s)));
    co_return TokenOwner { result->team, result->user };
}

} // namespace

SlackControls::TokenTester webApiTokenTester(QNetworkAccessManager* network, QUrl baseUrl)
{
    return [network, baseUrl](
               QString botToken) { return runAuthTest(network, baseUrl, std::move(botToken)); };
}

} // namespace halyard

#include "slack/webapi/slackerror.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {
namespace {

TEST(SlackErrorTest, DescriptionsAreTheProgramsTexts)
{
    struct Case {
        SlackError error;
        QString description;
    };
    const Case cases[] = {
        { SlackError::authFailed(u"invalid_auth"_s), u"Authentication failed: invalid_auth"_s },
        { SlackError::socketModeFailed(u"no url in response"_s),
            u"Socket Mode failed: no url in response"_s },
        { SlackError::httpError(503, u"busy"_s), u"HTTP 503: busy"_s },
        { SlackError::httpError(0), u"HTTP 0"_s },
        { SlackError::httpError(0, u""_s), u"HTTP 0: "_s },
        { SlackError::httpError(-1, u"x"_s), u"HTTP -1: x"_s },
        { SlackError::decodingFailed(u"ok: missing required value"_s),
            u"Decoding failed: ok: missing required value"_s },
        { SlackError::missingTokens(), u"Slack tokens not configured"_s },
        { SlackError::transport(QNetworkReply::HostNotFoundError, u"Host slack.com not found"_s),
            u"Host slack.com not found"_s },
        { SlackError::transport(QNetworkReply::UnknownNetworkError, {}), u"Network error 99"_s },
        { SlackError::cancelled(), u"Cancelled"_s },
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.error.description(), c.description);
}

TEST(SlackErrorTest, TransportErrorsAreTransientOnlyForPassingFailures)
{
    using K = SlackError::TransportKind;
    struct Case {
        QNetworkReply::NetworkError code;
        bool timedOut;
        K kind;
    };
    const Case cases[] = {
        { QNetworkReply::RemoteHostClosedError, false, K::connectionLost },
        { QNetworkReply::NetworkSessionFailedError, false, K::notConnected },
        { QNetworkReply::TemporaryNetworkFailureError, false, K::notConnected },
        { QNetworkReply::TimeoutError, false, K::timedOut },
        { QNetworkReply::OperationCanceledError, true, K::timedOut },
        { QNetworkReply::OperationCanceledError, false, K::other },
        { QNetworkReply::HostNotFoundError, false, K::hostNotFound },
        { QNetworkReply::ConnectionRefusedError, false, K::cannotConnect },
        { QNetworkReply::ServiceUnavailableError, false, K::resourceUnavailable },
        { QNetworkReply::UnknownNetworkError, false, K::resourceUnavailable },
        { QNetworkReply::SslHandshakeFailedError, false, K::other },
        { QNetworkReply::ProxyConnectionRefusedError, false, K::other },
        { QNetworkReply::ProtocolUnknownError, false, K::other },
        { QNetworkReply::TooManyRedirectsError, false, K::other },
    };
    for (const Case& c : cases) {
        const SlackError error = SlackError::transport(c.code, u"text"_s, c.timedOut);
        EXPECT_EQ(error.transportKind(), c.kind) << int(c.code);
        EXPECT_EQ(error.isTransient(), c.kind != K::other) << int(c.code);
        EXPECT_EQ(error.networkError(), c.code);
    }
}

TEST(SlackErrorTest, OnlyRateLimitsAndServerErrorsAreTransientAmongHttpStatuses)
{
    for (const qint64 status : { 429, 500, 503, 599 })
        EXPECT_TRUE(SlackError::httpError(status).isTransient()) << status;
    for (const qint64 status : { 0, 200, 301, 400, 401, 404, 428, 430, 499, 600 })
        EXPECT_FALSE(SlackError::httpError(status).isTransient()) << status;
    for (const SlackError& error : { SlackError::authFailed(u"x"_s),
             SlackError::socketModeFailed(u"x"_s), SlackError::decodingFailed(u"x"_s),
             SlackError::missingTokens(), SlackError::cancelled() })
        EXPECT_FALSE(error.isTransient()) << qPrintable(error.description());
}

} // namespace
} // namespace halyard

#pragma once

#include "common/cancellation.h"
#include "slack/webapi/requestpipe.h"
#include "slack/webapi/responses.h"
#include "slack/webapi/retrypolicy.h"
#include "slack/webapi/slackerror.h"

#include <QByteArray>
#include <QCoroTask>
#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QUrlQuery>

#include <chrono>
#include <memory>
#include <optional>

namespace halyard {

namespace webapi {

// The body of a 2xx reply. A struct, not a bare QByteArray: libstdc++ 12 cannot instantiate
// std::expected<QByteArray, …> as a coroutine's result.
struct ReplyBody {
    QByteArray bytes;
};

// Bounds of one request, whatever the server does: a deadline for the whole exchange (the
// transfer time-out only notices silence, and a server that trickles a byte now and then never
// falls silent) and a cap on the reply's body. A request that hits either fails; the deadline as
// a time-out, which the retry policy may retry, the cap for good.
struct RequestLimits {
    std::chrono::milliseconds requestDeadline { 60'000 };
    qint64 maxBodyBytes = 16 * 1024 * 1024;
};

} // namespace webapi

// The program's only client of Slack's Web API: one coroutine per Web API method the program
// uses. Each call builds its request, runs it under the retry policy, checks the HTTP status,
// decodes the JSON body into its response record and maps Slack's "ok": false per method.
//
// Every call of one client waits in its request pipe, which keeps each method inside Slack's
// rate limits, holds a method back after a 429 and sends the most urgent calls first; the
// deadline of a request starts when it goes out, never while it waits. Otherwise the client
// keeps no state between calls, so one instance may serve many callers and calls may run
// concurrently. Callers pass the token with every call (the bot token, or the
// app-level token for connectionsOpen). Every call takes an optional cancellation token:
// cancelling aborts the request in flight or ends the retry wait at once, and the call fails
// with SlackError::cancelled(). The network access manager must outlive every call.
class SlackWebAPI {
public:
    using AuthTestResponse = webapi::AuthTestResponse;
    using ConnectionsOpenResponse = webapi::ConnectionsOpenResponse;
    using UsersConversationsResponse = webapi::UsersConversationsResponse;
    using Channel = webapi::Channel;
    using ConversationsInfoResponse = webapi::ConversationsInfoResponse;
    using UsersInfoResponse = webapi::UsersInfoResponse;
    using SlackUser = webapi::SlackUser;
    using BotsInfoResponse = webapi::BotsInfoResponse;
    using ResponseMetadata = webapi::ResponseMetadata;
    using ConversationsHistoryResponse = webapi::ConversationsHistoryResponse;
    using ReactionsGetResponse = webapi::ReactionsGetResponse;
    using ReactionsAddResponse = webapi::ReactionsAddResponse;
    using Limits = webapi::RequestLimits;

    static constexpr std::chrono::milliseconds kDefaultTransferTimeout { 60'000 };
    static constexpr int kHistoryPageLimit = 100;

    // One HTTP request as makeRequest builds it; `body` is absent when none is sent.
    struct Request {
        QNetworkRequest request;
        QByteArray method;
        std::optional<QByteArray> body;
    };

    // The base URL of Slack's Web API, "https://slack.com/api/". The program's profile decides
    // whether another one (the simulator's) is allowed.
    static QUrl defaultBaseUrl();

    // A transfer time-out ends a request that has received nothing for that long.
    explicit SlackWebAPI(QNetworkAccessManager* network, QUrl baseUrl = defaultBaseUrl(),
        std::chrono::milliseconds transferTimeout = kDefaultTransferTimeout,
        RetryPolicy retryPolicy = {}, Limits limits = {}, PipeLimits pipeLimits = {});

    const QUrl& baseUrl() const { return m_baseUrl; }

    // Builds one request for a Web API method ("users.info") with its query, the token and the
    // HTTP method. A POST sends its query as a form body; a GET keeps it in the URL. Redirects
    // wait for the client's verdict: the token follows one only to the same origin.
    Request makeRequest(const QString& apiMethod, const QUrlQuery& query, const QString& token,
        const QByteArray& method) const;

    // Sends one Web API request under the retry policy and decodes the body as T (a response
    // record with a static decode()). Slack's "ok" flag is not examined here.
    template <typename T>
    QCoro::Task<SlackResult<T>> send(QString apiMethod, QUrlQuery query, QString token,
        QByteArray method, CancellationToken cancel = {}) const
    {
        const auto body = co_await sendForBody(std::move(apiMethod), std::move(query),
            std::move(token), std::move(method), std::move(cancel));
        if (!body)
            co_return std::unexpected(body.error());
        auto decoded = T::decode(body->bytes);
        if (!decoded)
            co_return std::unexpected(SlackError::decodingFailed(decoded.error().description()));
        co_return std::move(*decoded);
    }

    // auth.test: the response whatever its "ok"; the caller reads `error`.
    QCoro::Task<SlackResult<AuthTestResponse>> authTest(
        QString botToken, CancellationToken cancel = {}) const;
    // apps.connections.open with the app-level token: the Socket Mode WebSocket URL.
    QCoro::Task<SlackResult<QUrl>> connectionsOpen(
        QString appToken, CancellationToken cancel = {}) const;
    // users.conversations: the first 1000 public and private channels the bot is in. A channel
    // that does not decode is logged and left out.
    QCoro::Task<SlackResult<QList<Channel>>> usersConversations(
        QString botToken, CancellationToken cancel = {}) const;
    // conversations.info, users.info, bots.info: absent, not an error, when Slack says no.
    QCoro::Task<SlackResult<std::optional<Channel>>> conversationsInfo(
        QString botToken, QString channelId, CancellationToken cancel = {}) const;
    QCoro::Task<SlackResult<std::optional<SlackUser>>> usersInfo(
        QString botToken, QString userId, CancellationToken cancel = {}) const;
    QCoro::Task<SlackResult<std::optional<BotsInfoResponse::Bot>>> botsInfo(
        QString botToken, QString botId, CancellationToken cancel = {}) const;
    // conversations.history: one page of up to 100 messages newer than `oldest`, newest first.
    // `cursor` asks for a later page (response_metadata.next_cursor of the previous one).
    QCoro::Task<SlackResult<ConversationsHistoryResponse>> conversationsHistory(QString botToken,
        QString channelId, QString oldest, std::optional<QString> cursor = std::nullopt,
        CancellationToken cancel = {}) const;
    // reactions.get with full=true: the message with all its reactions.
    QCoro::Task<SlackResult<ReactionsGetResponse>> reactionsGet(
        QString botToken, QString channelId, QString ts, CancellationToken cancel = {}) const;
    // reactions.add; an emoji that is already there ("already_reacted") counts as success.
    QCoro::Task<SlackResult<void>> reactionsAdd(QString botToken, QString channelId, QString emoji,
        QString ts, CancellationToken cancel = {}) const;

    // The query as it goes on the wire, in the URL or as a form body: percent-encoded so that no
    // value can add a parameter of its own ("&", "=", "+", "#", "%" and spaces are encoded).
    static QByteArray encodeQuery(const QUrlQuery& query);

private:
    struct Config {
        QUrl baseUrl;
        std::chrono::milliseconds transferTimeout;
    };

    static Request buildRequest(const Config& config, const QString& apiMethod,
        const QUrlQuery& query, const QString& token, const QByteArray& method);

    // A 2xx reply's body, after the retries of the policy.
    QCoro::Task<SlackResult<webapi::ReplyBody>> sendForBody(QString apiMethod, QUrlQuery query,
        QString token, QByteArray method, CancellationToken cancel) const;

    QPointer<QNetworkAccessManager> m_network;
    QUrl m_baseUrl;
    std::chrono::milliseconds m_transferTimeout;
    RetryPolicy m_retryPolicy;
    Limits m_limits;
    std::shared_ptr<RequestPipe> m_pipe;
};

} // namespace halyard

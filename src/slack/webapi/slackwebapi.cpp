#include "slack/webapi/slackwebapi.h"

#include "common/logging.h"
#include "common/servertext.h"

#include <QCoreApplication>
#include <QNetworkReply>
#include <QStringDecoder>
#include <QTimer>

#include <algorithm>
#include <coroutine>
#include <memory>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

constexpr auto kDefaultBaseUrl = "https://slack.com/api/";

// Suspends until the reply has finished. Also resumes when the reply is destroyed before that
// (its manager went away), which QCoro's own awaiter would wait for forever; that resumption is
// queued so the caller does not run inside the manager's destructor.
class ReplyFinished {
public:
    explicit ReplyFinished(QNetworkReply* reply)
        : m_reply(reply)
    {
    }

    bool await_ready() const noexcept { return !m_reply || m_reply->isFinished(); }

    void await_suspend(std::coroutine_handle<> awaiting)
    {
        // Both connections live as long as the reply; the flag keeps the later one quiet.
        auto done = std::make_shared<bool>(false);
        auto resume = [awaiting, done] {
            if (std::exchange(*done, true))
                return;
            awaiting.resume();
        };
        QObject::connect(m_reply, &QNetworkReply::finished, resume);
        QObject::connect(m_reply, &QObject::destroyed, [resume, done] {
            if (!*done)
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(), resume, Qt::QueuedConnection);
        });
    }

    void await_resume() const noexcept { }

private:
    QPointer<QNetworkReply> m_reply;
};

struct DeleteLater {
    void operator()(QObject* object) const { object->deleteLater(); }
};

std::optional<QString> utf8Text(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// A query from key, value, key, value, … Built here rather than from a brace list inside a
// coroutine, which g++ 12 fails to compile.
template <typename... Strings> QUrlQuery queryOf(const Strings&... items)
{
    const QString list[] = { items... };
    QUrlQuery query;
    for (std::size_t i = 0; i + 1 < sizeof...(items); i += 2)
        query.addQueryItem(list[i], list[i + 1]);
    return query;
}

// How often one call lets a 429 hold it back before it fails as rate-limited.
constexpr int kMaxRateLimitRests = 10;

bool isBelowHttp(QNetworkReply::NetworkError error)
{
    // Qt numbers network-layer errors 1-99 and proxy errors 101-199; content, protocol and
    // server errors come with an HTTP status of their own.
    return error != QNetworkReply::NoError && int(error) < 200;
}

bool sameOrigin(const QUrl& a, const QUrl& b)
{
    const int defaultPort = a.scheme() == u"https" ? 443 : 80;
    return a.scheme() == b.scheme() && a.host() == b.host()
        && a.port(defaultPort) == b.port(defaultPort);
}

// Why the program ended a request itself, other than on cancellation.
struct AttemptLimits {
    enum class Hit { none, deadline, bodySize, redirect };
    Hit hit = Hit::none;
    QUrl redirectTarget;
};

// Ends the reply when it breaks one of the limits, or follows a redirect only to the origin it
// was sent to: the request carries a token, which must never reach another host.
void watchLimits(QNetworkReply* reply, const SlackWebAPI::Limits& limits,
    const std::shared_ptr<AttemptLimits>& state)
{
    const auto end = [reply, state](AttemptLimits::Hit hit) {
        if (reply->isFinished() || state->hit != AttemptLimits::Hit::none)
            return;
        state->hit = hit;
        reply->abort();
    };
    QTimer::singleShot(limits.requestDeadline, Qt::PreciseTimer, reply,
        [end] { end(AttemptLimits::Hit::deadline); });
    const qint64 maxBody = limits.maxBodyBytes;
    // The announced length ends a large reply before its body arrives; the buffered bytes catch
    // a reply that announces none, or inflates when decompressed.
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
        [end, maxBody](qint64 received, qint64 total) {
            if (received > maxBody || total > maxBody)
                end(AttemptLimits::Hit::bodySize);
        });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, end, maxBody] {
        if (reply->bytesAvailable() > maxBody)
            end(AttemptLimits::Hit::bodySize);
    });
    // Compared with the request as sent: the reply may already carry the new URL.
    QObject::connect(reply, &QNetworkReply::redirected, reply,
        [reply, end, state, sent = reply->request().url()](const QUrl& target) {
            const QUrl resolved = sent.resolved(target);
            if (sameOrigin(sent, resolved)) {
                emit reply->redirectAllowed();
                return;
            }
            state->redirectTarget = resolved;
            end(AttemptLimits::Hit::redirect);
        });
}

// One attempt: the request on the wire, its reply classified.
QCoro::Task<SlackResult<webapi::ReplyBody>> performAttempt(QPointer<QNetworkAccessManager> network,
    SlackWebAPI::Request request, SlackWebAPI::Limits limits, CancellationToken cancel)
{
    if (!network) {
        co_return std::unexpected(SlackError::transport(
            QNetworkReply::OperationCanceledError, u"Network access has ended"_s));
    }
    QNetworkReply* sent = nullptr;
    if (request.body)
        sent = network->sendCustomRequest(request.request, request.method, *request.body);
    else if (request.method == "GET")
        sent = network->get(request.request);
    else if (request.method == "POST")
        sent = network->post(request.request, QByteArray());
    else
        sent = network->sendCustomRequest(request.request, request.method);
    std::unique_ptr<QNetworkReply, DeleteLater> reply(sent);
    QPointer<QNetworkReply> guard(sent);
    abortOnCancel(sent, cancel);
    auto limitsHit = std::make_shared<AttemptLimits>();
    watchLimits(sent, limits, limitsHit);

    co_await ReplyFinished(sent);
    if (!guard) {
        reply.release(); // already deleted with its manager
        co_return std::unexpected(SlackError::transport(
            QNetworkReply::OperationCanceledError, u"Network access has ended"_s));
    }

    const QNetworkReply::NetworkError error = sent->error();
    if (error == QNetworkReply::OperationCanceledError && cancel.isCancelled())
        co_return std::unexpected(SlackError::cancelled());
    const QVariant status = sent->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    switch (limitsHit->hit) {
    case AttemptLimits::Hit::none:
        break;
    case AttemptLimits::Hit::deadline:
        co_return std::unexpected(SlackError::transport(
            QNetworkReply::OperationCanceledError, u"The request timed out"_s, true));
    case AttemptLimits::Hit::bodySize:
        co_return std::unexpected(SlackError::transport(QNetworkReply::OperationCanceledError,
            u"The reply is larger than %1 bytes"_s.arg(limits.maxBodyBytes)));
    case AttemptLimits::Hit::redirect:
        co_return std::unexpected(SlackError::httpError(status.toLongLong(),
            u"refused a redirect to another origin ("_s
                + limitsHit->redirectTarget
                      .adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment
                          | QUrl::RemoveUserInfo)
                      .toString()
                + u')'));
    }
    if (isBelowHttp(error)) {
        // The program aborts replies only on cancellation and at its limits, so any other abort
        // is the transfer time-out.
        const bool timedOut = error == QNetworkReply::OperationCanceledError;
        co_return std::unexpected(SlackError::transport(
            error, timedOut ? u"The request timed out"_s : sent->errorString(), timedOut));
    }
    if (!status.isValid()) {
        if (error != QNetworkReply::NoError)
            co_return std::unexpected(SlackError::transport(error, sent->errorString()));
        co_return std::unexpected(SlackError::httpError(0, u"no http response"_s));
    }
    const qint64 code = status.toLongLong();
    const QByteArray body = sent->readAll();
    if (code < 200 || code > 299) {
        co_return std::unexpected(SlackError::httpError(
            code, utf8Text(body), parseRetryAfter(sent->rawHeader("Retry-After"))));
    }
    co_return webapi::ReplyBody { body };
}

} // namespace

QUrl SlackWebAPI::defaultBaseUrl()
{
    return QUrl(QString::fromLatin1(kDefaultBaseUrl));
}

SlackWebAPI::SlackWebAPI(QNetworkAccessManager* network, QUrl baseUrl,
    std::chrono::milliseconds transferTimeout, RetryPolicy retryPolicy, Limits limits,
    PipeLimits pipeLimits)
    : m_network(network)
    , m_baseUrl(std::move(baseUrl))
    , m_transferTimeout(transferTimeout)
    , m_retryPolicy(retryPolicy)
    , m_limits(limits)
    , m_pipe(std::make_shared<RequestPipe>(pipeLimits))
{
}

QByteArray SlackWebAPI::encodeQuery(const QUrlQuery& query)
{
    // QUrlQuery encodes the delimiters of parameters in values but keeps "+", which a form body
    // reads as a space: an emoji named "+1" would arrive as " 1". Any "+" left in the encoded
    // text comes from a value, so it is encoded here.
    return query.toString(QUrl::FullyEncoded).toLatin1().replace('+', "%2B");
}

SlackWebAPI::Request SlackWebAPI::makeRequest(const QString& apiMethod, const QUrlQuery& query,
    const QString& token, const QByteArray& method) const
{
    return buildRequest(Config { m_baseUrl, m_transferTimeout }, apiMethod, query, token, method);
}

SlackWebAPI::Request SlackWebAPI::buildRequest(const Config& config, const QString& apiMethod,
    const QUrlQuery& query, const QString& token, const QByteArray& method)
{
    QUrl url = config.baseUrl;
    QString path = url.path();
    if (!path.endsWith(u'/'))
        path += u'/';
    url.setPath(path + apiMethod);

    Request out;
    out.method = method;
    if (method == "POST" && !query.isEmpty()) {
        out.body = encodeQuery(query);
        out.request.setRawHeader(
            "Content-Type", "application/x-www-form-urlencoded; charset=utf-8");
    } else {
        if (!query.isEmpty())
            url.setQuery(QString::fromLatin1(encodeQuery(query)), QUrl::StrictMode);
        out.request.setRawHeader("Content-Type", "application/json; charset=utf-8");
    }
    out.request.setUrl(url);
    out.request.setTransferTimeout(int(config.transferTimeout.count()));
    out.request.setAttribute(
        QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    out.request.setRawHeader("Authorization", "Bearer " + token.toUtf8());
    return out;
}

QCoro::Task<SlackResult<webapi::ReplyBody>> SlackWebAPI::sendForBody(QString apiMethod,
    QUrlQuery query, QString token, QByteArray method, CancellationToken cancel) const
{
    // Log lines name the call with its query, as it goes on the wire.
    const QString label
        = query.isEmpty() ? apiMethod : apiMethod + u'?' + QString::fromLatin1(encodeQuery(query));
    // Copied before the first suspension: nothing below touches the client again.
    const QPointer<QNetworkAccessManager> network = m_network;
    const Config config { m_baseUrl, m_transferTimeout };
    const RetryPolicy retry = m_retryPolicy;
    const Limits limits = m_limits;

    // Qt copies header values verbatim: a line break in a token would start headers of its own.
    const bool unsafeToken = std::any_of(token.cbegin(), token.cend(),
        [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
    if (unsafeToken) {
        co_return std::unexpected(SlackError::authFailed(
            u"the token contains a line break or another control character"_s));
    }

    const std::shared_ptr<RequestPipe> pipe = m_pipe;
    int rests = 0;
    for (int attempt = 1;;) {
        if (cancel.isCancelled())
            co_return std::unexpected(SlackError::cancelled());
        SlackResult<webapi::ReplyBody> result;
        {
            const RequestPipe::Slot slot = co_await pipe->admit(apiMethod, cancel);
            if (!slot)
                co_return std::unexpected(SlackError::cancelled());
            result = co_await performAttempt(
                network, buildRequest(config, apiMethod, query, token, method), limits, cancel);
        }
        if (result)
            co_return result;
        // A 429 holds the method back in the pipe and costs no attempt: the call waits its turn
        // again. The bound only stops a server that never lets it through.
        if (result.error().isRateLimited() && ++rests <= kMaxRateLimitRests) {
            pipe->rest(apiMethod, retry.rateLimitPause(result.error(), rests));
            continue;
        }
        const auto delay = retry.delayAfter(attempt, result.error());
        if (!delay)
            co_return result;
        qCWarning(lcSlack, "Retrying %s after %.1fs (attempt %d/%d: %s)",
            qUtf8Printable(logCut(label)), double(delay->count()) / 1000.0, attempt,
            retry.maxAttempts, qUtf8Printable(result.error().description()));
        if (!co_await sleepFor(*delay, cancel))
            co_return std::unexpected(SlackError::cancelled());
        ++attempt;
    }
}

QCoro::Task<SlackResult<SlackWebAPI::AuthTestResponse>> SlackWebAPI::authTest(
    QString botToken, CancellationToken cancel) const
{
    return send<AuthTestResponse>(
        u"auth.test"_s, {}, std::move(botToken), "POST", std::move(cancel));
}

QCoro::Task<SlackResult<QUrl>> SlackWebAPI::connectionsOpen(
    QString appToken, CancellationToken cancel) const
{
    const auto response = co_await send<ConnectionsOpenResponse>(
        u"apps.connections.open"_s, {}, std::move(appToken), "POST", std::move(cancel));
    if (!response)
        co_return std::unexpected(response.error());
    if (response->ok && response->url) {
        const QUrl url(*response->url, QUrl::StrictMode);
        if (url.isValid() && !url.isEmpty())
            co_return url;
    }
    co_return std::unexpected(
        SlackError::socketModeFailed(response->error.value_or(u"no url in response"_s)));
}

QCoro::Task<SlackResult<QList<SlackWebAPI::Channel>>> SlackWebAPI::usersConversations(
    QString botToken, CancellationToken cancel) const
{
    const auto response = co_await send<UsersConversationsResponse>(u"users.conversations"_s,
        queryOf(u"types"_s, u"public_channel,private_channel"_s, u"limit"_s, u"1000"_s),
        std::move(botToken), "GET", std::move(cancel));
    if (!response)
        co_return std::unexpected(response.error());
    if (!response->ok)
        co_return std::unexpected(SlackError::httpError(0, response->error));
    for (const json::DecodeError& skipped : response->skipped) {
        qCCritical(lcSlack, "Skipped a channel of users.conversations: %s",
            qUtf8Printable(logCut(skipped.description())));
    }
    co_return response->channels.value_or(QList<Channel> {});
}

QCoro::Task<SlackResult<std::optional<SlackWebAPI::Channel>>> SlackWebAPI::conversationsInfo(
    QString botToken, QString channelId, CancellationToken cancel) const
{
    const auto response = co_await send<ConversationsInfoResponse>(u"conversations.info"_s,
        queryOf(u"channel"_s, channelId), std::move(botToken), "GET", std::move(cancel));
    if (!response)
        co_return std::unexpected(response.error());
    co_return response->ok ? response->channel : std::nullopt;
}

QCoro::Task<SlackResult<std::optional<SlackWebAPI::SlackUser>>> SlackWebAPI::usersInfo(
    QString botToken, QString userId, CancellationToken cancel) const
{
    const auto response = co_await send<UsersInfoResponse>(
        u"users.info"_s, queryOf(u"user"_s, userId), std::move(botToken), "GET", std::move(cancel));
    if (!response)
        co_return std::unexpected(response.error());
    co_return response->ok ? response->user : std::nullopt;
}

QCoro::Task<SlackResult<std::optional<SlackWebAPI::BotsInfoResponse::Bot>>> SlackWebAPI::botsInfo(
    QString botToken, QString botId, CancellationToken cancel) const
{
    const auto response = co_await send<BotsInfoResponse>(
        u"bots.info"_s, queryOf(u"bot"_s, botId), std::move(botToken), "GET", std::move(cancel));
    if (!response)
        co_return std::unexpected(response.error());
    co_return response->ok ? response->bot : std::nullopt;
}

QCoro::Task<SlackResult<SlackWebAPI::ConversationsHistoryResponse>>
SlackWebAPI::conversationsHistory(QString botToken, QString channelId, QString oldest,
    std::optional<QString> cursor, CancellationToken cancel) const
{
    QUrlQuery query = queryOf(u"channel"_s, channelId, u"limit"_s,
        QString::number(kHistoryPageLimit), u"oldest"_s, oldest);
    if (cursor)
        query.addQueryItem(u"cursor"_s, *cursor);
    auto response = co_await send<ConversationsHistoryResponse>(u"conversations.history"_s,
        std::move(query), std::move(botToken), "GET", std::move(cancel));
    if (response && !response->ok)
        co_return std::unexpected(SlackError::httpError(0, response->error));
    co_return response;
}

QCoro::Task<SlackResult<SlackWebAPI::ReactionsGetResponse>> SlackWebAPI::reactionsGet(
    QString botToken, QString channelId, QString ts, CancellationToken cancel) const
{
    auto response = co_await send<ReactionsGetResponse>(u"reactions.get"_s,
        queryOf(u"channel"_s, channelId, u"timestamp"_s, ts, u"full"_s, u"true"_s),
        std::move(botToken), "GET", std::move(cancel));
    if (response && !response->ok)
        co_return std::unexpected(SlackError::httpError(0, response->error));
    co_return response;
}

QCoro::Task<SlackResult<void>> SlackWebAPI::reactionsAdd(
    QString botToken, QString channelId, QString emoji, QString ts, CancellationToken cancel) const
{
    const auto response = co_await send<ReactionsAddResponse>(u"reactions.add"_s,
        queryOf(u"channel"_s, channelId, u"name"_s, emoji, u"timestamp"_s, ts), std::move(botToken),
        "POST", std::move(cancel));
    if (!response)
        co_return std::unexpected(response.error());
    if (!response->ok && response->error != u"already_reacted")
        co_return std::unexpected(SlackError::httpError(0, response->error));
    co_return {};
}

} // namespace halyard

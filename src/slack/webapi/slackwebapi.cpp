#include "slack/webapi/slackwebapi.h"

#include "common/logging.h"

#include <QCoreApplication>
#include <QNetworkReply>
#include <QStringDecoder>

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

bool isBelowHttp(QNetworkReply::NetworkError error)
{
    // Qt numbers network-layer errors 1-99 and proxy errors 101-199; content, protocol and
    // server errors come with an HTTP status of their own.
    return error != QNetworkReply::NoError && int(error) < 200;
}

// One attempt: the request on the wire, its reply classified.
QCoro::Task<SlackResult<webapi::ReplyBody>> performAttempt(
    QPointer<QNetworkAccessManager> network, SlackWebAPI::Request request, CancellationToken cancel)
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

    co_await ReplyFinished(sent);
    if (!guard) {
        reply.release(); // already deleted with its manager
        co_return std::unexpected(SlackError::transport(
            QNetworkReply::OperationCanceledError, u"Network access has ended"_s));
    }

    const QNetworkReply::NetworkError error = sent->error();
    if (error == QNetworkReply::OperationCanceledError && cancel.isCancelled())
        co_return std::unexpected(SlackError::cancelled());
    if (isBelowHttp(error)) {
        // The program aborts replies only on cancellation, so any other abort is the transfer
        // time-out.
        const bool timedOut = error == QNetworkReply::OperationCanceledError;
        co_return std::unexpected(SlackError::transport(
            error, timedOut ? u"The request timed out"_s : sent->errorString(), timedOut));
    }
    const QVariant status = sent->attribute(QNetworkRequest::HttpStatusCodeAttribute);
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
    const QString configured = qEnvironmentVariable("HALYARD_SLACK_API_URL");
    if (!configured.isEmpty()) {
        const QUrl url(configured, QUrl::StrictMode);
        if (url.isValid() && (url.scheme() == u"http" || url.scheme() == u"https")
            && !url.host().isEmpty())
            return url;
        qCCritical(lcSlack, "Ignoring HALYARD_SLACK_API_URL: not an http or https URL: %s",
            qUtf8Printable(configured));
    }
    return QUrl(QString::fromLatin1(kDefaultBaseUrl));
}

SlackWebAPI::SlackWebAPI(QNetworkAccessManager* network, QUrl baseUrl,
    std::chrono::milliseconds transferTimeout, RetryPolicy retryPolicy)
    : m_network(network)
    , m_baseUrl(std::move(baseUrl))
    , m_transferTimeout(transferTimeout)
    , m_retryPolicy(retryPolicy)
{
}

QString SlackWebAPI::encodeQueryValue(const QString& value)
{
    // Kept as they are: what a query allows besides the unreserved characters, minus the
    // delimiters of parameters ("&", "="), "+" (a space in form data) and "#".
    static const QByteArray kKept = QByteArrayLiteral("!$'()*,;:@/?");
    return QString::fromLatin1(QUrl::toPercentEncoding(value, kKept));
}

SlackWebAPI::Request SlackWebAPI::makeRequest(
    const QString& pathAndQuery, const QString& token, const QByteArray& method) const
{
    return buildRequest(Config { m_baseUrl, m_transferTimeout }, pathAndQuery, token, method);
}

SlackWebAPI::Request SlackWebAPI::buildRequest(const Config& config, const QString& pathAndQuery,
    const QString& token, const QByteArray& method)
{
    const QStringList pieces = pathAndQuery.split(u'?', Qt::SkipEmptyParts);
    const QString path = pieces.isEmpty() ? pathAndQuery : pieces.first();
    std::optional<QString> query;
    if (const qsizetype mark = pathAndQuery.indexOf(u'?'); mark >= 0) {
        const QString before = pathAndQuery.left(mark);
        const QString after = pathAndQuery.mid(mark + 1);
        if (!before.isEmpty() && !after.isEmpty())
            query = after;
    }

    QUrl endpoint = config.baseUrl;
    QString endpointPath = endpoint.path();
    if (!endpointPath.endsWith(u'/'))
        endpointPath += u'/';
    endpoint.setPath(endpointPath + path);

    Request out;
    out.method = method;
    if (method == "POST" && query) {
        out.request.setUrl(endpoint);
        out.body = query->toUtf8();
        out.request.setRawHeader(
            "Content-Type", "application/x-www-form-urlencoded; charset=utf-8");
    } else {
        QUrl url = endpoint;
        if (query) {
            const QUrl withQuery(
                endpoint.toString(QUrl::FullyEncoded) + u'?' + *query, QUrl::StrictMode);
            if (withQuery.isValid())
                url = withQuery;
        }
        out.request.setUrl(url);
        out.request.setRawHeader("Content-Type", "application/json; charset=utf-8");
    }
    out.request.setTransferTimeout(int(config.transferTimeout.count()));
    out.request.setRawHeader("Authorization", "Bearer " + token.toUtf8());
    return out;
}

QCoro::Task<SlackResult<webapi::ReplyBody>> SlackWebAPI::sendForBody(
    QString pathAndQuery, QString token, QByteArray method, CancellationToken cancel) const
{
    // Copied before the first suspension: nothing below touches the client again.
    const QPointer<QNetworkAccessManager> network = m_network;
    const Config config { m_baseUrl, m_transferTimeout };
    const RetryPolicy retry = m_retryPolicy;

    // Qt copies header values verbatim: a line break in a token would start headers of its own.
    const bool unsafeToken = std::any_of(token.cbegin(), token.cend(),
        [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
    if (unsafeToken) {
        co_return std::unexpected(SlackError::authFailed(
            u"the token contains a line break or another control character"_s));
    }

    for (int attempt = 1;; ++attempt) {
        if (cancel.isCancelled())
            co_return std::unexpected(SlackError::cancelled());
        auto result = co_await performAttempt(
            network, buildRequest(config, pathAndQuery, token, method), cancel);
        if (result)
            co_return result;
        const auto delay = retry.delayAfter(attempt, result.error());
        if (!delay)
            co_return result;
        qCCritical(lcSlack, "Retrying %s after %.1fs (attempt %d/%d: %s)",
            qUtf8Printable(pathAndQuery), double(delay->count()) / 1000.0, attempt,
            retry.maxAttempts, qUtf8Printable(result.error().description()));
        if (!co_await sleepFor(*delay, cancel))
            co_return std::unexpected(SlackError::cancelled());
    }
}

QCoro::Task<SlackResult<SlackWebAPI::AuthTestResponse>> SlackWebAPI::authTest(
    QString botToken, CancellationToken cancel) const
{
    return send<AuthTestResponse>(u"auth.test"_s, std::move(botToken), "POST", std::move(cancel));
}

QCoro::Task<SlackResult<QUrl>> SlackWebAPI::connectionsOpen(
    QString appToken, CancellationToken cancel) const
{
    const auto response = co_await send<ConnectionsOpenResponse>(
        u"apps.connections.open"_s, std::move(appToken), "POST", std::move(cancel));
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
    const auto response = co_await send<UsersConversationsResponse>(
        u"users.conversations?types=public_channel,private_channel&limit=1000"_s,
        std::move(botToken), "GET", std::move(cancel));
    if (!response)
        co_return std::unexpected(response.error());
    if (!response->ok)
        co_return std::unexpected(SlackError::httpError(0, response->error));
    co_return response->channels.value_or(QList<Channel> {});
}

QCoro::Task<SlackResult<std::optional<SlackWebAPI::Channel>>> SlackWebAPI::conversationsInfo(
    QString botToken, QString channelId, CancellationToken cancel) const
{
    const auto response = co_await send<ConversationsInfoResponse>(
        u"conversations.info?channel="_s + encodeQueryValue(channelId), std::move(botToken), "GET",
        std::move(cancel));
    if (!response)
        co_return std::unexpected(response.error());
    co_return response->ok ? response->channel : std::nullopt;
}

QCoro::Task<SlackResult<std::optional<SlackWebAPI::SlackUser>>> SlackWebAPI::usersInfo(
    QString botToken, QString userId, CancellationToken cancel) const
{
    const auto response
        = co_await send<UsersInfoResponse>(u"users.info?user="_s + encodeQueryValue(userId),
            std::move(botToken), "GET", std::move(cancel));
    if (!response)
        co_return std::unexpected(response.error());
    co_return response->ok ? response->user : std::nullopt;
}

QCoro::Task<SlackResult<std::optional<SlackWebAPI::BotsInfoResponse::Bot>>> SlackWebAPI::botsInfo(
    QString botToken, QString botId, CancellationToken cancel) const
{
    const auto response
        = co_await send<BotsInfoResponse>(u"bots.info?bot="_s + encodeQueryValue(botId),
            std::move(botToken), "GET", std::move(cancel));
    if (!response)
        co_return std::unexpected(response.error());
    co_return response->ok ? response->bot : std::nullopt;
}

QCoro::Task<SlackResult<SlackWebAPI::ConversationsHistoryResponse>>
SlackWebAPI::conversationsHistory(QString botToken, QString channelId, QString oldest,
    std::optional<QString> cursor, CancellationToken cancel) const
{
    QString pathAndQuery = u"conversations.history?channel="_s + encodeQueryValue(channelId)
        + u"&limit=" + QString::number(kHistoryPageLimit) + u"&oldest=" + encodeQueryValue(oldest);
    if (cursor)
        pathAndQuery += u"&cursor="_s + encodeQueryValue(*cursor);
    auto response = co_await send<ConversationsHistoryResponse>(
        std::move(pathAndQuery), std::move(botToken), "GET", std::move(cancel));
    if (response && !response->ok)
        co_return std::unexpected(SlackError::httpError(0, response->error));
    co_return response;
}

QCoro::Task<SlackResult<SlackWebAPI::ReactionsGetResponse>> SlackWebAPI::reactionsGet(
    QString botToken, QString channelId, QString ts, CancellationToken cancel) const
{
    auto response = co_await send<ReactionsGetResponse>(u"reactions.get?channel="_s
            + encodeQueryValue(channelId) + u"&timestamp=" + encodeQueryValue(ts) + u"&full=true",
        std::move(botToken), "GET", std::move(cancel));
    if (response && !response->ok)
        co_return std::unexpected(SlackError::httpError(0, response->error));
    co_return response;
}

QCoro::Task<SlackResult<void>> SlackWebAPI::reactionsAdd(
    QString botToken, QString channelId, QString emoji, QString ts, CancellationToken cancel) const
{
    const auto response = co_await send<ReactionsAddResponse>(u"reactions.add?channel="_s
            + encodeQueryValue(channelId) + u"&name=" + encodeQueryValue(emoji) + u"&timestamp="
            + encodeQueryValue(ts),
        std::move(botToken), "POST", std::move(cancel));
    if (!response)
        co_return std::unexpected(response.error());
    if (!response->ok && response->error != u"already_reacted")
        co_return std::unexpected(SlackError::httpError(0, response->error));
    co_return {};
}

} // namespace halyard

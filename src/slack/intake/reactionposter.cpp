#include "slack/intake/reactionposter.h"

#include "common/logging.h"
#include "common/servertext.h"
#include "slack/webapi/slackwebapi.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

ReactionPoster::ReactionPoster(const SlackWebAPI* webApi, TokenSource tokens,
    ReactionOutbox* outbox, ReactionPosterTimings timings, QObject* parent)
    : QObject(parent)
    , m_webApi(webApi)
    , m_tokens(std::move(tokens))
    , m_outbox(outbox)
    , m_timings(timings)
{
    if (m_outbox)
        m_pending = m_outbox->load();
    if (!m_pending.isEmpty()) {
        qCInfo(lcAlerts, "Sending %lld reaction(s) left from the last run",
            static_cast<long long>(m_pending.size()));
        start();
    }
}

ReactionPoster::~ReactionPoster()
{
    m_lifetime.cancel();
    m_retryWait.cancel();
    if (!m_pending.isEmpty()) {
        qCInfo(lcAlerts, "%lld reaction(s) not yet sent; they will be sent at the next start",
            static_cast<long long>(m_pending.size()));
    }
    if (m_outbox)
        m_outbox->flush();
}

bool ReactionPoster::isFinal(const SlackError& error)
{
    static const QStringList kFinal { u"message_not_found"_s, u"channel_not_found"_s,
        u"not_in_channel"_s, u"invalid_auth"_s, u"not_authed"_s, u"account_inactive"_s,
        u"token_revoked"_s, u"is_archived"_s, u"invalid_name"_s, u"too_many_reactions"_s,
        u"too_many_emoji"_s, u"thread_locked"_s, u"no_item_specified"_s };
    return error.kind() == SlackError::Kind::httpError && error.httpStatus() == 0 && error.body()
        && kFinal.contains(*error.body());
}

void ReactionPoster::enqueueReaction(Item item)
{
    if (m_pending.contains(item))
        return;
    m_pending.append(std::move(item));
    changed();
    start();
}

void ReactionPoster::retryNow()
{
    m_retryWait.cancel();
}

void ReactionPoster::changed()
{
    if (m_outbox)
        m_outbox->saveInBackground(m_pending);
}

void ReactionPoster::start()
{
    if (m_isProcessing)
        return;
    m_isProcessing = true;
    // Started from the event loop, so acknowledgements made together are queued together and
    // the caller is never re-entered.
    QMetaObject::invokeMethod(
        this, [this] { processQueue(QPointer(this), m_lifetime.token()); }, Qt::QueuedConnection);
}

QCoro::Task<> ReactionPoster::processQueue(QPointer<ReactionPoster> self, CancellationToken cancel)
{
    auto delay = self->m_timings.firstRetry;
    while (self && !cancel.isCancelled()) {
        if (self->m_pending.isEmpty()) {
            self->m_isProcessing = false;
            co_return;
        }
        // A reconnect while this post is out ends the back-off that may follow it.
        if (self->m_retryWait.isCancelled())
            self->m_retryWait = CancellationSource();
        const Item item = self->m_pending.first();
        const std::optional<QString> token = self->m_tokens ? self->m_tokens() : std::nullopt;
        std::optional<SlackError> failure;
        if (token) {
            const auto result = co_await self->m_webApi->reactionsAdd(
                *token, item.channel, item.emoji, item.ts, cancel);
            if (!self || cancel.isCancelled())
                co_return;
            if (!result)
                failure = result.error();
        }
        // The list may have changed while the post was out; the item is found again by value.
        const qsizetype at = self->m_pending.indexOf(item);
        if (!token) {
            qCInfo(lcAlerts, "No Slack tokens; %lld reaction(s) wait",
                static_cast<long long>(self->m_pending.size()));
        } else if (!failure || isFinal(*failure)) {
            if (at >= 0)
                self->m_pending.removeAt(at);
            self->changed();
            if (!failure) {
                qCInfo(lcAlerts, "Reaction posted: channel=%s ts=%s emoji=%s [queueRemaining=%lld]",
                    qUtf8Printable(logCut(item.channel)), qUtf8Printable(logCut(item.ts)),
                    qUtf8Printable(logCut(item.emoji)),
                    static_cast<long long>(self->m_pending.size()));
            } else {
                qCCritical(lcAlerts,
                    "reactions.add failed: %s (channel=%s ts=%s emoji=%s) — possible causes: "
                    "missing reactions:write scope; bot not a member of the channel; source "
                    "message deleted or unreachable",
                    qUtf8Printable(failure->description()), qUtf8Printable(logCut(item.channel)),
                    qUtf8Printable(logCut(item.ts)), qUtf8Printable(logCut(item.emoji)));
            }
            delay = self->m_timings.firstRetry;
            continue;
        } else {
            qCWarning(lcAlerts,
                "reactions.add failed: %s (channel=%s ts=%s); trying again in %.1fs",
                qUtf8Printable(failure->description()), qUtf8Printable(logCut(item.channel)),
                qUtf8Printable(logCut(item.ts)), double(delay.count()) / 1000.0);
            // Behind the others, so one that keeps failing holds none of them up.
            if (at >= 0)
                self->m_pending.move(at, self->m_pending.size() - 1);
        }
        const bool slept = co_await sleepFor(delay, self->m_retryWait.token());
        if (!self || cancel.isCancelled())
            co_return;
        delay = slept ? std::min(delay * 2, self->m_timings.longestRetry)
                      : self->m_timings.firstRetry;
    }
}

} // namespace halyard

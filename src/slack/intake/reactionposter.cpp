#include "slack/intake/reactionposter.h"

#include "common/logging.h"
#include "common/servertext.h"
#include "slack/webapi/slackwebapi.h"

namespace halyard {

ReactionPoster::ReactionPoster(
    const SlackWebAPI* webApi, std::chrono::milliseconds minInterval, QObject* parent)
    : QObject(parent)
    , m_webApi(webApi)
    , m_minInterval(minInterval)
{
}

ReactionPoster::~ReactionPoster()
{
    m_lifetime.cancel();
}

void ReactionPoster::enqueueReaction(Item item)
{
    m_pending.append(std::move(item));
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
    using namespace std::chrono;
    while (self && !cancel.isCancelled()) {
        if (self->m_pending.isEmpty()) {
            self->m_isProcessing = false;
            co_return;
        }
        const Item item = self->m_pending.takeFirst();
        const auto remaining = static_cast<long long>(self->m_pending.size());

        // Timers may fire a little early, so the spacing is measured again after every sleep.
        while (self->m_lastPostStart.isValid()) {
            const auto wait
                = self->m_minInterval - nanoseconds(self->m_lastPostStart.nsecsElapsed());
            if (wait <= nanoseconds::zero())
                break;
            const bool slept = co_await sleepFor(ceil<milliseconds>(wait), cancel);
            if (!slept || !self)
                co_return;
        }

        self->m_lastPostStart.start();
        const auto result = co_await self->m_webApi->reactionsAdd(
            item.botToken, item.channel, item.emoji, item.ts, cancel);
        if (!self || cancel.isCancelled())
            co_return;
        if (result) {
            qCInfo(lcAlerts, "Reaction posted: channel=%s ts=%s emoji=%s [queueRemaining=%lld]",
                qUtf8Printable(logCut(item.channel)), qUtf8Printable(logCut(item.ts)),
                qUtf8Printable(logCut(item.emoji)), remaining);
        } else {
            qCCritical(lcAlerts,
                "reactions.add failed: %s (channel=%s ts=%s emoji=%s) — possible causes: missing "
                "reactions:write scope; bot not a member of the channel; source message deleted "
                "or unreachable",
                qUtf8Printable(result.error().description()), qUtf8Printable(logCut(item.channel)),
                qUtf8Printable(logCut(item.ts)), qUtf8Printable(logCut(item.emoji)));
        }
    }
}

} // namespace halyard

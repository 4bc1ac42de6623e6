#pragma once

#include "common/cancellation.h"
#include "queue/reactionoutbox.h"

#include <QCoroTask>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

namespace halyard {

class SlackError;
class SlackWebAPI;

struct ReactionPosterTimings {
    // After a failure the poster waits this long before the next try, doubling up to
    // longestRetry; a reconnect (retryNow) ends the wait at once.
    std::chrono::milliseconds firstRetry { 2000 };
    std::chrono::milliseconds longestRetry { 60'000 };
};

// Adds ack-back reactions in Slack, one at a time, in the order asked for; the Web API client's
// pipe paces them to the method's rate limit. Pending reactions are kept in the outbox file, so
// a stop, a crash or an outage delays them but never loses them. A reaction is given up only
// when Slack says it can never succeed (the message, the channel or the token is gone); any
// other failure is tried again after a back-off, the failed reaction moved behind the others so
// it holds none of them up. "already_reacted" counts as sent. Main thread only.
class ReactionPoster : public QObject {
    Q_OBJECT
public:
    using Item = PendingReaction;
    // The bot token to send with, absent while there is none.
    using TokenSource = std::function<std::optional<QString>()>;

    // The client and the outbox (optional: without one, reactions live in memory) must outlive
    // the poster. What the outbox holds from an earlier run is sent from the event loop.
    ReactionPoster(const SlackWebAPI* webApi, TokenSource tokens, ReactionOutbox* outbox = nullptr,
        ReactionPosterTimings timings = {}, QObject* parent = nullptr);
    // Aborts the post in flight and writes what is pending to the outbox for the next start.
    ~ReactionPoster() override;

    // Queues the post (once: the same reaction asked for twice is sent once) and returns at
    // once.
    void enqueueReaction(Item item);
    // The connection is back: a post waiting out a back-off goes now.
    void retryNow();

    // Slack's answers that say a reaction can never be added.
    static bool isFinal(const SlackError& error);

private:
    void start();
    void changed();
    static QCoro::Task<> processQueue(QPointer<ReactionPoster> self, CancellationToken cancel);

    const SlackWebAPI* m_webApi;
    TokenSource m_tokens;
    ReactionOutbox* m_outbox;
    ReactionPosterTimings m_timings;
    QList<Item> m_pending;
    bool m_isProcessing = false;
    CancellationSource m_retryWait;
    CancellationSource m_lifetime;
};

} // namespace halyard

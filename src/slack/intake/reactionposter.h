#pragma once

#include "common/cancellation.h"

#include <QCoroTask>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>

namespace halyard {

class SlackWebAPI;

// Adds ack-back reactions in Slack one at a time, in the order asked for. Two posts start at
// least minInterval apart (measured between their starts, so a slow answer does not add to
// the gap) and at most one reactions.add is in flight, whatever the rate of acknowledgements,
// which keeps the program inside Slack's rate limit for the method. A failed post is logged
// and dropped. Pending posts live in memory only. Main thread only.
class ReactionPoster : public QObject {
    Q_OBJECT
public:
    struct Item {
        QString botToken;
        QString channel; // channel ID of the source message
        QString ts; // the source message's ts
        QString emoji; // reaction name, as configured

        friend bool operator==(const Item&, const Item&) = default;
    };

    // The client must outlive the poster.
    explicit ReactionPoster(const SlackWebAPI* webApi,
        std::chrono::milliseconds minInterval = std::chrono::milliseconds(1500),
        QObject* parent = nullptr);
    // Drops the pending posts and aborts the one in flight.
    ~ReactionPoster() override;

    // Queues the post and returns at once; the first post after a quiet spell goes out without
    // waiting.
    void enqueueReaction(Item item);

    bool isProcessing() const { return m_isProcessing; }

private:
    static QCoro::Task<> processQueue(QPointer<ReactionPoster> self, CancellationToken cancel);

    const SlackWebAPI* m_webApi;
    std::chrono::milliseconds m_minInterval;
    QList<Item> m_pending;
    bool m_isProcessing = false;
    // Invalid until the first post: the previous post started in the distant past.
    QElapsedTimer m_lastPostStart;
    CancellationSource m_lifetime;
};

} // namespace halyard

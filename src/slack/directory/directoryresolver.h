#pragma once

#include "common/cancellation.h"
#include "slack/webapi/slackerror.h"

#include <QCoroTask>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <chrono>
#include <optional>

namespace halyard {

class SlackDirectory;
class SlackWebAPI;

// How long the resolver leaves an ID alone after Slack could not name it.
struct DirectoryTimings {
    // Slack said there is no such user, bot or channel (or it has no name).
    std::chrono::milliseconds notFoundFor { std::chrono::minutes(10) };
    // A failed look-up tries again after this, doubling each time.
    std::chrono::milliseconds firstRetry { std::chrono::seconds(30) };
    // Tries per look-up; after the last failure the ID rests for the longest back-off.
    int maxAttempts = 4;
};

// Fills a SlackDirectory from Slack: the channel list at each connect, then one look-up for
// each channel, user or bot that an alert mentions and that has no name yet. However many
// messages mention an ID, one look-up runs for it: later ones join it, a name found is kept,
// "not found" is remembered for a while, and a failure is retried with back-off by the look-up
// itself rather than by the next message. The look-ups wait in the Web API client's pipe behind
// everything more urgent. Destroying the resolver cancels its requests; look-ups in flight then
// end without touching anything. Main thread only.
class DirectoryResolver : public QObject {
    Q_OBJECT
public:
    // The Web API client is used only to start calls, so it has to outlive the resolver's
    // calls to the operations below, not the requests they start.
    DirectoryResolver(SlackDirectory* directory, const SlackWebAPI* webAPI,
        DirectoryTimings timings = {}, QObject* parent = nullptr);
    ~DirectoryResolver() override;

    // Names every channel that users.conversations lists (its first page), replacing older
    // names. Any error ends it silently and keeps the names already known.
    QCoro::Task<> refreshChannelNames(QString botToken);

    // A name that a message carries for its poster; it replaces any older one. Absent or empty
    // values are ignored.
    void noteDisplayName(
        const std::optional<QString>& userId, const std::optional<QString>& displayUsername);

    // Start a look-up in a task of its own and return at once. Nothing happens when the name is
    // known already, a look-up for the ID is running, or the ID rests after a miss. IDs
    // starting with "B" are bots.
    void resolveChannelName(QString channelId, QString botToken);
    void resolveUserName(QString userId, QString botToken);

    // IDs whose look-up is running (retries included).
    const QSet<QString>& inflightChannelLookups() const { return m_channels.inflight; }
    const QSet<QString>& inflightUserLookups() const { return m_users.inflight; }

private:
    enum class Kind { channel, user };
    struct Lookups {
        QSet<QString> inflight;
        // ID to the clock reading (ms) before which it is not looked up again.
        QHash<QString, qint64> restingUntil;
    };

    Lookups& lookups(Kind kind) { return kind == Kind::channel ? m_channels : m_users; }
    void resolve(Kind kind, QString id, QString botToken);
    // The name Slack gives, absent when it has none for the ID.
    static QCoro::Task<SlackResult<std::optional<QString>>> fetchName(const SlackWebAPI* webAPI,
        Kind kind, QString id, QString botToken, CancellationToken cancel);
    static QCoro::Task<> runRefresh(QPointer<DirectoryResolver> self, QString botToken);
    static QCoro::Task<> runLookup(
        QPointer<DirectoryResolver> self, Kind kind, QString id, QString botToken);

    QPointer<SlackDirectory> m_directory;
    const SlackWebAPI* m_webAPI;
    DirectoryTimings m_timings;
    CancellationSource m_cancellation;
    QElapsedTimer m_clock;
    Lookups m_channels;
    Lookups m_users;
};

} // namespace halyard

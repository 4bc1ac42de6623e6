#pragma once

#include "common/cancellation.h"
#include "queue/alert.h"
#include "queue/alertstore.h"
#include "settings/slacktokens.h"
#include "slack/socket/socketmodeclient.h"

#include <QCoroTask>
#include <QMap>
#include <QObject>
#include <QPointer>

#include <chrono>
#include <memory>
#include <optional>

namespace halyard {

class AlertStore;
class BannerPoster;
class DirectoryResolver;
class MessageIntake;
class ReactionOutbox;
class ReactionPoster;
class SettingsStore;
class SlackDirectory;
class SlackWebAPI;
class SystemEvents;

// The waits and limits of the connection lifecycle, with their real values as defaults.
struct SlackServiceTimings {
    std::chrono::milliseconds reconnectDelay { 2000 };
    std::chrono::milliseconds warningReconnectDelay { 100 };
    std::chrono::milliseconds givenUpRetryDelay { 600'000 };
    int failureLimit = 5;
    std::chrono::milliseconds heartbeatInterval { 30'000 };
    std::chrono::milliseconds heartbeatPongTimeout { 10'000 };
};

// Owns the connection to one Slack workspace: connects (auth.test, channel names, Socket Mode
// URL, socket), reads the socket's events one at a time, reconnects after failures, gives up
// after a run of them and comes back on a timer, on network recovery and on wake. Main thread
// only; every task it starts holds it weakly.
class SlackService : public QObject {
    Q_OBJECT
public:
    SlackService(AlertStore* alertStore, SettingsStore* settingsStore, SlackDirectory* directory,
        BannerPoster* banners, SystemEvents* systemEvents, SlackWebAPI* webApi,
        SlackServiceTimings timings = {}, ReactionOutbox* outbox = nullptr,
        QObject* parent = nullptr);
    ~SlackService() override;

    // Connects or reconnects from any state. A newer call supersedes an older one that is still
    // waiting on the network: the older one then ends without touching anything.
    QCoro::Task<> connect();
    // Drops the connection and every pending reconnect; the failure count stays.
    void disconnect();

    // The user's Ack: removes the alert, then (with ack-back on) queues the reaction, which the
    // outbox keeps until Slack has it. `cause` says where the user acknowledged it.
    void acknowledge(const Alert& alert, AckCause cause);

private:
    // Handles what the client still buffers (Slack has acknowledged it), then stops it.
    void stopSocketClient();
    void endConnectionRuns();
    // Failures back to 0, no periodic retry pending.
    void resetRetryState();
    void connectionEstablished();
    static QCoro::Task<> refreshChannelNames(QPointer<SlackService> self, QString botToken);
    void setState(const class ConnectionState& state);
    void connectFailed(Problem problem);
    void handleFailure(Problem problem);
    void scheduleReconnect(std::chrono::milliseconds delay);
    void startPeriodicRetry();
    void periodicRetryFired();
    void handleEvent(const SocketModeClient::Event& event, const SlackTokens& tokens);
    void handlePathUpdate(bool satisfied);
    void systemDidWake();

    static QCoro::Task<> runReconnect(
        QPointer<SlackService> self, std::chrono::milliseconds delay, CancellationToken token);
    static QCoro::Task<> runPeriodicRetry(
        QPointer<SlackService> self, std::chrono::milliseconds delay, CancellationToken token);
    static QCoro::Task<> runEventLoop(QPointer<SlackService> self,
        QPointer<SocketModeClient> client, SlackTokens tokens, CancellationToken token);
    static QCoro::Task<> startConnect(QPointer<SlackService> self);

    AlertStore* m_alertStore;
    SettingsStore* m_settingsStore;
    SlackDirectory* m_directory;
    SlackWebAPI* m_webApi;
    SlackServiceTimings m_timings;
    std::unique_ptr<DirectoryResolver> m_resolver;
    std::unique_ptr<ReactionPoster> m_reactionPoster;
    std::unique_ptr<MessageIntake> m_intake;

    QPointer<SocketModeClient> m_socketClient;
    std::optional<CancellationSource> m_eventLoopTask;
    std::optional<CancellationSource> m_reconnectTask;
    std::optional<CancellationSource> m_periodicRetryTask;
    // Cancels the network calls of the connect() in progress when a newer one starts.
    std::optional<CancellationSource> m_connectTask;
    // Ends the backfill and reconciliation of the current connection: a newer connect(),
    // disconnect() and the end of the service stop them, so at most one of each runs.
    std::optional<CancellationSource> m_connectionRuns;
    // Taken at connect, before the socket starts; the backfill reads from them once the
    // connection says hello.
    std::optional<QMap<QString, QString>> m_backfillPoints;
    std::optional<SlackTokens> m_connectionTokens;
    // Ends lookups when the service goes away.
    CancellationSource m_lifetime;
    quint64 m_connectGeneration = 0;
    qint64 m_consecutiveFailures = 0;
    bool m_lastNetworkSatisfied = true;
    bool m_refreshingChannelNames = false;
};

} // namespace halyard

#include "slack/slackservice.h"

#include "common/logging.h"
#include "common/servertext.h"
#include "queue/alertstore.h"
#include "settings/connectionstate.h"
#include "settings/settingsstore.h"
#include "slack/directory/directoryresolver.h"
#include "slack/directory/slackdirectory.h"
#include "slack/intake/messageintake.h"
#include "slack/intake/reactionposter.h"
#include "slack/systemevents.h"
#include "slack/webapi/slackwebapi.h"

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {
long long asLong(qint64 value)
{
    return static_cast<long long>(value);
}

// Stops the task held in `task`, if any, and forgets it.
void cancelTask(std::optional<CancellationSource>& task)
{
    if (task) {
        task->cancel();
        task.reset();
    }
}
} // namespace

SlackService::SlackService(AlertStore* alertStore, SettingsStore* settingsStore,
    SlackDirectory* directory, BannerPoster* banners, SystemEvents* systemEvents,
    SlackWebAPI* webApi, SlackServiceTimings timings, ReactionOutbox* outbox, QObject* parent)
    : QObject(parent)
    , m_alertStore(alertStore)
    , m_settingsStore(settingsStore)
    , m_directory(directory)
    , m_webApi(webApi)
    , m_timings(timings)
    , m_resolver(std::make_unique<DirectoryResolver>(directory, webApi))
    , m_reactionPoster(std::make_unique<ReactionPoster>(
          webApi,
          [settingsStore]() -> std::optional<QString> {
              const auto tokens = settingsStore->cachedTokens();
              return tokens ? std::optional(tokens->botToken) : std::nullopt;
          },
          outbox))
    , m_intake(std::make_unique<MessageIntake>(
          alertStore, settingsStore, directory, m_resolver.get(), banners, webApi))
{
    if (systemEvents) {
        QObject::connect(systemEvents, &SystemEvents::networkStatusChanged, this,
            &SlackService::handlePathUpdate);
        QObject::connect(systemEvents, &SystemEvents::didWake, this, &SlackService::systemDidWake);
        systemEvents->start();
    }
}

SlackService::~SlackService()
{
    m_lifetime.cancel();
    for (auto* task : { &m_eventLoopTask, &m_reconnectTask, &m_periodicRetryTask, &m_connectTask,
             &m_connectionRuns }) {
        if (*task)
            (*task)->cancel();
    }
    if (m_socketClient) {
        m_socketClient->stop();
        delete m_socketClient;
    }
}

void SlackService::setState(const ConnectionState& state)
{
    if (m_settingsStore->connectionState() != state)
        m_settingsStore->setConnectionState(state);
}

void SlackService::stopSocketClient()
{
    if (!m_socketClient)
        return;
    // Slack has had the acknowledgement of every buffered event and will not send them again.
    while (auto event = m_socketClient->events().tryTake()) {
        if (m_connectionTokens
            && (std::holds_alternative<MessageEvent>(*event)
                || std::holds_alternative<ReactionEvent>(*event)))
            handleEvent(*event, *m_connectionTokens);
    }
    m_socketClient->stop();
    // Later, not now: this may run while the client's own signal is being delivered.
    m_socketClient->deleteLater();
    m_socketClient = nullptr;
}

QCoro::Task<> SlackService::connect()
{
    QPointer<SlackService> self(this);
    stopSocketClient();
    cancelTask(m_eventLoopTask);
    endConnectionRuns();
    // Supersede a connect that is still waiting on the network.
    cancelTask(m_connectTask);
    m_connectTask.emplace();
    const CancellationToken cancel = m_connectTask->token();
    const quint64 generation = ++m_connectGeneration;
    auto superseded
        = [&] { return !self || cancel.isCancelled() || self->m_connectGeneration != generation; };

    const std::optional<SlackTokens> cached = m_settingsStore->cachedTokens();
    if (!cached) {
        qCInfo(lcSlack, "No tokens stored; staying disconnected");
        setState(ConnectionState::disconnected());
        co_return;
    }
    const SlackTokens tokens = *cached;
    qCInfo(lcSlack, "Connecting (consecutive prior failures: %lld)", asLong(m_consecutiveFailures));
    setState(ConnectionState::connecting());

    const auto auth = co_await m_webApi->authTest(tokens.botToken, cancel);
    if (superseded())
        co_return;
    if (!auth) {
        connectFailed(auth.error().problem());
        co_return;
    }
    if (!auth->ok) {
        const QString code = excerpt(auth->error.value_or(u"auth.test returned ok=false"_s));
        connectFailed(Problem::of(Problem::Kind::slackRefused, code, 0, code));
        co_return;
    }
    qCInfo(lcSlack, "Authenticated as @%s in team %s (%s)",
        qUtf8Printable(logCut(auth->user.value_or(u"?"_s))),
        qUtf8Printable(logCut(auth->team.value_or(u"?"_s))),
        qUtf8Printable(logCut(auth->team_id.value_or(u"?"_s))));
    m_settingsStore->setTeamName(auth->team);
    m_settingsStore->setTeamId(auth->team_id);
    m_settingsStore->setWorkspaceUrl(
        auth->url ? std::optional(QUrl(*auth->url, QUrl::StrictMode)) : std::nullopt);
    m_settingsStore->setBotUserName(auth->user);

    // Names are only for display and the list can be slow for members of many channels, so it
    // never holds the connection back; rows show channel IDs until it arrives.
    refreshChannelNames(self, tokens.botToken);

    const auto socketUrl = co_await m_webApi->connectionsOpen(tokens.appToken, cancel);
    if (superseded())
        co_return;
    if (!socketUrl) {
        connectFailed(socketUrl.error().problem());
        co_return;
    }

    // Before the socket can deliver anything: a live message must not move a channel past what
    // it missed while offline.
    m_backfillPoints = m_alertStore->beginBackfill();
    m_connectionTokens = tokens;
    m_socketClient = new SocketModeClient(
        *socketUrl, m_timings.heartbeatInterval, m_timings.heartbeatPongTimeout, this);
    m_socketClient->start();

    m_eventLoopTask.emplace();
    runEventLoop(self, m_socketClient, tokens, m_eventLoopTask->token());
}

void SlackService::disconnect()
{
    stopSocketClient();
    for (auto* task : { &m_reconnectTask, &m_eventLoopTask, &m_periodicRetryTask, &m_connectTask })
        cancelTask(*task);
    endConnectionRuns();
    setState(ConnectionState::disconnected());
}

void SlackService::endConnectionRuns()
{
    cancelTask(m_connectionRuns);
    m_backfillPoints.reset();
}

void SlackService::resetRetryState()
{
    m_consecutiveFailures = 0;
    cancelTask(m_periodicRetryTask);
}

void SlackService::connectionEstablished()
{
    // Only a socket that said hello is a working connection: one that never opens (a proxy
    // that refuses the upgrade) keeps counting towards giving up.
    resetRetryState();
    m_reactionPoster->retryNow();
    if (!m_backfillPoints || !m_connectionTokens)
        return;
    const QMap<QString, QString> points = *std::exchange(m_backfillPoints, std::nullopt);
    endConnectionRuns();
    m_connectionRuns.emplace();
    m_intake->backfill(*m_connectionTokens, points, m_connectionRuns->token());
    m_intake->reconcileReactions(*m_connectionTokens, m_connectionRuns->token());
}

QCoro::Task<> SlackService::refreshChannelNames(QPointer<SlackService> self, QString botToken)
{
    if (!self || self->m_refreshingChannelNames)
        co_return;
    self->m_refreshingChannelNames = true;
    co_await self->m_resolver->refreshChannelNames(std::move(botToken));
    if (self)
        self->m_refreshingChannelNames = false;
}

void SlackService::connectFailed(Problem problem)
{
    qCCritical(lcSlack, "Connect failed (%lld): %s", asLong(m_consecutiveFailures + 1),
        qUtf8Printable(logCut(problem.detail)));
    handleFailure(std::move(problem));
}

void SlackService::handleFailure(Problem problem)
{
    setState(ConnectionState::error(std::move(problem)));
    ++m_consecutiveFailures;
    if (m_consecutiveFailures < m_timings.failureLimit) {
        scheduleReconnect(m_timings.reconnectDelay);
        return;
    }
    qCCritical(lcSlack,
        "Giving up reconnect after %lld failures — will retry every 10 min, or sooner if network "
        "reachability changes",
        asLong(m_consecutiveFailures));
    startPeriodicRetry();
}

void SlackService::scheduleReconnect(std::chrono::milliseconds delay)
{
    cancelTask(m_reconnectTask);
    m_reconnectTask.emplace();
    runReconnect(QPointer(this), delay, m_reconnectTask->token());
}

QCoro::Task<> SlackService::runReconnect(
    QPointer<SlackService> self, std::chrono::milliseconds delay, CancellationToken token)
{
    co_await sleepFor(delay, token);
    if (token.isCancelled() || !self)
        co_return;
    // Not cancelled, so no newer reconnect replaced this one: it is no longer pending.
    self->m_reconnectTask.reset();
    co_await self->connect();
}

void SlackService::startPeriodicRetry()
{
    cancelTask(m_periodicRetryTask);
    m_periodicRetryTask.emplace();
    runPeriodicRetry(QPointer(this), m_timings.givenUpRetryDelay, m_periodicRetryTask->token());
}

QCoro::Task<> SlackService::runPeriodicRetry(
    QPointer<SlackService> self, std::chrono::milliseconds delay, CancellationToken token)
{
    co_await sleepFor(delay, token);
    if (token.isCancelled() || !self)
        co_return;
    self->periodicRetryFired();
}

void SlackService::periodicRetryFired()
{
    qCInfo(lcSlack, "Periodic retry from given-up state — resetting failures and reconnecting");
    resetRetryState();
    startConnect(QPointer(this));
}

QCoro::Task<> SlackService::startConnect(QPointer<SlackService> self)
{
    if (self)
        co_await self->connect();
}

QCoro::Task<> SlackService::runEventLoop(QPointer<SlackService> self,
    QPointer<SocketModeClient> client, SlackTokens tokens, CancellationToken token)
{
    while (self && client && !token.isCancelled()) {
        auto event = co_await client->events().next();
        if (!event || !self || token.isCancelled())
            co_return;
        self->handleEvent(*event, tokens);
    }
}

void SlackService::handleEvent(const SocketModeClient::Event& event, const SlackTokens& tokens)
{
    if (const auto* message = std::get_if<MessageEvent>(&event)) {
        m_intake->handleLiveMessage(*message, tokens);
    } else if (const auto* reaction = std::get_if<ReactionEvent>(&event)) {
        m_intake->handleReaction(*reaction);
    } else if (std::holds_alternative<SocketModeClient::HelloReceived>(event)) {
        qCInfo(lcSlack, "Connection established");
        setState(ConnectionState::connected());
        connectionEstablished();
    } else if (const auto* disconnect = std::get_if<SocketModeClient::Disconnect>(&event)) {
        qCInfo(lcSlack, "Disconnected (reason: %s) — reconnecting",
            qUtf8Printable(logCut(disconnect->reason.value_or(u"<nil>"_s))));
        setState(ConnectionState::disconnected());
        scheduleReconnect(disconnect->reason == u"warning"_s ? m_timings.warningReconnectDelay
                                                             : m_timings.reconnectDelay);
    } else if (const auto* error = std::get_if<SocketModeClient::SocketError>(&event)) {
        qCCritical(
            lcSlack, "Socket error → reconnect: %s", qUtf8Printable(logCut(error->description)));
        handleFailure(error->problem);
    }
}

void SlackService::handlePathUpdate(bool satisfied)
{
    const bool wasSatisfied = m_lastNetworkSatisfied;
    m_lastNetworkSatisfied = satisfied;
    if (wasSatisfied || !satisfied || !m_settingsStore->cachedTokens())
        return;
    qCInfo(lcSlack, "Network recovered (NWPathMonitor) — resetting retry state and reconnecting");
    resetRetryState();
    startConnect(QPointer(this));
}

void SlackService::systemDidWake()
{
    if (!m_settingsStore->cachedTokens())
        return;
    qCInfo(lcSlack, "System woke from sleep — forcing Socket Mode reconnect");
    disconnect();
    startConnect(QPointer(this));
}

void SlackService::acknowledge(const Alert& alert, AckCause cause)
{
    m_alertStore->acknowledge(alert, cause);
    if (!m_settingsStore->ackBackEnabled())
        return;
    if (m_settingsStore->ackBackEmoji().isEmpty()) {
        qCWarning(lcAlerts, "Ack-back is on but no emoji is set — skipping reaction");
        return;
    }
    m_reactionPoster->enqueueReaction(
        ReactionPoster::Item { alert.channelId, alert.ts, m_settingsStore->ackBackEmoji() });
}

} // namespace halyard

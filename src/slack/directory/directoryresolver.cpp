#include "slack/directory/directoryresolver.h"

#include "slack/directory/slackdirectory.h"
#include "slack/webapi/slackwebapi.h"

#include <algorithm>

namespace halyard {

namespace {

// The resting times kept at most; the oldest go first, so a flood of unknown IDs costs memory
// in proportion to this, not to the flood.
constexpr qsizetype kMaxResting = 4096;

} // namespace

DirectoryResolver::DirectoryResolver(
    SlackDirectory* directory, const SlackWebAPI* webAPI, DirectoryTimings timings, QObject* parent)
    : QObject(parent)
    , m_directory(directory)
    , m_webAPI(webAPI)
    , m_timings(timings)
{
    m_timings.maxAttempts = std::max(1, m_timings.maxAttempts);
    m_clock.start();
}

DirectoryResolver::~DirectoryResolver()
{
    // Aborts the requests in flight; their tasks resume, find the resolver gone and end.
    m_cancellation.cancel();
}

QCoro::Task<> DirectoryResolver::refreshChannelNames(QString botToken)
{
    return runRefresh(QPointer(this), std::move(botToken));
}

void DirectoryResolver::noteDisplayName(
    const std::optional<QString>& userId, const std::optional<QString>& displayUsername)
{
    if (!m_directory || !userId || userId->isEmpty() || !displayUsername
        || displayUsername->isEmpty())
        return;
    m_directory->setUserName(*userId, *displayUsername);
}

void DirectoryResolver::resolveChannelName(QString channelId, QString botToken)
{
    resolve(Kind::channel, std::move(channelId), std::move(botToken));
}

void DirectoryResolver::resolveUserName(QString userId, QString botToken)
{
    resolve(Kind::user, std::move(userId), std::move(botToken));
}

void DirectoryResolver::resolve(Kind kind, QString id, QString botToken)
{
    if (!m_directory || !m_webAPI || id.isEmpty())
        return;
    const bool known
        = kind == Kind::channel ? m_directory->hasChannel(id) : m_directory->hasUser(id);
    Lookups& state = lookups(kind);
    if (known || state.inflight.contains(id))
        return;
    if (const auto resting = state.restingUntil.constFind(id);
        resting != state.restingUntil.constEnd()) {
        if (*resting > m_clock.elapsed())
            return;
        state.restingUntil.erase(resting);
    }
    state.inflight.insert(id);
    runLookup(QPointer(this), kind, std::move(id), std::move(botToken));
}

QCoro::Task<SlackResult<std::optional<QString>>> DirectoryResolver::fetchName(
    const SlackWebAPI* webAPI, Kind kind, QString id, QString botToken, CancellationToken cancel)
{
    std::optional<QString> name;
    if (kind == Kind::channel) {
        const auto channel = co_await webAPI->conversationsInfo(botToken, id, cancel);
        if (!channel)
            co_return std::unexpected(channel.error());
        // An empty name would only hide the reader's fallback and stop later look-ups.
        if (*channel && !(*channel)->name.isEmpty())
            name = (*channel)->name;
    } else if (id.startsWith(u'B')) {
        const auto bot = co_await webAPI->botsInfo(botToken, id, cancel);
        if (!bot)
            co_return std::unexpected(bot.error());
        if (*bot && (*bot)->name && !(*bot)->name->isEmpty())
            name = *(*bot)->name;
    } else {
        const auto user = co_await webAPI->usersInfo(botToken, id, cancel);
        if (!user)
            co_return std::unexpected(user.error());
        if (*user)
            name = (*user)->displayName();
    }
    co_return name;
}

QCoro::Task<> DirectoryResolver::runRefresh(QPointer<DirectoryResolver> self, QString botToken)
{
    if (!self || !self->m_webAPI)
        co_return;
    const auto channels
        = co_await self->m_webAPI->usersConversations(botToken, self->m_cancellation.token());
    if (!self || !self->m_directory || !channels)
        co_return;
    QHash<QString, QString> names;
    for (const auto& channel : *channels) {
        if (!channel.id.isEmpty() && !channel.name.isEmpty())
            names.insert(channel.id, channel.name);
    }
    self->m_directory->mergeChannelNames(names);
}

QCoro::Task<> DirectoryResolver::runLookup(
    QPointer<DirectoryResolver> self, Kind kind, QString id, QString botToken)
{
    const CancellationToken cancel = self->m_cancellation.token();
    std::chrono::milliseconds rest = self->m_timings.notFoundFor;
    std::optional<QString> name;
    for (int attempt = 1;; ++attempt) {
        const auto result = co_await fetchName(self->m_webAPI, kind, id, botToken, cancel);
        if (!self || cancel.isCancelled())
            co_return;
        if (result) {
            name = *result;
            break;
        }
        const auto backOff = self->m_timings.firstRetry * (qint64(1) << std::min(attempt - 1, 20));
        if (attempt >= self->m_timings.maxAttempts || !result.error().isTransient()) {
            rest = backOff;
            break;
        }
        if (!co_await sleepFor(backOff, cancel) || !self)
            co_return;
    }
    Lookups& state = self->lookups(kind);
    state.inflight.remove(id);
    if (!self->m_directory)
        co_return;
    if (name) {
        if (kind == Kind::channel)
            self->m_directory->setChannelName(id, *name);
        else
            self->m_directory->setUserName(id, *name);
        co_return;
    }
    if (state.restingUntil.size() >= kMaxResting) {
        // Those whose rest ends first would be the first to be looked up again anyway.
        const auto soonest = std::ranges::min_element(state.restingUntil);
        state.restingUntil.erase(soonest);
    }
    state.restingUntil.insert(id, self->m_clock.elapsed() + qint64(rest.count()));
}

} // namespace halyard

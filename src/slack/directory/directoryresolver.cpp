#include "slack/directory/directoryresolver.h"

#include "slack/directory/slackdirectory.h"
#include "slack/webapi/slackwebapi.h"

namespace halyard {

DirectoryResolver::DirectoryResolver(
    SlackDirectory* directory, const SlackWebAPI* webAPI, QObject* parent)
    : QObject(parent)
    , m_directory(directory)
    , m_webAPI(webAPI)
{
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
    if (!m_directory || !m_webAPI || channelId.isEmpty()
        || m_directory->channelNames().contains(channelId)
        || m_inflightChannelLookups.contains(channelId))
        return;
    m_inflightChannelLookups.insert(channelId);
    runChannelLookup(QPointer(this), std::move(channelId), std::move(botToken));
}

void DirectoryResolver::resolveUserName(QString userId, QString botToken)
{
    if (!m_directory || !m_webAPI || userId.isEmpty() || m_directory->userNames().contains(userId)
        || m_inflightUserLookups.contains(userId))
        return;
    m_inflightUserLookups.insert(userId);
    runUserLookup(QPointer(this), std::move(userId), std::move(botToken));
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

QCoro::Task<> DirectoryResolver::runChannelLookup(
    QPointer<DirectoryResolver> self, QString channelId, QString botToken)
{
    const auto channel = co_await self->m_webAPI->conversationsInfo(
        botToken, channelId, self->m_cancellation.token());
    if (!self)
        co_return;
    self->m_inflightChannelLookups.remove(channelId);
    // An empty name would only hide the reader's fallback and stop later lookups.
    if (self->m_directory && channel && *channel && !(*channel)->name.isEmpty())
        self->m_directory->setChannelName(channelId, (*channel)->name);
}

QCoro::Task<> DirectoryResolver::runUserLookup(
    QPointer<DirectoryResolver> self, QString userId, QString botToken)
{
    std::optional<QString> name;
    if (userId.startsWith(u'B')) {
        const auto bot
            = co_await self->m_webAPI->botsInfo(botToken, userId, self->m_cancellation.token());
        if (bot && *bot && (*bot)->name && !(*bot)->name->isEmpty())
            name = *(*bot)->name;
    } else {
        const auto user
            = co_await self->m_webAPI->usersInfo(botToken, userId, self->m_cancellation.token());
        if (user && *user)
            name = (*user)->displayName();
    }
    if (!self)
        co_return;
    self->m_inflightUserLookups.remove(userId);
    if (self->m_directory && name)
        self->m_directory->setUserName(userId, *name);
}

} // namespace halyard

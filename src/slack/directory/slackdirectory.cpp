#include "slack/directory/slackdirectory.h"

namespace halyard {

namespace {

// Returns whether the map changed.
bool store(QHash<QString, QString>& map, const QString& id, const QString& name)
{
    const auto it = map.constFind(id);
    if (it != map.constEnd() && *it == name)
        return false;
    map.insert(id, name);
    return true;
}

std::optional<QString> lookup(const QHash<QString, QString>& map, const QString& id)
{
    const auto it = map.constFind(id);
    if (it == map.constEnd())
        return std::nullopt;
    return *it;
}

} // namespace

SlackDirectory::SlackDirectory(QObject* parent)
    : QObject(parent)
{
}

std::optional<QString> SlackDirectory::channelName(const QString& channelId) const
{
    return lookup(m_channelNames, channelId);
}

std::optional<QString> SlackDirectory::userName(const QString& userId) const
{
    return lookup(m_userNames, userId);
}

void SlackDirectory::setChannelName(const QString& channelId, const QString& name)
{
    if (store(m_channelNames, channelId, name))
        emit channelNamesChanged();
}

void SlackDirectory::mergeChannelNames(const QHash<QString, QString>& names)
{
    bool changed = false;
    for (auto it = names.constBegin(); it != names.constEnd(); ++it)
        changed |= store(m_channelNames, it.key(), it.value());
    if (changed)
        emit channelNamesChanged();
}

void SlackDirectory::setUserName(const QString& userId, const QString& name)
{
    if (store(m_userNames, userId, name))
        emit userNamesChanged();
}

} // namespace halyard

#include "slack/directory/slackdirectory.h"

#include <QList>

#include <algorithm>

namespace halyard {

SlackDirectory::SlackDirectory(QObject* parent, qsizetype capacity)
    : QObject(parent)
    , m_capacity(std::max<qsizetype>(1, capacity))
{
}

std::optional<QString> SlackDirectory::lookup(const Names& map, const QString& id) const
{
    const auto it = map.names.constFind(id);
    if (it == map.names.constEnd())
        return std::nullopt;
    map.lastUse.insert(id, ++m_useClock);
    return *it;
}

bool SlackDirectory::store(Names& map, const QString& id, const QString& name)
{
    map.lastUse.insert(id, ++m_useClock);
    const auto it = map.names.constFind(id);
    if (it != map.names.constEnd() && *it == name)
        return false;
    map.names.insert(id, name);
    trim(map);
    return true;
}

void SlackDirectory::trim(Names& map)
{
    if (map.names.size() <= m_capacity)
        return;
    // A tenth below the bound at once, so a steady stream of new IDs sorts rarely.
    QList<std::pair<quint64, QString>> byUse;
    byUse.reserve(map.lastUse.size());
    for (auto it = map.lastUse.constBegin(); it != map.lastUse.constEnd(); ++it)
        byUse.append({ it.value(), it.key() });
    const qsizetype drop = map.names.size() - m_capacity + m_capacity / 10;
    std::ranges::nth_element(byUse, byUse.begin() + std::min(drop, byUse.size() - 1));
    for (qsizetype i = 0; i < std::min(drop, byUse.size()); ++i) {
        map.names.remove(byUse[i].second);
        map.lastUse.remove(byUse[i].second);
    }
}

std::optional<QString> SlackDirectory::channelName(const QString& channelId) const
{
    return lookup(m_channels, channelId);
}

std::optional<QString> SlackDirectory::userName(const QString& userId) const
{
    return lookup(m_users, userId);
}

void SlackDirectory::setChannelName(const QString& channelId, const QString& name)
{
    if (store(m_channels, channelId, name))
        emit channelNamesChanged();
}

void SlackDirectory::mergeChannelNames(const QHash<QString, QString>& names)
{
    bool changed = false;
    for (auto it = names.constBegin(); it != names.constEnd(); ++it)
        changed |= store(m_channels, it.key(), it.value());
    if (changed)
        emit channelNamesChanged();
}

void SlackDirectory::setUserName(const QString& userId, const QString& name)
{
    if (store(m_users, userId, name))
        emit userNamesChanged();
}

} // namespace halyard

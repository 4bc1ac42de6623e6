#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <optional>

namespace halyard {

// The names shown for Slack's channel, user and bot IDs, in banner titles among others. Starts
// empty at each launch and is never saved. Each map holds at most `capacity` names: past that,
// the least recently used go (asked for with channelName()/userName()/has…(), or set).
// Observers hear of a change only when a name really changed. Main thread only.
class SlackDirectory : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype kDefaultCapacity = 10'000;

    explicit SlackDirectory(QObject* parent = nullptr, qsizetype capacity = kDefaultCapacity);

    // Channel ID to channel name, without a leading "#".
    const QHash<QString, QString>& channelNames() const { return m_channels.names; }
    // User or bot ID to the name to show for it.
    const QHash<QString, QString>& userNames() const { return m_users.names; }

    // Absent while the name is not known; the reader picks its own fallback.
    std::optional<QString> channelName(const QString& channelId) const;
    std::optional<QString> userName(const QString& userId) const;
    bool hasChannel(const QString& channelId) const { return channelName(channelId).has_value(); }
    bool hasUser(const QString& userId) const { return userName(userId).has_value(); }

    void setChannelName(const QString& channelId, const QString& name);
    // Adds or replaces every given name with at most one change notification; channels that
    // are not listed keep their names.
    void mergeChannelNames(const QHash<QString, QString>& names);
    void setUserName(const QString& userId, const QString& name);

signals:
    void channelNamesChanged();
    void userNamesChanged();

private:
    struct Names {
        QHash<QString, QString> names;
        // When each name was last used, on a counter of this directory.
        mutable QHash<QString, quint64> lastUse;
    };

    std::optional<QString> lookup(const Names& map, const QString& id) const;
    // Returns whether the map changed.
    bool store(Names& map, const QString& id, const QString& name);
    void trim(Names& map);

    Names m_channels;
    Names m_users;
    qsizetype m_capacity;
    mutable quint64 m_useClock = 0;
};

} // namespace halyard

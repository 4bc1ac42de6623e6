#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <optional>

namespace halyard {

// The names shown for Slack's channel, user and bot IDs, in banner titles among others. Starts
// empty at each launch and is never saved; during a run names are only added or replaced, never
// removed. Observers hear of a change only when a name really changed. Main thread only.
class SlackDirectory : public QObject {
    Q_OBJECT
public:
    explicit SlackDirectory(QObject* parent = nullptr);

    // Channel ID to channel name, without a leading "#".
    const QHash<QString, QString>& channelNames() const { return m_channelNames; }
    // User or bot ID to the name to show for it.
    const QHash<QString, QString>& userNames() const { return m_userNames; }

    // Absent while the name is not known; the reader picks its own fallback.
    std::optional<QString> channelName(const QString& channelId) const;
    std::optional<QString> userName(const QString& userId) const;

    void setChannelName(const QString& channelId, const QString& name);
    // Adds or replaces every given name with at most one change notification; channels that
    // are not listed keep their names.
    void mergeChannelNames(const QHash<QString, QString>& names);
    void setUserName(const QString& userId, const QString& name);

signals:
    void channelNamesChanged();
    void userNamesChanged();

private:
    QHash<QString, QString> m_channelNames;
    QHash<QString, QString> m_userNames;
};

} // namespace halyard

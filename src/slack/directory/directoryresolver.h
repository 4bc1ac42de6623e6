#pragma once

#include "common/cancellation.h"

#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <optional>

namespace halyard {

class SlackDirectory;
class SlackWebAPI;

// Fills a SlackDirectory from Slack: the channel list at each connect, then one lookup for
// each channel, user or bot that a message mentions and that has no name yet. A burst of
// messages from one new channel or user costs a single request, because at most one lookup per
// ID is in flight. Failed lookups are neither logged nor retried: the next message from that ID
// tries again. Destroying the resolver cancels its requests; lookups in flight then end without
// touching anything. Main thread only.
class DirectoryResolver : public QObject {
    Q_OBJECT
public:
    // The Web API client is used only to start calls, so it has to outlive the resolver's
    // calls to the operations below, not the requests they start.
    DirectoryResolver(
        SlackDirectory* directory, const SlackWebAPI* webAPI, QObject* parent = nullptr);
    ~DirectoryResolver() override;

    // Names every channel that users.conversations lists (its first page), replacing older
    // names. Any error ends it silently and keeps the names already known.
    QCoro::Task<> refreshChannelNames(QString botToken);

    // A name that a message carries for its poster; it replaces any older one. Absent or empty
    // values are ignored.
    void noteDisplayName(
        const std::optional<QString>& userId, const std::optional<QString>& displayUsername);

    // Start a lookup in a task of its own and return at once. Nothing happens when the name is
    // known already or a lookup for the ID is in flight. IDs starting with "B" are bots.
    void resolveChannelName(QString channelId, QString botToken);
    void resolveUserName(QString userId, QString botToken);

    // IDs whose lookup is running.
    const QSet<QString>& inflightChannelLookups() const { return m_inflightChannelLookups; }
    const QSet<QString>& inflightUserLookups() const { return m_inflightUserLookups; }

private:
    static QCoro::Task<> runRefresh(QPointer<DirectoryResolver> self, QString botToken);
    static QCoro::Task<> runChannelLookup(
        QPointer<DirectoryResolver> self, QString channelId, QString botToken);
    static QCoro::Task<> runUserLookup(
        QPointer<DirectoryResolver> self, QString userId, QString botToken);

    QPointer<SlackDirectory> m_directory;
    const SlackWebAPI* m_webAPI;
    CancellationSource m_cancellation;
    QSet<QString> m_inflightChannelLookups;
    QSet<QString> m_inflightUserLookups;
};

} // namespace halyard

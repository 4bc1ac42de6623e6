#pragma once

#include "common/cancellation.h"
#include "settings/slacktokens.h"
#include "slack/messageevent.h"
#include "slack/reactionevent.h"
#include "slack/slackevent.h"
#include "slack/webapi/slackerror.h"

#include <QCoroTask>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringView>

#include <algorithm>

namespace halyard {

class AlertStore;
class BannerPoster;
class DirectoryResolver;
class SettingsStore;
class SlackDirectory;
class SlackWebAPI;

// What the Slack service does with messages and reactions: the live message path (filter,
// alert, banner), team-shared acknowledgement from live reactions, and the two catch-up runs
// after each connect: the backfill of messages missed per channel since its high-water mark,
// and the reconciliation that clears alerts acknowledged in Slack while the program was away.
// Settings are read when they are used. Main thread only; every collaborator must outlive the
// intake, and a run in progress ends quietly when the intake goes away or its token is
// cancelled.
class MessageIntake : public QObject {
    Q_OBJECT
public:
    // History pages read per channel and run. Far more than a disconnect should leave behind;
    // it only stops a server whose cursor never ends.
    static constexpr int kDefaultMaxHistoryPages = 50;
    // Banner bodies are cut to this many characters.
    static constexpr qsizetype kBannerBodyLength = 140;

    MessageIntake(AlertStore* alerts, SettingsStore* settings, SlackDirectory* directory,
        DirectoryResolver* resolver, BannerPoster* banners, const SlackWebAPI* webApi,
        QObject* parent = nullptr);

    // A message pushed over Socket Mode: filtered (a drop is logged), taken in, and announced
    // with a banner when it is new and banners are on.
    void handleLiveMessage(const MessageEvent& message, const SlackTokens& tokens);
    // A reaction pushed over Socket Mode: the ack emoji clears the reacted message's alert when
    // team-shared acknowledgement is on.
    void handleReaction(const ReactionEvent& reaction);
    // Queues the alert for an accepted message (the store ignores one already queued) and looks
    // up the names it mentions.
    void ingest(const MessageEvent& message, const QString& botToken);

    // Takes in, per channel with a high-water mark, every message newer than the mark, oldest
    // first, skipping those already acknowledged in Slack. A channel whose history cannot be
    // read completely keeps its mark and is tried again at the next connect.
    QCoro::Task<> backfill(SlackTokens tokens, CancellationToken cancel);
    // Removes the queued alerts whose source message carries the ack reaction.
    QCoro::Task<> reconcileReactions(SlackTokens tokens, CancellationToken cancel);

    void setMaxHistoryPages(int pages) { m_maxHistoryPages = std::max(1, pages); }

private:
    static QCoro::Task<> runBackfill(
        QPointer<MessageIntake> self, SlackTokens tokens, CancellationToken cancel);
    static QCoro::Task<> runReconcile(
        QPointer<MessageIntake> self, SlackTokens tokens, CancellationToken cancel);
    // Every message newer than `oldest`, following the cursor; an error when any page fails.
    static QCoro::Task<SlackResult<QList<SlackEventDTO>>> fetchHistory(const SlackWebAPI* webApi,
        QString botToken, QString channelId, QString oldest, int maxPages,
        CancellationToken cancel);

    AlertStore* m_alerts;
    SettingsStore* m_settings;
    SlackDirectory* m_directory;
    DirectoryResolver* m_resolver;
    BannerPoster* m_banners;
    const SlackWebAPI* m_webApi;
    int m_maxHistoryPages = kDefaultMaxHistoryPages;
};

// Orders Slack timestamps ("seconds.fraction") as the numbers they are, without the rounding
// of a double; anything that is not such a number sorts first, by its text. Negative, zero or
// positive like QString::compare.
int compareSlackTimestamps(QStringView a, QStringView b);

} // namespace halyard

#pragma once

#include "common/cancellation.h"
#include "queue/alertstore.h"
#include "settings/slacktokens.h"
#include "slack/events/messageevent.h"
#include "slack/events/reactionevent.h"
#include "slack/events/slackevent.h"
#include "slack/text/slacktext.h"
#include "slack/webapi/slackerror.h"

#include <QCoroTask>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <chrono>
#include <optional>

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
    // Mentions without a label whose names one message may look up.
    static constexpr qsizetype kMaxMentionLookups = 8;
    // How much of a message a row lays out at most; mentions past it are never shown.
    static constexpr qsizetype kRowTextLength = 400;
    // Slack's limit for a message's text; an alert keeps no more.
    static constexpr qsizetype kMaxTextLength = 40'000;
    // An alert's text as its banners show it, with the names the directory knows.
    static QString bannerBody(const QString& text, const SlackDirectory& directory);
    // The row a queued alert folds into: its id and how many alerts it holds.
    std::optional<std::pair<QString, qsizetype>> foldedRow(const QString& id) const;

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
    void ingest(const MessageEvent& message, const QString& botToken, Arrival arrival);

    // Takes in, per channel, every message newer than its point (AlertStore::beginBackfill(),
    // taken before the socket could deliver anything), oldest first, skipping those already
    // acknowledged in Slack. A channel read completely has its point dropped; any other keeps
    // it for the next run.
    QCoro::Task<> backfill(
        SlackTokens tokens, QMap<QString, QString> points, CancellationToken cancel);
    // Removes the queued alerts whose source message carries the ack reaction. Alerts whose
    // check failed are checked again after the retry delay, until the token is cancelled.
    QCoro::Task<> reconcileReactions(SlackTokens tokens, CancellationToken cancel);

    void setMaxHistoryPages(int pages) { m_maxHistoryPages = std::max(1, pages); }
    void setReconcileRetryDelay(std::chrono::milliseconds delay) { m_reconcileRetryDelay = delay; }

private:
    static constexpr std::chrono::milliseconds kBannerNameWait { 1000 };
    static constexpr std::chrono::milliseconds kBannerNamePoll { 50 };

    void announce(const QString& id, const QString& channelId, const QString& text);
    // The unlabelled mentions of what a row shows of the text: the only ones worth a name.
    static SlackText::MentionedIds rowMentions(const QString& text);
    // Whether a look-up runs for the channel or a mention the banner would show.
    bool namesPending(const QString& channelId, const QString& text) const;
    static QCoro::Task<> announceWhenNamed(
        QPointer<MessageIntake> self, QString id, QString channelId, QString text);
    static QCoro::Task<> runBackfill(QPointer<MessageIntake> self, SlackTokens tokens,
        QMap<QString, QString> points, CancellationToken cancel);
    static QCoro::Task<> runReconcile(QPointer<MessageIntake> self, SlackTokens tokens,
        std::optional<QSet<QString>> only, CancellationToken cancel);
    // Every message newer than `oldest`, following the cursor; an error when any page fails.
    static QCoro::Task<SlackResult<QList<SlackEventDTO>>> fetchHistory(QPointer<MessageIntake> self,
        QString botToken, QString channelId, QString oldest, CancellationToken cancel);

    AlertStore* m_alerts;
    SettingsStore* m_settings;
    SlackDirectory* m_directory;
    DirectoryResolver* m_resolver;
    BannerPoster* m_banners;
    const SlackWebAPI* m_webApi;
    int m_maxHistoryPages = kDefaultMaxHistoryPages;
    std::chrono::milliseconds m_reconcileRetryDelay { std::chrono::minutes(5) };
};

} // namespace halyard

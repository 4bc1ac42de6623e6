#pragma once

#include "common/cancellation.h"
#include "queue/alertstore.h"
#include "service/profile.h"

#include <QCoroTask>
#include <QNetworkAccessManager>
#include <QObject>

#include <chrono>
#include <memory>

namespace halyard {

struct Alert;
class AlertStore;
class HistoryRecorder;
class MuteList;
struct Mute;
class SnoozeTimer;
class KeychainService;
class NotificationService;
class OverdueReminder;
class PreferenceStore;
class ReactionOutbox;
class SettingsStore;
class SlackDirectory;
class SlackService;
class SlackWebAPI;
class SystemEvents;

// The composition root: builds every long-lived object once, in a fixed order, and starts the
// connection when tokens are stored. Every change is saved as it happens; the preference and
// queue writers finish their last write when this object is destroyed.
class AppCore : public QObject {
    Q_OBJECT
public:
    // Builds the stores (in the profile's folders), the directory, the banners when `banners` is
    // set (a desktop session has someone to see them, overdue reminders included) and the queue,
    // and hands the aging policy from the settings to the queue. Banners leave with their alerts,
    // and their "Ack" goes through the Slack service like the panel's.
    AppCore(std::unique_ptr<KeychainService> keychain, Profile profile, bool banners,
        QObject* parent = nullptr);
    ~AppCore() override;

    // Logs the launch (and a Web API address that is not Slack's), reads the tokens, creates the
    // Slack service and connects when both tokens are stored. Resumes on the event loop once the
    // credential store has answered. A failed read (a locked or absent store, not "nothing
    // stored") is tried again after a delay that grows to its longest, so a service started
    // before the store unlocks connects once it does; one log line per change of state.
    QCoro::Task<> launch();
    // Re-reads the tokens after another program changed them: connects with new ones, forgets
    // and disconnects when they are gone. A failed read is logged and changes nothing.
    QCoro::Task<> reloadTokens();
    void setTokenReadRetry(std::chrono::milliseconds first, std::chrono::milliseconds longest)
    {
        m_firstRetry = first;
        m_longestRetry = longest;
    }

    const Profile& profile() const { return m_profile; }
    AlertStore& alertStore() const { return *m_alertStore; }
    // Null when the data folder cannot be made.
    HistoryRecorder* historyRecorder() const { return m_historyRecorder.get(); }
    KeychainService& keychain() const { return *m_keychain; }
    QNetworkAccessManager& network() { return m_network; }
    SettingsStore& settingsStore() const { return *m_settingsStore; }
    SlackDirectory& directory() const { return *m_directory; }
    PreferenceStore& preferences() const { return *m_preferences; }
    // Null without banners.
    NotificationService* notificationService() const { return m_notificationService.get(); }
    // What the service hears from the system; created with the service.
    SystemEvents& systemEvents()
    {
        slackService();
        return *m_systemEvents;
    }
    // Created on first use, then kept.
    SlackService& slackService();
    MuteList& mutes() const { return *m_mutes; }

    // The user's Ack of a row: every alert folded into it, one reaction each. An alert no
    // longer queued is acknowledged alone, as before folding.
    void acknowledgeRow(const Alert& row, AckCause cause);
    // Snoozes every alert of the row with this id (a member's id: that alert alone) until the
    // wall-clock time `until`, in Unix seconds. How many alerts, 0 when none is queued.
    qsizetype snoozeRow(const QString& id, double untilUnix);
    // Brings the snoozed alert with this id (and, when it is a row's, its members) back.
    qsizetype unsnoozeRow(const QString& id);
    // Mutes alerts like the queued or snoozed alert with this id; false when there is none.
    bool muteLike(const QString& id, double untilUnix);

signals:
    // launch() found no tokens: the user has to set the program up.
    void setupNeeded();
    // launch() could not read the tokens and keeps trying.
    void tokenStoreUnavailable();

private:
    Profile m_profile;
    std::unique_ptr<KeychainService> m_keychain;
    std::unique_ptr<PreferenceStore> m_preferences;
    std::unique_ptr<SettingsStore> m_settingsStore;
    std::unique_ptr<SlackDirectory> m_directory;
    std::unique_ptr<NotificationService> m_notificationService;
    std::unique_ptr<AlertStore> m_alertStore;
    // Before the store goes: it follows the store.
    std::unique_ptr<HistoryRecorder> m_historyRecorder;
    std::unique_ptr<SnoozeTimer> m_snoozeTimer;
    std::unique_ptr<MuteList> m_mutes;
    // Outlives the service, whose poster writes it at the end.
    std::unique_ptr<ReactionOutbox> m_reactionOutbox;
    std::unique_ptr<OverdueReminder> m_overdueReminder;
    QNetworkAccessManager m_network;
    std::unique_ptr<SystemEvents> m_systemEvents;
    std::unique_ptr<SlackWebAPI> m_webApi;
    std::unique_ptr<SlackService> m_slackService;
    std::chrono::milliseconds m_firstRetry = std::chrono::seconds(10);
    std::chrono::milliseconds m_longestRetry = std::chrono::minutes(5);
    CancellationSource m_stopping;
    bool m_quitting = false;
};

} // namespace halyard

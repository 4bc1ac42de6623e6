#pragma once

#include "queue/agingpolicy.h"
#include "settings/connectionstate.h"
#include "settings/keychainservice.h"
#include "settings/preferencekeys.h"
#include "settings/slacktokens.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <expected>
#include <optional>

namespace halyard {

class PreferenceStore;

// The one observable home of the user's preferences, the Slack tokens held in memory and the
// live connection facts the views show. Preferences are read once at construction and written
// under their key at every assignment; the tokens live in the credential store and are read by
// loadTokens(), which start-up awaits; the connection facts are never persisted. Signals fire only
// when a value really changes.
//
// Main thread only.
class SettingsStore : public QObject {
    Q_OBJECT
    Q_PROPERTY(std::optional<halyard::SlackTokens> cachedTokens READ cachedTokens NOTIFY
            cachedTokensChanged)
    Q_PROPERTY(halyard::ConnectionState connectionState READ connectionState WRITE
            setConnectionState NOTIFY connectionStateChanged)
    Q_PROPERTY(
        std::optional<QString> teamName READ teamName WRITE setTeamName NOTIFY teamNameChanged)
    Q_PROPERTY(std::optional<QString> teamId READ teamId WRITE setTeamId)
    Q_PROPERTY(std::optional<QString> botUserName READ botUserName WRITE setBotUserName NOTIFY
            botUserNameChanged)
    Q_PROPERTY(bool botsOnly READ botsOnly WRITE setBotsOnly NOTIFY botsOnlyChanged)
    Q_PROPERTY(
        QString triggerPrefix READ triggerPrefix WRITE setTriggerPrefix NOTIFY triggerPrefixChanged)
    Q_PROPERTY(
        bool snapToMenuBar READ snapToMenuBar WRITE setSnapToMenuBar NOTIFY snapToMenuBarChanged)
    Q_PROPERTY(bool showPanel READ showPanel WRITE setShowPanel NOTIFY showPanelChanged)
    Q_PROPERTY(halyard::AgingPolicy agingPolicy READ agingPolicy WRITE setAgingPolicy NOTIFY
            agingPolicyChanged)
    Q_PROPERTY(bool ackBackEnabled READ ackBackEnabled WRITE setAckBackEnabled NOTIFY
            ackBackEnabledChanged)
    Q_PROPERTY(
        QString ackBackEmoji READ ackBackEmoji WRITE setAckBackEmoji NOTIFY ackBackEmojiChanged)
    Q_PROPERTY(bool notificationsEnabled READ notificationsEnabled WRITE setNotificationsEnabled
            NOTIFY notificationsEnabledChanged)
    Q_PROPERTY(bool foldRepeats READ foldRepeats WRITE setFoldRepeats NOTIFY foldRepeatsChanged)
    Q_PROPERTY(bool teamSharedAckEnabled READ teamSharedAckEnabled WRITE setTeamSharedAckEnabled
            NOTIFY teamSharedAckEnabledChanged)
    Q_PROPERTY(bool overdueRemindersEnabled READ overdueRemindersEnabled WRITE
            setOverdueRemindersEnabled NOTIFY overdueRemindersEnabledChanged)
    Q_PROPERTY(bool overdueReminderSound READ overdueReminderSound WRITE setOverdueReminderSound
            NOTIFY overdueReminderSoundChanged)

public:
    // Reads every stored preference that passes its read rule (a value of the wrong type is
    // ignored, the default stays) and assigns it through its setter; the tokens stay unread.
    // Both stores must outlive this object.
    SettingsStore(KeychainService& keychain, PreferenceStore& defaults, QObject* parent = nullptr);

    const std::optional<SlackTokens>& cachedTokens() const { return m_cachedTokens; }
    const ConnectionState& connectionState() const { return m_connectionState; }
    const std::optional<QString>& teamName() const { return m_teamName; }
    const std::optional<QString>& teamId() const { return m_teamId; }
    // The workspace's web address as auth.test reported it, unchecked: read when a link is
    // built, never shown or watched.
    const std::optional<QUrl>& workspaceUrl() const { return m_workspaceUrl; }
    const std::optional<QString>& botUserName() const { return m_botUserName; }
    bool botsOnly() const { return m_botsOnly; }
    const QString& triggerPrefix() const { return m_triggerPrefix; }
    bool snapToMenuBar() const { return m_snapToMenuBar; }
    bool showPanel() const { return m_showPanel; }
    const AgingPolicy& agingPolicy() const { return m_agingPolicy; }
    bool ackBackEnabled() const { return m_ackBackEnabled; }
    const QString& ackBackEmoji() const { return m_ackBackEmoji; }
    bool notificationsEnabled() const { return m_notificationsEnabled; }
    // Repeats of an alert show as one row.
    bool foldRepeats() const { return m_foldRepeats; }
    bool teamSharedAckEnabled() const { return m_teamSharedAckEnabled; }
    // Stored as chosen; reminders are shown only while banners are on as well.
    bool overdueRemindersEnabled() const { return m_overdueRemindersEnabled; }
    bool overdueReminderSound() const { return m_overdueReminderSound; }

    // Connection facts: memory only, set by the Slack service.
    void setConnectionState(const ConnectionState& state);
    void setTeamName(const std::optional<QString>& name);
    void setTeamId(const std::optional<QString>& id);
    void setWorkspaceUrl(const std::optional<QUrl>& url) { m_workspaceUrl = url; }
    void setBotUserName(const std::optional<QString>& name);

    // Preferences: each assignment writes the key, even when the value is unchanged. The two
    // strings are stored exactly as given.
    void setBotsOnly(bool value);
    void setTriggerPrefix(const QString& value);
    void setSnapToMenuBar(bool value);
    void setShowPanel(bool value);
    // Stores the policy, logs whether every stage is at least a minute long, and keeps it as
    // assigned either way; editors clamp first (withFreshMinutes and its siblings).
    void setAgingPolicy(const AgingPolicy& policy);
    void setAckBackEnabled(bool value);
    void setAckBackEmoji(const QString& value);
    void setNotificationsEnabled(bool value);
    void setFoldRepeats(bool value);
    void setTeamSharedAckEnabled(bool value);
    void setOverdueRemindersEnabled(bool value);
    void setOverdueReminderSound(bool value);

    // One threshold moved by its clamping rule, the result assigned as a whole.
    void setFreshMinutes(double minutes);
    void setAgingMinutes(double minutes);
    void setStaleMinutes(double minutes);

    // The credential store calls below resume on the event loop; a store destroyed meanwhile
    // is left alone, and the outcome is still returned.
    //
    // Reads both tokens; only when both are there does cachedTokens change. A failed or
    // unfinished read is returned and changes nothing.
    QCoro::Task<std::expected<void, KeychainError>> loadTokens();
    // Tokens as given (callers trim them). On success cachedTokens holds the pair; a failure is
    // returned at once, and after a failed app-token write the new bot token is already stored.
    QCoro::Task<std::expected<void, KeychainError>> saveTokens(QString botToken, QString appToken);
    // Deletes both tokens (a missing one is fine), then forgets the tokens and the workspace
    // and bot facts. The first failure is returned and changes nothing in memory.
    QCoro::Task<std::expected<void, KeychainError>> clearTokens();
    // Takes in what another program left in the credential store, without touching it: a pair
    // becomes cachedTokens; none forgets the tokens and the workspace and bot facts.
    void adoptTokens(const std::optional<SlackTokens>& tokens);

signals:
    void cachedTokensChanged();
    void connectionStateChanged(const halyard::ConnectionState& state);
    void teamNameChanged(const std::optional<QString>& name);
    void botUserNameChanged(const std::optional<QString>& name);
    void botsOnlyChanged(bool value);
    void triggerPrefixChanged(const QString& value);
    void snapToMenuBarChanged(bool value);
    void showPanelChanged(bool value);
    // The application hands every new policy on to the alert store through this signal.
    void agingPolicyChanged(const halyard::AgingPolicy& policy);
    void ackBackEnabledChanged(bool value);
    void ackBackEmojiChanged(const QString& value);
    void notificationsEnabledChanged(bool value);
    void foldRepeatsChanged(bool value);
    void teamSharedAckEnabledChanged(bool value);
    void overdueRemindersEnabledChanged(bool value);
    void overdueReminderSoundChanged(bool value);

private:
    void readPreferences();
    void setCachedTokens(const std::optional<SlackTokens>& tokens);

    KeychainService& m_keychain;
    PreferenceStore& m_defaults;
    std::optional<SlackTokens> m_cachedTokens;
    ConnectionState m_connectionState;
    std::optional<QString> m_teamName;
    std::optional<QString> m_teamId;
    std::optional<QUrl> m_workspaceUrl;
    std::optional<QString> m_botUserName;
    bool m_botsOnly = preference::botsOnly.defaultValue;
    QString m_triggerPrefix = preference::triggerPrefix.defaultValue.toString();
    bool m_snapToMenuBar = preference::snapToMenuBar.defaultValue;
    bool m_showPanel = preference::showPanel.defaultValue;
    AgingPolicy m_agingPolicy;
    bool m_ackBackEnabled = preference::ackBackEnabled.defaultValue;
    QString m_ackBackEmoji = preference::ackBackEmoji.defaultValue.toString();
    bool m_notificationsEnabled = preference::notificationsEnabled.defaultValue;
    bool m_foldRepeats = preference::foldRepeats.defaultValue;
    bool m_teamSharedAckEnabled = preference::teamSharedAckEnabled.defaultValue;
    bool m_overdueRemindersEnabled = preference::overdueRemindersEnabled.defaultValue;
    bool m_overdueReminderSound = preference::overdueReminderSound.defaultValue;
};

} // namespace halyard

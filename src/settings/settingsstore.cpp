#include "settings/settingsstore.h"

#include "common/logging.h"
#include "settings/agingclamping.h"
#include "settings/preferencekeys.h"
#include "settings/preferencestore.h"

#include <QJsonDocument>
#include <QPointer>

#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// A stored value that passes the key's read rule, or nothing.
std::optional<bool> read(const PreferenceStore& store, const preference::BoolKey& key)
{
    return store.boolValue(key.key.toString());
}

std::optional<QString> read(const PreferenceStore& store, const preference::StringKey& key)
{
    auto value = store.stringValue(key.key.toString());
    if (value && value->isEmpty() && !key.emptyTaken)
        return std::nullopt;
    return value;
}

template <typename T> bool assign(T& member, const T& value)
{
    if (member == value)
        return false;
    member = value;
    return true;
}

// JSON has no form for NaN or infinity; such a policy is not stored at all rather than stored
// as something that no longer decodes to it.
std::optional<QByteArray> encodeAgingPolicy(const AgingPolicy& policy)
{
    if (!std::isfinite(policy.freshUntil) || !std::isfinite(policy.agingUntil)
        || !std::isfinite(policy.staleUntil))
        return std::nullopt;
    return QJsonDocument(policy.toJson()).toJson(QJsonDocument::Compact);
}

std::optional<AgingPolicy> decodeAgingPolicy(const QByteArray& data)
{
    const auto object = json::parseObject(data);
    if (!object)
        return std::nullopt;
    auto policy = AgingPolicy::fromJson(*object);
    if (!policy)
        return std::nullopt;
    return *policy;
}

// Seconds to whole minutes, truncated toward zero. Saturates instead of overflowing, so an
// absurd policy still gets its log line.
long wholeMinutes(double seconds)
{
    const double minutes = std::trunc(seconds / 60);
    if (std::isnan(minutes))
        return 0;
    if (minutes >= double(std::numeric_limits<long>::max()))
        return std::numeric_limits<long>::max();
    if (minutes <= double(std::numeric_limits<long>::min()))
        return std::numeric_limits<long>::min();
    return long(minutes);
}

} // namespace

SettingsStore::SettingsStore(KeychainService& keychain, PreferenceStore& defaults, QObject* parent)
    : QObject(parent)
    , m_keychain(keychain)
    , m_defaults(defaults)
{
    readPreferences();
}

void SettingsStore::readPreferences()
{
    if (const auto value = read(m_defaults, preference::botsOnly))
        setBotsOnly(*value);
    if (const auto value = read(m_defaults, preference::triggerPrefix))
        setTriggerPrefix(*value);
    if (const auto value = read(m_defaults, preference::snapToMenuBar))
        setSnapToMenuBar(*value);
    if (const auto value = read(m_defaults, preference::showPanel))
        setShowPanel(*value);
    if (const auto data = m_defaults.dataValue(preference::agingPolicy.key.toString())) {
        if (const auto policy = decodeAgingPolicy(*data))
            setAgingPolicy(*policy);
    }
    if (const auto value = read(m_defaults, preference::ackBackEnabled))
        setAckBackEnabled(*value);
    if (const auto value = read(m_defaults, preference::ackBackEmoji))
        setAckBackEmoji(*value);
    if (const auto value = read(m_defaults, preference::notificationsEnabled))
        setNotificationsEnabled(*value);
    if (const auto value = read(m_defaults, preference::foldRepeats))
        setFoldRepeats(*value);
    if (const auto value = read(m_defaults, preference::teamSharedAckEnabled))
        setTeamSharedAckEnabled(*value);
    if (const auto value = read(m_defaults, preference::overdueRemindersEnabled))
        setOverdueRemindersEnabled(*value);
    if (const auto value = read(m_defaults, preference::overdueReminderSound))
        setOverdueReminderSound(*value);
}

void SettingsStore::setCachedTokens(const std::optional<SlackTokens>& tokens)
{
    if (assign(m_cachedTokens, tokens))
        emit cachedTokensChanged();
}

void SettingsStore::setConnectionState(const ConnectionState& state)
{
    if (assign(m_connectionState, state))
        emit connectionStateChanged(m_connectionState);
}

void SettingsStore::setTeamName(const std::optional<QString>& name)
{
    if (assign(m_teamName, name))
        emit teamNameChanged(m_teamName);
}

void SettingsStore::setTeamId(const std::optional<QString>& id)
{
    assign(m_teamId, id);
}

void SettingsStore::setBotUserName(const std::optional<QString>& name)
{
    if (assign(m_botUserName, name))
        emit botUserNameChanged(m_botUserName);
}

void SettingsStore::setBotsOnly(bool value)
{
    m_defaults.setBool(preference::botsOnly.key.toString(), value);
    if (assign(m_botsOnly, value))
        emit botsOnlyChanged(value);
}

void SettingsStore::setTriggerPrefix(const QString& value)
{
    m_defaults.setString(preference::triggerPrefix.key.toString(), value);
    if (assign(m_triggerPrefix, value))
        emit triggerPrefixChanged(value);
}

void SettingsStore::setShowPanel(bool value)
{
    m_defaults.setBool(preference::showPanel.key.toString(), value);
    if (assign(m_showPanel, value))
        emit showPanelChanged(value);
}

void SettingsStore::setSnapToMenuBar(bool value)
{
    m_defaults.setBool(preference::snapToMenuBar.key.toString(), value);
    if (assign(m_snapToMenuBar, value))
        emit snapToMenuBarChanged(value);
}

void SettingsStore::setAgingPolicy(const AgingPolicy& policy)
{
    const bool changed = assign(m_agingPolicy, policy);
    if (const auto data = encodeAgingPolicy(policy))
        m_defaults.setData(preference::agingPolicy.key.toString(), *data);

    const long fresh = wholeMinutes(policy.freshUntil);
    const long aging = wholeMinutes(policy.agingUntil);
    const long stale = wholeMinutes(policy.staleUntil);
    if (isValidAgingPolicy(policy)) {
        qCInfo(lcSettings, "Aging policy → fresh=%ldm aging=%ldm stale=%ldm", fresh, aging, stale);
    } else {
        qCCritical(lcSettings,
            "Aging policy INVALID after assign → fresh=%ldm aging=%ldm stale=%ldm — clamping "
            "failed",
            fresh, aging, stale);
    }
    if (changed)
        emit agingPolicyChanged(m_agingPolicy);
}

void SettingsStore::setAckBackEnabled(bool value)
{
    m_defaults.setBool(preference::ackBackEnabled.key.toString(), value);
    if (assign(m_ackBackEnabled, value))
        emit ackBackEnabledChanged(value);
}

void SettingsStore::setAckBackEmoji(const QString& value)
{
    m_defaults.setString(preference::ackBackEmoji.key.toString(), value);
    if (assign(m_ackBackEmoji, value))
        emit ackBackEmojiChanged(value);
}

void SettingsStore::setNotificationsEnabled(bool value)
{
    m_defaults.setBool(preference::notificationsEnabled.key.toString(), value);
    if (assign(m_notificationsEnabled, value))
        emit notificationsEnabledChanged(value);
}

void SettingsStore::setFoldRepeats(bool value)
{
    m_defaults.setBool(preference::foldRepeats.key.toString(), value);
    if (assign(m_foldRepeats, value))
        emit foldRepeatsChanged(value);
}

void SettingsStore::setTeamSharedAckEnabled(bool value)
{
    m_defaults.setBool(preference::teamSharedAckEnabled.key.toString(), value);
    if (assign(m_teamSharedAckEnabled, value))
        emit teamSharedAckEnabledChanged(value);
}

void SettingsStore::setOverdueRemindersEnabled(bool value)
{
    m_defaults.setBool(preference::overdueRemindersEnabled.key.toString(), value);
    if (assign(m_overdueRemindersEnabled, value))
        emit overdueRemindersEnabledChanged(value);
}

void SettingsStore::setOverdueReminderSound(bool value)
{
    m_defaults.setBool(preference::overdueReminderSound.key.toString(), value);
    if (assign(m_overdueReminderSound, value))
        emit overdueReminderSoundChanged(value);
}

void SettingsStore::setFreshMinutes(double minutes)
{
    setAgingPolicy(withFreshMinutes(m_agingPolicy, minutes));
}

void SettingsStore::setAgingMinutes(double minutes)
{
    setAgingPolicy(withAgingMinutes(m_agingPolicy, minutes));
}

void SettingsStore::setStaleMinutes(double minutes)
{
    setAgingPolicy(withStaleMinutes(m_agingPolicy, minutes));
}

QCoro::Task<std::expected<void, KeychainError>> SettingsStore::loadTokens()
{
    QPointer self(this);
    auto tokens = co_await loadSlackTokens(&m_keychain);
    if (!tokens)
        co_return std::unexpected(tokens.error());
    if (self && tokens->has_value())
        self->setCachedTokens(std::move(*tokens));
    co_return std::expected<void, KeychainError> {};
}

QCoro::Task<std::expected<void, KeychainError>> SettingsStore::saveTokens(
    QString botToken, QString appToken)
{
    QPointer self(this);
    SlackTokens tokens { std::move(botToken), std::move(appToken) };
    const auto stored = co_await storeSlackTokens(&m_keychain, tokens);
    if (stored && self)
        self->setCachedTokens(std::move(tokens));
    co_return stored;
}

QCoro::Task<std::expected<void, KeychainError>> SettingsStore::clearTokens()
{
    QPointer self(this);
    const auto deleted = co_await deleteSlackTokens(&m_keychain);
    if (deleted && self)
        self->adoptTokens(std::nullopt);
    co_return deleted;
}

void SettingsStore::adoptTokens(const std::optional<SlackTokens>& tokens)
{
    setCachedTokens(tokens);
    if (tokens)
        return;
    setTeamName(std::nullopt);
    setTeamId(std::nullopt);
    setWorkspaceUrl(std::nullopt);
    setBotUserName(std::nullopt);
}

} // namespace halyard

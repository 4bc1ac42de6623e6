#include "settings/updatereminderstore.h"

#include "common/logging.h"
#include "settings/preferencekeys.h"
#include "settings/preferencestore.h"

namespace halyard {

namespace {
QString dismissedKey()
{
    return preference::updateReminderDismissedVersion.key.toString();
}
} // namespace

UpdateReminderStore::UpdateReminderStore(PreferenceStore& preferences, QObject* parent)
    : QObject(parent)
    , m_preferences(preferences)
{
}

void UpdateReminderStore::offer(const QString& version)
{
    if (m_preferences.stringValue(dismissedKey()) == version) {
        qCDebug(
            lcApp, "Update reminder suppressed (version dismissed): %s", qUtf8Printable(version));
        return;
    }
    setAvailable(version);
    qCInfo(lcApp, "Update reminder offered: %s", qUtf8Printable(version));
}

void UpdateReminderStore::dismiss()
{
    if (!m_available)
        return;
    const QString version = *m_available;
    m_preferences.setString(dismissedKey(), version);
    setAvailable(std::nullopt);
    qCInfo(lcApp, "Update reminder dismissed for version: %s", qUtf8Printable(version));
}

void UpdateReminderStore::clearReminder()
{
    setAvailable(std::nullopt);
}

void UpdateReminderStore::setAvailable(std::optional<QString> version)
{
    if (version == m_available)
        return;
    m_available = std::move(version);
    emit availableVersionChanged();
}

} // namespace halyard

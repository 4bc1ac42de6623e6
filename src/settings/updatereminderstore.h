#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace halyard {

class PreferenceStore;

// The update reminder the panel offers: at most one version at a time. A dismissed version is
// remembered for good and never offered again; a cleared one may come back with the next
// scheduled check. Every launch starts with no reminder. Main thread only.
class UpdateReminderStore : public QObject {
    Q_OBJECT
public:
    // The preferences must outlive the store.
    explicit UpdateReminderStore(PreferenceStore& preferences, QObject* parent = nullptr);

    const std::optional<QString>& availableVersion() const { return m_available; }

    // Offers `version` unless it is the one the user dismissed.
    void offer(const QString& version);
    // Dismisses the offered version for good; nothing happens when none is offered.
    void dismiss();
    // Hides the reminder without remembering anything: the update is being handled elsewhere.
    void clearReminder();

signals:
    void availableVersionChanged();

private:
    void setAvailable(std::optional<QString> version);

    PreferenceStore& m_preferences;
    std::optional<QString> m_available;
};

} // namespace halyard

#pragma once

#include <QObject>

namespace halyard {

struct AppcastItem;
class UpdateChecker;
class UpdateReminderStore;

// Turns what the update checker and the update dialog report into reminder changes: an update
// that a scheduled check found becomes a gentle reminder, one the user asked for does not
// (the dialog shows it), and the dialog taking the user's attention or closing clears the
// reminder without remembering the version. No state of its own.
class UpdateReminderBridge : public QObject {
    Q_OBJECT
public:
    // The store must outlive the bridge.
    explicit UpdateReminderBridge(UpdateReminderStore& store, QObject* parent = nullptr);

    // Follows the checker's reports for as long as both live.
    void follow(UpdateChecker& checker);

public slots:
    // `shownInOwnWindow`: the update is shown in the update dialog, so no reminder is needed.
    void willShowUpdate(bool shownInOwnWindow, const QString& displayVersion);
    void didReceiveUserAttention();
    void willFinishUpdateSession();

private:
    UpdateReminderStore& m_store;
};

} // namespace halyard

#include "freedesktop/updatereminderbridge.h"

#include "freedesktop/updatechecker.h"
#include "settings/updatereminderstore.h"

namespace halyard {

UpdateReminderBridge::UpdateReminderBridge(UpdateReminderStore& store, QObject* parent)
    : QObject(parent)
    , m_store(store)
{
}

void UpdateReminderBridge::follow(UpdateChecker& checker)
{
    connect(&checker, &UpdateChecker::updateFound, this,
        [this](const AppcastItem& item, bool userStarted) {
            willShowUpdate(userStarted, item.displayVersion);
        });
}

void UpdateReminderBridge::willShowUpdate(bool shownInOwnWindow, const QString& displayVersion)
{
    if (!shownInOwnWindow)
        m_store.offer(displayVersion);
}

void UpdateReminderBridge::didReceiveUserAttention()
{
    m_store.clearReminder();
}

void UpdateReminderBridge::willFinishUpdateSession()
{
    m_store.clearReminder();
}

} // namespace halyard

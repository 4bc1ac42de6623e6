#include "settings/preferencestore.h"
#include "settings/updatereminderstore.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {
namespace {

const QString kDismissedKey = u"updateReminderDismissedVersion"_s;

struct Reminders {
    QTemporaryDir folder;
    PreferenceStore preferences { folder.path() };
    UpdateReminderStore store { preferences };
    QSignalSpy changes { &store, &UpdateReminderStore::availableVersionChanged };
};

TEST(UpdateReminderStore, ClearingForgetsTheOfferWhileDismissingRemembersItForTheNextLaunch)
{
    Reminders r;
    r.store.dismiss(); // with nothing offered: no change, nothing stored
    EXPECT_EQ(r.changes.count(), 0);
    EXPECT_FALSE(r.preferences.contains(kDismissedKey));

    r.store.offer(u"2.0"_s);
    r.store.offer(u"2.0"_s); // the same version again: observers hear nothing new
    EXPECT_EQ(r.changes.count(), 1);
    r.store.clearReminder();
    r.store.clearReminder();
    EXPECT_EQ(r.changes.count(), 2);
    EXPECT_EQ(r.store.availableVersion(), std::nullopt);
    EXPECT_FALSE(r.preferences.contains(kDismissedKey));

    r.store.offer(u"2.0"_s);
    r.store.dismiss();
    EXPECT_EQ(r.store.availableVersion(), std::nullopt);

    // The next launch starts with no reminder and still knows the dismissed version.
    UpdateReminderStore relaunched(r.preferences);
    relaunched.offer(u"2.0"_s);
    EXPECT_EQ(relaunched.availableVersion(), std::nullopt);
}

} // namespace
} // namespace halyard

#pragma once

#include <QStringView>

namespace halyard::preference {

// A preference stored as a boolean; a stored value of any other type is ignored.
struct BoolKey {
    QStringView key;
    bool defaultValue;
};

// A preference stored as a string; with `emptyTaken` false an empty stored string is ignored.
struct StringKey {
    QStringView key;
    QStringView defaultValue;
    bool emptyTaken;
};

// A preference stored as byte data (JSON), taken when it decodes; its default lives with the
// type it decodes to.
struct DataKey {
    QStringView key;
};

// Every persisted preference with its stored type, default and read rule, in the order start-up
// reads them.
inline constexpr BoolKey botsOnly { u"filter.botsOnly", true };
inline constexpr StringKey triggerPrefix { u"filter.triggerPrefix", u"halyard:", true };
inline constexpr BoolKey snapToMenuBar { u"behavior.snapToMenuBar", true };
// Read at start: without the panel, banners, the bus and the commands are the whole program.
inline constexpr BoolKey showPanel { u"behavior.showPanel", true };
inline constexpr DataKey agingPolicy { u"aging.policy" }; // AgingPolicy's 300 / 900 / 1800 s
inline constexpr BoolKey ackBackEnabled { u"ackback.enabled", true };
inline constexpr StringKey ackBackEmoji { u"ackback.emoji", u"white_check_mark", false };
inline constexpr BoolKey notificationsEnabled { u"notifications.enabled", true };
inline constexpr BoolKey foldRepeats { u"queue.foldRepeats", true };
inline constexpr BoolKey teamSharedAckEnabled { u"teamack.enabled", true };
inline constexpr BoolKey overdueRemindersEnabled { u"notifications.overdueReminders", true };
inline constexpr BoolKey overdueReminderSound { u"notifications.overdueSound", false };
// The update version the user dismissed for good; never removed once written.
inline constexpr StringKey updateReminderDismissedVersion { u"updateReminderDismissedVersion", u"",
    false };
// When the last scheduled update check ran (ISO 8601, UTC).
inline constexpr StringKey updatesLastCheck { u"updates.lastCheck", u"", false };
// Written by the panel; read by the panel alone.
inline constexpr DataKey panelPosition { u"panel.position.v1" };

} // namespace halyard::preference

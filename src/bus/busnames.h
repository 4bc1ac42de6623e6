#pragma once

#include "queue/agingpolicy.h"
#include "settings/connectionstate.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace halyard {

// The running copy on the session bus. The interfaces as published are the XML files
// resources/com.corvane.Halyard.xml and resources/com.corvane.Halyard.Queue.xml; the adaptors'
// Q_CLASSINFO spell the interface names again, since moc needs literals, and a test holds the
// two together.
inline constexpr QStringView kBusName = u"com.corvane.Halyard";
inline constexpr QStringView kObjectPath = u"/com/corvane/Halyard";
// The remote control (new tokens, the settings window, focus) under the bus name itself.
inline constexpr QStringView kControlInterface = kBusName;
inline constexpr QStringView kQueueInterface = u"com.corvane.Halyard.Queue";
inline constexpr QStringView kUnknownAlertError = u"com.corvane.Halyard.Error.UnknownAlert";

// The queue interface's properties.
namespace queueproperty {
inline constexpr QStringView count = u"Count";
inline constexpr QStringView overdueCount = u"OverdueCount";
inline constexpr QStringView snoozedCount = u"SnoozedCount";
inline constexpr QStringView health = u"Health";
inline constexpr QStringView connectionState = u"ConnectionState";
} // namespace queueproperty

// Values as the queue interface spells them. Readers map a word back and get nothing for a word
// they do not know: another version's, or not a word at all.
QString stageWord(AgeStage stage);
QString healthWord(QueueHealth health);
std::optional<QueueHealth> healthFromWord(QStringView word);
QString connectionWord(ConnectionState::Kind kind);
std::optional<ConnectionState::Kind> connectionFromWord(QStringView word);

} // namespace halyard

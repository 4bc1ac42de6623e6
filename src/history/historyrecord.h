#pragma once

#include "queue/agingpolicy.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>

#include <optional>

Q_DECLARE_LOGGING_CATEGORY(lcHistory)

namespace halyard {

// One moment in an alert's life. Stored by name, so new kinds go anywhere; a file written by a
// newer program may hold kinds this one does not know, which reading skips.
enum class AlertEvent : quint8 {
    arrivedLive,
    arrivedCatchUp,
    ackedInPanel,
    ackedOnBanner,
    ackedOverBus,
    ackedAll,
    ackedByTeammate,
    snoozed,
    woken,
};

bool isArrival(AlertEvent event);
// Snoozed and woken mark time within a life; every other kind begins or ends one.
bool isSnoozeEvent(AlertEvent event);
QString eventName(AlertEvent event);
std::optional<AlertEvent> eventFromName(QStringView name);

// One line of the history file. Times are milliseconds since the Unix epoch. An arrival carries
// what the alert said; an acknowledgement carries who and at which stage, and the posting time
// and names again, so it stands on its own once its arrival has been trimmed away.
struct HistoryRecord {
    qint64 at = 0;
    AlertEvent event = AlertEvent::arrivedLive;
    QString alertId;
    QString channelId;
    // Names as known when the record was written; empty when not (yet) looked up.
    QString channelName;
    QString sender;
    QString senderName;
    // The first line of the message, cut.
    QString text;
    qint64 postedAt = 0;
    QString by;
    QString byName;
    std::optional<AgeStage> stage;

    // One JSON object and the line's end.
    QByteArray toLine() const;

    friend bool operator==(const HistoryRecord&, const HistoryRecord&) = default;
};

// The longest first line kept.
inline constexpr qsizetype kHistoryTextLength = 160;

// The message's first non-empty line, cut to kHistoryTextLength.
QString historyText(const QString& text);

QString stageKey(AgeStage stage);
std::optional<AgeStage> stageFromKey(QStringView name);

} // namespace halyard

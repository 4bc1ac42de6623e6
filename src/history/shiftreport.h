#pragma once

#include "history/historyrecord.h"
#include "queue/agingpolicy.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <QList>

#include <array>
#include <optional>

namespace halyard {

// One alert from arrival to acknowledgement, put together from its records.
struct AlertLife {
    QString alertId;
    QString channelId;
    QString channelName;
    QString sender;
    QString senderName;
    QString text;
    qint64 postedAt = 0;
    qint64 arrivedAt = 0;
    bool catchUp = false;
    // How often it was put aside (snoozed, or arrived during a mute).
    int snoozes = 0;
    std::optional<qint64> ackedAt;
    std::optional<AlertEvent> ackedBy;
    QString by;
    QString byName;
    std::optional<AgeStage> stage;

    // From posting to acknowledgement; never negative (clocks disagree a little).
    std::optional<qint64> timeToAck() const;
    bool byTeammate() const { return ackedBy == AlertEvent::ackedByTeammate; }

    friend bool operator==(const AlertLife&, const AlertLife&) = default;
};

// The lives in order of arrival. An acknowledgement whose arrival was trimmed away starts a life
// at its posting time; names come from the newest record that has them.
QList<AlertLife> foldLives(const QList<HistoryRecord>& records);

// The lives that arrived at `fromMs` or later, in `channel` (an id or a name, "#" optional) when
// given.
QList<AlertLife> livesSince(QList<AlertLife> lives, qint64 fromMs, const QString& channel = {});

// "12h", "7d", "30m" before `nowMs`, or a local date ("2026-12-01") or date and time
// ("2026-12-01T08:00"); absent when it is none of those.
std::optional<qint64> parseSince(QStringView text, qint64 nowMs);

// "45s", "4m 10s", "2h 5m", "3d 4h".
QString formatDuration(qint64 ms);

// What a person reads at hand-over, for the lives of one period.
struct ShiftReport {
    Q_DECLARE_TR_FUNCTIONS(halyard::ShiftReport)
public:
    struct Ranked {
        QString name;
        qsizetype count = 0;
        friend bool operator==(const Ranked&, const Ranked&) = default;
    };
    // Alerts that arrived in one hour, by the stage they had when acknowledged, and the ones
    // still waiting.
    struct Hour {
        qint64 startMs = 0;
        std::array<qsizetype, 4> acked {};
        qsizetype waiting = 0;
    };
    // Acknowledged alerts whose time to acknowledge lies in [fromMs, toMs); the last bin has no
    // end.
    struct Bin {
        qint64 fromMs = 0;
        std::optional<qint64> toMs;
        qsizetype count = 0;
    };
    static constexpr qsizetype kTopCount = 5;
    static constexpr qsizetype kBins = 12;

    qint64 fromMs = 0;
    qint64 toMs = 0;
    AgingPolicy policy;
    qsizetype alerts = 0;
    qsizetype ackedByYou = 0;
    qsizetype ackedByTeammates = 0;
    qsizetype waiting = 0;
    // Acknowledged when overdue, or waiting and overdue at `toMs`.
    qsizetype wentOverdue = 0;
    // The median (the mean of the middle two of an even count) and the 90th percentile
    // (nearest rank) of the times to acknowledge.
    std::optional<qint64> medianMs;
    std::optional<qint64> p90Ms;
    QList<Ranked> senders;
    QList<Ranked> channels;
    QList<Hour> hours;
    QList<Bin> bins;

    // `lives` are the period's (see livesSince).
    static ShiftReport compute(
        const QList<AlertLife>& lives, qint64 fromMs, qint64 toMs, const AgingPolicy& policy);

    QString toText() const;
    QString toMarkdown() const;
    QJsonObject toJson() const;
};

} // namespace halyard

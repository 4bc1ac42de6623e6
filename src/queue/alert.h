#pragma once

#include "common/jsonreader.h"

#include <QJsonObject>
#include <QMetaType>
#include <QString>
#include <QUrl>

#include <optional>

namespace halyard {

// Seconds since 2001-01-01 00:00:00 UTC. The queue file stores posting times on this scale, so
// the program keeps them on it too and converts only at the edges.
using ReferenceTime = double;

inline constexpr qint64 kUnixToReferenceOffset = 978'307'200;

ReferenceTime referenceTimeFromUnix(double unixSeconds);
ReferenceTime currentReferenceTime();

// How far ahead of the clock a posting time may lie and still be kept: clocks disagree a little,
// and such an alert simply stays fresh a while longer.
inline constexpr double kMaxClockSkewSeconds = 24 * 60 * 60;

// Whether a posting time can be shown as it is: finite, not before 2001 (the scale's zero) and
// at most kMaxClockSkewSeconds ahead of `now`. Anything else would show as an absurd age, or as
// "just now" for ever.
bool isPlausibleTime(ReferenceTime time, ReferenceTime now);

// One Slack message that passed the filter and waits for acknowledgement. Identified by `id`
// ("<channelId>:<ts>") alone; value equality compares every field.
struct Alert {
    QString id;
    QString channelId;
    QString ts;
    std::optional<QString> userId;
    QString text;
    ReferenceTime receivedAt = 0;
    std::optional<QUrl> permalink;
    // Set while the alert is snoozed: when it comes back.
    std::optional<ReferenceTime> snoozedUntil {};
    // It arrived during a mute: it comes back with the mute's summary, not a banner of its own.
    bool muted = false;

    static QString makeId(const QString& channelId, const QString& ts);

    QJsonObject toJson() const;
    // Every member must be there with its JSON type; `ts` must be in Slack's "digits.digits"
    // form. `receivedAt` is taken as stored, whatever its value.
    static json::Decoded<Alert> fromJson(const QJsonValue& value, const QString& path = {});

    friend bool operator==(const Alert&, const Alert&) = default;
};

// Orders Slack timestamps ("seconds.fraction") as the numbers they are, without the rounding
// of a double; anything that is not such a number sorts first, by its text. Negative, zero or
// positive like QString::compare.
int compareSlackTimestamps(QStringView a, QStringView b);

} // namespace halyard

Q_DECLARE_METATYPE(halyard::Alert)

#pragma once

#include "slack/events/slackevent.h"

#include <QMetaType>
#include <QSet>
#include <QString>

#include <optional>

namespace halyard {

// A message that may become an alert, with its display text already assembled.
struct MessageEvent {
    QString channelId;
    std::optional<QString> userId; // the poster's user ID, else the bot ID
    QString text;
    QString ts;
    std::optional<QString> displayUsername;
    bool isBot = false;

    // Absent for anything that is not a showable message: another event type, no channel, no
    // ts in Slack's "digits.digits" form, an ignored subtype or no text. History messages carry
    // no channel, so the caller passes the channel it asked for as the fallback.
    static std::optional<MessageEvent> fromEvent(
        const SlackEventDTO& event, const std::optional<QString>& fallbackChannelId = std::nullopt);

    // The posting time in seconds since 1970-01-01 00:00:00 UTC: the whole-second part of a ts
    // in Slack's form, or 0 for any other ts.
    double timestampDate() const;

    friend bool operator==(const MessageEvent&, const MessageEvent&) = default;
};

// Subtypes whose messages never become alerts (edits, deletions, membership and channel
// housekeeping). Every other subtype, "bot_message" included, is a plain message.
const QSet<QString>& ignoredMessageSubtypes();

} // namespace halyard

Q_DECLARE_METATYPE(halyard::MessageEvent)

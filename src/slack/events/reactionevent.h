#pragma once

#include "slack/events/slackevent.h"

#include <QMetaType>
#include <QString>

#include <optional>

namespace halyard {

// An emoji reaction added to a message.
struct ReactionEvent {
    QString userId; // who reacted
    QString reaction; // emoji name without colons
    QString channelId; // channel of the message reacted to
    QString ts; // timestamp of the message reacted to

    // Only reaction_added events on messages; reactions on files and the like are absent.
    static std::optional<ReactionEvent> fromEvent(const SlackEventDTO& event);

    friend bool operator==(const ReactionEvent&, const ReactionEvent&) = default;
};

} // namespace halyard

Q_DECLARE_METATYPE(halyard::ReactionEvent)

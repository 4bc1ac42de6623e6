#pragma once

#include "slack/events/messageevent.h"
#include "slack/events/slackevent.h"

#include <QString>

#include <optional>

namespace halyard {

// Which messages become alerts. A message that starts with the trigger prefix (compared without
// case) is kept whoever sent it, with the prefix and the whitespace around the rest removed; a
// prefix followed by nothing is not a message. Anything else is kept only from bots and apps,
// unless botsOnly is off. Absent means the message is dropped.
std::optional<MessageEvent> acceptMessage(
    MessageEvent message, bool botsOnly, const QString& triggerPrefix);

// Whether someone has already acknowledged the message in Slack: it carries the emoji (colons
// around the configured name are ignored) at least once.
bool hasAckReaction(const SlackEventDTO& message, const QString& emoji);

} // namespace halyard

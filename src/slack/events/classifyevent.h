#pragma once

#include "slack/events/messageevent.h"
#include "slack/events/reactionevent.h"
#include "slack/events/slackevent.h"

#include <optional>
#include <variant>

namespace halyard {

// What a live event turned out to be.
using ClassifiedEvent = std::variant<MessageEvent, ReactionEvent>;

// Tries a live event as a message (without a fallback channel), then as a reaction, and writes
// one debug line to the socket category saying which it was or that it was dropped.
std::optional<ClassifiedEvent> classifyEvent(const SlackEventDTO& event);

} // namespace halyard

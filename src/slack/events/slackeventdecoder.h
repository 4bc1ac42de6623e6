#pragma once

#include "slack/events/payloadreader.h"
#include "slack/events/slackevent.h"

namespace halyard::payload {

// The one schema of event payloads, for every record that carries events: Socket Mode
// envelopes, conversations.history pages and reactions.get answers. Strict about what the intake
// needs, lenient about what only feeds the display (see decodeSlackEventDTO).
Decoded<SlackEventDTO> decodeSlackEvent(Value value, const Path& path);

} // namespace halyard::payload

#pragma once

#include "slack/slackevent.h"
#include "slack/strictjsoncursor.h"

namespace halyard {

// Reads the cursor's next value as an event payload. False when the cursor gave up: the payload
// is then outside the fast path's subset (or invalid), and the general decoder must decide.
// Whenever it returns true, `event` equals what decodeSlackEventDTO gives for the same JSON.
bool readSlackEventDTO(StrictJsonCursor& cursor, SlackEventDTO& event);

} // namespace halyard

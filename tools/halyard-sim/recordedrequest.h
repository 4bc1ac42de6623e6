#pragma once

#include "sim/httprequest.h"

namespace halyard::test {

// One HTTP request as it crossed the wire to the fake Slack server, with the time it arrived.
struct RecordedRequest : sim::HttpRequest {
    qint64 receivedAtMs = 0; // on the server's monotonic clock (FakeSlack::elapsedMs())
};

} // namespace halyard::test

#pragma once

#include <QUrl>

namespace halyard {

// Whether the program may send a token to, or take its updates from, this address: https to any
// host, or plain http only to this computer (the simulator and the tests), where nothing can read
// or change the traffic on the way.
bool isTrustedEndpoint(const QUrl& url);

} // namespace halyard

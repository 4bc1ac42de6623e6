#pragma once

#include <functional>
#include <optional>

namespace halyard {

// Lets exactly one of a pong, a failed ping and the pong timer decide a heartbeat round; later
// calls are ignored. All three arrive on the main thread's event loop, so no lock is needed.
class PongGate {
public:
    // Registers where the outcome goes when it is decided. Returns the outcome instead, without
    // calling `continuation`, when it is already known. One continuation per gate.
    std::optional<bool> onFinished(std::function<void(bool)> continuation);

    // Returns true for the call that decided.
    bool finish(bool pongArrived);

private:
    std::optional<bool> m_outcome;
    std::function<void(bool)> m_continuation;
};

} // namespace halyard

#include "slack/socket/ponggate.h"

#include <utility>

namespace halyard {

std::optional<bool> PongGate::onFinished(std::function<void(bool)> continuation)
{
    if (!m_outcome)
        m_continuation = std::move(continuation);
    return m_outcome;
}

bool PongGate::finish(bool pongArrived)
{
    if (m_outcome)
        return false;
    m_outcome = pongArrived;
    // Taken out first: the continuation may resume a coroutine that destroys this gate.
    if (auto continuation = std::exchange(m_continuation, {}))
        continuation(pongArrived);
    return true;
}

} // namespace halyard

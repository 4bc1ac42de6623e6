#include "slack/socket/ponggate.h"

namespace halyard {

std::optional<bool> PongGate::onFinished(std::function<void(bool)> continuation)
{
    QMutexLocker lock(&m_lock);
    if (!m_outcome)
        m_continuation = std::move(continuation);
    return m_outcome;
}

bool PongGate::finish(bool pongArrived)
{
    std::function<void(bool)> continuation;
    {
        QMutexLocker lock(&m_lock);
        if (m_done)
            return false;
        m_done = true;
        m_outcome = pongArrived;
        continuation = std::move(m_continuation);
    }
    if (continuation)
        continuation(pongArrived);
    return true;
}

} // namespace halyard

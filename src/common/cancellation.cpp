#include "common/cancellation.h"

#include <QTimer>

#include <atomic>
#include <coroutine>

namespace halyard {

namespace detail {

// The flag that sources and tokens share. A QObject only so that interested parties can be
// told through a queued signal in their own thread.
class CancellationState : public QObject {
    Q_OBJECT
public:
    bool isCancelled() const { return m_cancelled.load(std::memory_order_acquire); }

    void cancel()
    {
        if (m_cancelled.exchange(true, std::memory_order_acq_rel))
            return;
        emit cancelled();
    }

signals:
    void cancelled();

private:
    std::atomic<bool> m_cancelled { false };
};

} // namespace detail

CancellationToken::CancellationToken(std::shared_ptr<detail::CancellationState> state)
    : m_state(std::move(state))
{
}

bool CancellationToken::isCancelled() const
{
    return m_state && m_state->isCancelled();
}

QMetaObject::Connection CancellationToken::onCancelled(
    const QObject* context, std::function<void()> fn) const
{
    if (!m_state || !context)
        return {};
    // A cancel() from another thread can land between connecting and the check below, so both
    // paths may fire; the shared flag lets only the first one through.
    auto once = std::make_shared<std::atomic<bool>>(false);
    auto call = [fn = std::move(fn), once] {
        if (!once->exchange(true))
            fn();
    };
    auto connection = QObject::connect(
        m_state.get(), &detail::CancellationState::cancelled, context, call, Qt::QueuedConnection);
    if (m_state->isCancelled()) {
        QObject::disconnect(connection);
        QMetaObject::invokeMethod(const_cast<QObject*>(context), call, Qt::QueuedConnection);
        return {};
    }
    return connection;
}

CancellationSource::CancellationSource()
    : m_state(std::make_shared<detail::CancellationState>())
{
}

CancellationToken CancellationSource::token() const
{
    return CancellationToken(m_state);
}

void CancellationSource::cancel()
{
    m_state->cancel();
}

bool CancellationSource::isCancelled() const
{
    return m_state->isCancelled();
}

namespace {

// Suspends until the timer fires or the token is cancelled, whichever comes first. The state
// both paths share lives in a shared block, so a late queued cancellation finds it done instead
// of touching a finished coroutine frame. The timer goes with deleteLater() because the
// coroutine resumes from inside its signal.
class CancellableSleep {
public:
    CancellableSleep(std::chrono::milliseconds duration, CancellationToken token)
        : m_duration(duration)
        , m_token(std::move(token))
    {
    }

    bool await_ready() const noexcept { return m_token.isCancelled(); }

    void await_suspend(std::coroutine_handle<> awaiting)
    {
        m_shared->awaiting = awaiting;
        auto* timer = new QTimer;
        m_shared->timer = timer;
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        const auto shared = m_shared;
        QObject::connect(timer, &QTimer::timeout, timer, [shared] { resume(shared, false); });
        m_token.onCancelled(timer, [shared] { resume(shared, true); });
        timer->start(std::max(m_duration, std::chrono::milliseconds::zero()));
    }

    bool await_resume() const noexcept { return !m_shared->cancelled && !m_token.isCancelled(); }

private:
    struct Shared {
        std::coroutine_handle<> awaiting;
        QTimer* timer = nullptr;
        bool done = false;
        bool cancelled = false;
    };

    static void resume(const std::shared_ptr<Shared>& shared, bool cancelled)
    {
        if (shared->done)
            return;
        shared->done = true;
        shared->cancelled = cancelled;
        shared->timer->stop();
        shared->timer->deleteLater();
        shared->awaiting.resume();
    }

    std::chrono::milliseconds m_duration;
    CancellationToken m_token;
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
};

} // namespace

QCoro::Task<bool> sleepFor(std::chrono::milliseconds duration, CancellationToken token)
{
    co_return co_await CancellableSleep(duration, std::move(token));
}

} // namespace halyard

#include "cancellation.moc"

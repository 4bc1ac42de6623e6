#include "slack/webapi/requestpipe.h"

#include "common/logging.h"
#include "common/servertext.h"

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// Slack's published tiers: Tier 1 allows 1+ calls a minute, Tier 2 20+, Tier 3 50+, Tier 4 100+,
// each with small bursts tolerated.
constexpr RateBudget kTier1 { 1, 5 };
constexpr RateBudget kTier2 { 20, 20 };
constexpr RateBudget kTier3 { 50, 50 };
constexpr RateBudget kTier4 { 100, 100 };

} // namespace

RequestPipe::RequestPipe(PipeLimits limits)
    : m_limits(limits)
{
    m_limits.maxInFlight = std::max(1, m_limits.maxInFlight);
    m_limits.minute = std::max(m_limits.minute, std::chrono::milliseconds(1));
    m_clock.start();
    m_wake.setSingleShot(true);
    m_wake.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_wake, &QTimer::timeout, &m_context, [this] { pump(); });
}

RequestPipe::~RequestPipe() = default;

RateBudget RequestPipe::budgetOf(const QString& apiMethod)
{
    if (apiMethod == u"apps.connections.open")
        return kTier1;
    if (apiMethod == u"users.conversations")
        return kTier2;
    if (apiMethod == u"users.info" || apiMethod == u"auth.test")
        return kTier4;
    return kTier3; // reactions.add, reactions.get, conversations.*, bots.info
}

RequestPriority RequestPipe::priorityOf(const QString& apiMethod)
{
    if (apiMethod == u"apps.connections.open" || apiMethod == u"auth.test"
        || apiMethod == u"users.conversations")
        return RequestPriority::connection;
    if (apiMethod == u"reactions.add")
        return RequestPriority::ack;
    if (apiMethod == u"conversations.history" || apiMethod == u"reactions.get")
        return RequestPriority::catchUp;
    return RequestPriority::lookup;
}

int RequestPipe::slotsFor(RequestPriority priority) const
{
    // Look-ups and catch-up keep places free for the connection and the Acks, so requests to a
    // server that stalls one method never hold up the ones that matter most.
    const int reserved = priority == RequestPriority::lookup ? 2
        : priority == RequestPriority::catchUp               ? 1
                                                             : 0;
    return std::max(1, m_limits.maxInFlight - reserved);
}

RequestPipe::Slot::~Slot()
{
    if (m_pipe)
        m_pipe->release();
}

RequestPipe::Admission RequestPipe::admit(QString apiMethod, CancellationToken cancel)
{
    return Admission(shared_from_this(), std::move(apiMethod), std::move(cancel));
}

RequestPipe::MethodState& RequestPipe::method(const QString& apiMethod)
{
    auto it = m_methods.find(apiMethod);
    if (it == m_methods.end()) {
        MethodState state;
        state.budget = budgetOf(apiMethod);
        state.tokens = state.budget.burst;
        state.refilledAtMs = m_clock.elapsed();
        it = m_methods.insert(apiMethod, state);
    }
    return *it;
}

double RequestPipe::perMs(const MethodState& state) const
{
    return state.budget.perMinute / double(m_limits.minute.count());
}

void RequestPipe::refill(MethodState& state, qint64 nowMs) const
{
    state.tokens = std::min(
        state.budget.burst, state.tokens + double(nowMs - state.refilledAtMs) * perMs(state));
    state.refilledAtMs = nowMs;
}

qint64 RequestPipe::blockedFor(MethodState& state, qint64 nowMs) const
{
    if (state.restUntilMs > nowMs)
        return state.restUntilMs - nowMs;
    refill(state, nowMs);
    if (state.tokens >= 1.0)
        return 0;
    return std::max<qint64>(1, qint64(std::ceil((1.0 - state.tokens) / perMs(state))));
}

qint64 RequestPipe::take(const QString& apiMethod, RequestPriority priority, qint64 nowMs)
{
    // No wait is due while the places are taken: the next release looks again.
    if (m_inFlight >= slotsFor(priority))
        return 0;
    MethodState& state = method(apiMethod);
    if (const qint64 wait = blockedFor(state, nowMs); wait > 0)
        return wait;
    state.tokens -= 1.0;
    ++m_inFlight;
    return -1;
}

void RequestPipe::rest(const QString& apiMethod, std::chrono::milliseconds pause)
{
    MethodState& state = method(apiMethod);
    const qint64 now = m_clock.elapsed();
    const qint64 until = now + qint64(pause.count());
    if (until <= state.restUntilMs)
        return;
    if (state.restUntilMs <= now) {
        qCInfo(lcSlack, "Slack limits the rate of %s; holding it back for %.1fs",
            qUtf8Printable(logCut(apiMethod)), double(pause.count()) / 1000.0);
    }
    state.restUntilMs = until;
    pump();
}

void RequestPipe::release()
{
    --m_inFlight;
    pump();
}

void RequestPipe::pump()
{
    const qint64 now = m_clock.elapsed();
    qint64 nextWake = -1;
    for (qsizetype i = 0; i < m_waiting.size() && m_inFlight < m_limits.maxInFlight;) {
        if (const qint64 wait = take(m_waiting[i].method, m_waiting[i].priority, now); wait >= 0) {
            if (wait > 0)
                nextWake = nextWake < 0 ? wait : std::min(nextWake, wait);
            ++i;
            continue;
        }
        Waiter waiter = m_waiting.takeAt(i);
        QObject::disconnect(waiter.cancelConnection);
        *waiter.granted = true;
        // Resumed from the event loop: the caller of pump() may be a call that is finishing.
        QMetaObject::invokeMethod(
            &m_context, [handle = waiter.handle] { handle.resume(); }, Qt::QueuedConnection);
    }
    if (nextWake >= 0 && m_inFlight < m_limits.maxInFlight)
        m_wake.start(int(std::min<qint64>(nextWake, std::numeric_limits<int>::max())));
    else
        m_wake.stop();
}

void RequestPipe::cancelWaiter(quint64 order)
{
    const auto it = std::ranges::find(m_waiting, order, &Waiter::order);
    if (it == m_waiting.end())
        return;
    const std::coroutine_handle<> handle = it->handle;
    m_waiting.erase(it);
    QMetaObject::invokeMethod(
        &m_context, [handle] { handle.resume(); }, Qt::QueuedConnection);
    pump();
}

bool RequestPipe::Admission::await_ready()
{
    if (m_cancel.isCancelled())
        return true;
    RequestPipe& pipe = *m_pipe;
    // Only when nobody waits: a waiting call of the same urgency came first.
    if (!pipe.m_waiting.isEmpty()
        || pipe.take(m_method, priorityOf(m_method), pipe.m_clock.elapsed()) >= 0)
        return false;
    m_granted = true;
    return true;
}

void RequestPipe::Admission::await_suspend(std::coroutine_handle<> handle)
{
    RequestPipe& pipe = *m_pipe;
    Waiter waiter { priorityOf(m_method), pipe.m_nextOrder++, m_method, handle, &m_granted, {} };
    const quint64 order = waiter.order;
    waiter.cancelConnection
        = m_cancel.onCancelled(&pipe.m_context, [weak = m_pipe->weak_from_this(), order] {
              if (const auto alive = weak.lock())
                  alive->cancelWaiter(order);
          });
    const auto at
        = std::ranges::upper_bound(pipe.m_waiting, waiter.priority, {}, &Waiter::priority);
    pipe.m_waiting.insert(at, std::move(waiter));
    pipe.pump();
}

RequestPipe::Slot RequestPipe::Admission::await_resume()
{
    if (!m_granted)
        return Slot();
    return Slot(m_pipe);
}

} // namespace halyard

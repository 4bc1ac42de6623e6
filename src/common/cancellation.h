#pragma once

#include <QCoroTask>
#include <QMetaObject>
#include <QObject>
#include <QPointer>

#include <chrono>
#include <functional>
#include <memory>

namespace halyard {

namespace detail {
class CancellationState;
}

// The read side of a cancellation: cheap to copy, handed to every task that should stop when
// its owner says so. A default-constructed token is never cancelled.
//
// Tasks check isCancelled() after each co_await, sleep with sleepFor() below, and tie anything
// in flight (a QNetworkReply, a QWebSocket) to the token with abortOnCancel().
class CancellationToken {
public:
    CancellationToken() = default;

    bool isCancelled() const;

    // Runs fn once, from the event loop of context's thread, when the token is cancelled (on
    // the next turn of that loop when it already is). Never runs inside cancel() itself, so the
    // caller of cancel() is not re-entered. Nothing runs when context is gone by then, or when
    // the returned connection was disconnected before the cancellation. The registration lasts
    // as long as context (or the shared flag), so tie it to a short-lived object where possible.
    QMetaObject::Connection onCancelled(const QObject* context, std::function<void()> fn) const;

private:
    friend class CancellationSource;
    explicit CancellationToken(std::shared_ptr<detail::CancellationState> state);

    std::shared_ptr<detail::CancellationState> m_state;
};

// The write side: whoever starts a task keeps the source and cancels it to stop the task.
// Copies share one flag. cancel() may be called from any thread and more than once.
class CancellationSource {
public:
    CancellationSource();

    CancellationToken token() const;
    void cancel();
    bool isCancelled() const;

private:
    std::shared_ptr<detail::CancellationState> m_state;
};

// Sleeps for the duration unless the token is cancelled first. Returns true after the full
// sleep, false when cancelled (at once, without waiting for the timer). Uses a precise timer,
// so a sleep does not end early.
QCoro::Task<bool> sleepFor(std::chrono::milliseconds duration, CancellationToken token);

// Aborts an in-flight operation (QNetworkReply, QWebSocket, anything with abort()) when the
// token is cancelled. The object is only aborted, never deleted: a coroutine awaiting its
// finished signal then resumes normally and can tell the abort from other failures by asking
// the token. Nothing happens once the object is gone.
template <typename Abortable>
QMetaObject::Connection abortOnCancel(Abortable* object, const CancellationToken& token)
{
    QPointer<Abortable> guard(object);
    return token.onCancelled(object, [guard] {
        if (guard)
            guard->abort();
    });
}

} // namespace halyard

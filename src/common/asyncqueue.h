#pragma once

#include <QTimer>

#include <coroutine>
#include <deque>
#include <memory>
#include <optional>

namespace halyard {

// An unbounded queue with one consumer that awaits the next item:
//
//     while (auto item = co_await queue.next()) { ... }
//
// next() yields std::nullopt once the queue is finished and every buffered item was taken.
// Pushing never blocks and never drops. A waiting consumer is resumed from the event loop, not
// inside push(), so producers are never re-entered by the consumer's work. The state is shared
// with a suspended consumer, so destroying the queue finishes it safely.
template <typename T> class AsyncQueue {
    struct State : std::enable_shared_from_this<State> {
        std::deque<T> items;
        bool finished = false;
        std::coroutine_handle<> waiter;
    };

public:
    // Holds the state by plain pointer. The state is alive whenever the awaiter is used: next()
    // is called on a live queue, and a posted resumption holds its own reference.
    class Awaiter {
    public:
        explicit Awaiter(State* state)
            : m_state(state)
        {
        }
        // Always through the event loop, even with items buffered, so a consumer that works
        // through a burst never keeps the loop (and the sockets it serves) waiting.
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> handle)
        {
            m_state->waiter = handle;
            if (!m_state->items.empty() || m_state->finished)
                wake(*m_state);
        }
        std::optional<T> await_resume() { return takeFront(*m_state); }

    private:
        State* m_state;
    };

    AsyncQueue() = default;
    AsyncQueue(const AsyncQueue&) = delete;
    AsyncQueue& operator=(const AsyncQueue&) = delete;
    ~AsyncQueue() { finish(); }

    // False (and the item dropped) only after finish().
    bool push(T item)
    {
        if (m_state->finished)
            return false;
        m_state->items.push_back(std::move(item));
        wake(*m_state);
        return true;
    }

    void finish()
    {
        if (m_state->finished)
            return;
        m_state->finished = true;
        wake(*m_state);
    }

    // The next buffered item without waiting, for a producer that is being torn down.
    std::optional<T> tryTake() { return takeFront(*m_state); }

    bool isFinished() const { return m_state->finished; }
    std::size_t buffered() const { return m_state->items.size(); }

    Awaiter next() const { return Awaiter(m_state.get()); }

private:
    static std::optional<T> takeFront(State& state)
    {
        if (state.items.empty())
            return std::nullopt;
        std::optional<T> item(std::move(state.items.front()));
        state.items.pop_front();
        return item;
    }

    static void wake(State& state)
    {
        auto handle = std::exchange(state.waiter, {});
        if (!handle)
            return;
        // The state travels along so a consumer resumed after the queue died finds it intact.
        QTimer::singleShot(0, [handle, keep = state.shared_from_this()] { handle.resume(); });
    }

    std::shared_ptr<State> m_state = std::make_shared<State>();
};

} // namespace halyard

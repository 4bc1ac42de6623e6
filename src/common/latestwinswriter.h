#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace halyard {

// A thread that writes the newest state handed to it, so the caller never waits for the disk.
// Writes happen in order; when several states wait, only the newest is written, since each is
// complete. Destruction writes what is still waiting, then stops.
template <typename State> class LatestWinsWriter {
public:
    // `write` runs on the writer thread, one state at a time.
    explicit LatestWinsWriter(std::function<void(const State&)> write)
        : m_write(std::move(write))
        , m_thread([this] { run(); })
    {
    }

    ~LatestWinsWriter()
    {
        {
            std::unique_lock lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

    LatestWinsWriter(const LatestWinsWriter&) = delete;
    LatestWinsWriter& operator=(const LatestWinsWriter&) = delete;

    void submit(State state)
    {
        {
            std::unique_lock lock(m_mutex);
            m_pending = std::move(state);
        }
        m_wake.notify_all();
    }

    // Waits until every state handed over so far is written (or failed).
    void flush()
    {
        std::unique_lock lock(m_mutex);
        m_idle.wait(lock, [this] { return !m_pending && !m_writing; });
    }

    // Whether a state is still waiting or being written.
    bool busy()
    {
        std::unique_lock lock(m_mutex);
        return m_pending || m_writing;
    }

private:
    void run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_pending || m_stopping; });
            if (!m_pending)
                return; // stopping with nothing left to write
            State state = std::move(*m_pending);
            m_pending.reset();
            m_writing = true;
            lock.unlock();
            m_write(state);
            lock.lock();
            m_writing = false;
            m_idle.notify_all();
        }
    }

    const std::function<void(const State&)> m_write;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<State> m_pending;
    bool m_writing = false;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace halyard

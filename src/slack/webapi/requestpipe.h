#pragma once

#include "common/cancellation.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <coroutine>
#include <memory>

namespace halyard {

// Which calls go first when several wait: the connection's own calls, then the user's Acks,
// then catching up, then names. Lower values go first.
enum class RequestPriority { connection, ack, catchUp, lookup };

// What one Web API method may send: `perMinute` calls a minute on average, of which up to `burst`
// may go at once after a quiet spell (a token bucket).
struct RateBudget {
    double perMinute = 50;
    double burst = 50;
};

struct PipeLimits {
    // Qt opens six connections per host; more requests in flight would wait inside Qt, where
    // their deadline already runs.
    int maxInFlight = 6;
    // What a minute of the rate budgets lasts here; benchmarks shrink it.
    std::chrono::milliseconds minute { 60'000 };
};

// The one line every Web API call waits in. A call is admitted when a connection is free
// (look-ups leave two and catch-up one to the more urgent calls) and its method has budget left
// and is not resting after a 429; among the calls that could go, the most urgent goes first, and
// calls of equal urgency go in the order they came. A method's rest holds only that method back.
// Main thread only; shared by the calls it admits, so it lives as long as the last of them.
class RequestPipe : public std::enable_shared_from_this<RequestPipe> {
public:
    explicit RequestPipe(PipeLimits limits = {});
    ~RequestPipe();
    RequestPipe(const RequestPipe&) = delete;
    RequestPipe& operator=(const RequestPipe&) = delete;

    // A place on the wire, given back when it goes out of scope.
    class Slot {
    public:
        Slot() = default;
        Slot(Slot&& other) noexcept
            : m_pipe(std::move(other.m_pipe))
        {
        }
        Slot& operator=(Slot&&) = delete;
        ~Slot();
        explicit operator bool() const { return m_pipe != nullptr; }

    private:
        friend class RequestPipe;
        explicit Slot(std::shared_ptr<RequestPipe> pipe)
            : m_pipe(std::move(pipe))
        {
        }
        std::shared_ptr<RequestPipe> m_pipe;
    };

    class Admission;
    // Waits for the call's turn; an empty slot when the token is cancelled first.
    Admission admit(QString apiMethod, CancellationToken cancel);

    // Holds the method back for `pause` from now (a 429's Retry-After). Logs once per rest.
    void rest(const QString& apiMethod, std::chrono::milliseconds pause);

private:
    struct Waiter {
        RequestPriority priority;
        quint64 order;
        QString method;
        std::coroutine_handle<> handle;
        bool* granted;
        QMetaObject::Connection cancelConnection;
    };
    struct MethodState {
        RateBudget budget;
        double tokens = 0;
        qint64 refilledAtMs = 0;
        qint64 restUntilMs = 0;
    };

    // Slack's published tier of each method the program uses, with room for its bursts.
    static RateBudget budgetOf(const QString& apiMethod);
    static RequestPriority priorityOf(const QString& apiMethod);

    MethodState& method(const QString& apiMethod);
    // How many requests may be in flight for a call of this urgency to go.
    int slotsFor(RequestPriority priority) const;
    double perMs(const MethodState& state) const;
    void refill(MethodState& state, qint64 nowMs) const;
    // Milliseconds until the method may send again; 0 when it may now.
    qint64 blockedFor(MethodState& state, qint64 nowMs) const;
    // Takes a place and a token for the call: -1 when it may go now, else the milliseconds
    // until its method may send again (0 when only a place is missing).
    qint64 take(const QString& apiMethod, RequestPriority priority, qint64 nowMs);
    void release();
    void pump();
    void cancelWaiter(quint64 order);

    PipeLimits m_limits;
    QElapsedTimer m_clock;
    QHash<QString, MethodState> m_methods;
    QList<Waiter> m_waiting;
    QTimer m_wake;
    // A plain object for the queued resumptions and cancellations, so none outlives the pipe.
    QObject m_context;
    quint64 m_nextOrder = 0;
    int m_inFlight = 0;

    friend class Admission;
};

class RequestPipe::Admission {
public:
    Admission(std::shared_ptr<RequestPipe> pipe, QString apiMethod, CancellationToken cancel)
        : m_pipe(std::move(pipe))
        , m_method(std::move(apiMethod))
        , m_cancel(std::move(cancel))
    {
    }
    bool await_ready();
    void await_suspend(std::coroutine_handle<> handle);
    Slot await_resume();

private:
    std::shared_ptr<RequestPipe> m_pipe;
    QString m_method;
    CancellationToken m_cancel;
    bool m_granted = false;
};

} // namespace halyard

#include "common/wallclockwatch.h"

#include "common/logging.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <sys/timerfd.h>
#include <unistd.h>

namespace halyard {

WallClockWatch::WallClockWatch(QObject* parent)
    : QObject(parent)
    , m_fd(::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC))
{
    if (m_fd < 0 || !arm()) {
        qCWarning(lcApp, "Cannot watch the wall clock (%s); a clock change is noticed late",
            std::strerror(errno));
        return;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &WallClockWatch::onReadable);
}

WallClockWatch::~WallClockWatch()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

bool WallClockWatch::arm()
{
    // A timer that never expires by itself: only setting the clock ends its wait.
    itimerspec never {};
    never.it_value.tv_sec = std::numeric_limits<time_t>::max();
    return ::timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &never, nullptr)
        == 0;
}

void WallClockWatch::onReadable()
{
    std::uint64_t expirations = 0;
    const ssize_t got = ::read(m_fd, &expirations, sizeof expirations);
    // ECANCELED is the clock being set; an expiry is a clock set past the end of time.
    if (got < 0 && errno == EAGAIN)
        return;
    if (!arm()) {
        qCWarning(lcApp, "Stopped watching the wall clock (%s)", std::strerror(errno));
        m_notifier->setEnabled(false);
    }
    emit clockChanged();
}

} // namespace halyard

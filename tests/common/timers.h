#pragma once

#include <QCoreApplication>
#include <QTimer>

#include <chrono>

namespace halyard::test {

// Runs the event loop until every precise timer of at most `duration` started before this call
// has fired, with what it did at once (0: until every event posted before it was handled). Qt
// fires timers by deadline, and equal ones in the order they started, so a test can show that a
// timer has not done something without guessing how fast the machine is.
inline void outlastTimers(std::chrono::milliseconds duration)
{
    bool fired = false;
    QTimer::singleShot(duration, Qt::PreciseTimer, [&fired] { fired = true; });
    while (!fired)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace halyard::test

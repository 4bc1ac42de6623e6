#pragma once

#include "queue/alert.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

namespace halyard {

class AlertStore;
class WallClockWatch;

// "90s", "15m", "1h", "2d": a snooze or mute length in seconds; absent for anything else, zero
// and lengths past a year included.
std::optional<qint64> parseSnoozeDuration(QStringView text);

// 9:00 local time on the next working day (Monday to Friday) after `now`.
QDateTime nextWorkingMorning(const QDateTime& now);

// Wakes the store's snoozed alerts when their wall-clock time comes. Timers run on the monotonic
// clock, which stands still in a suspend and ignores a clock being set, so the wait is worked
// out again whenever the wall clock is set or the machine resumes, and never waits longer than
// kLongestWaitMs at a time.
class SnoozeTimer : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<ReferenceTime()>;

    // The store must outlive the timer.
    explicit SnoozeTimer(
        AlertStore& store, Clock clock = currentReferenceTime, QObject* parent = nullptr);
    ~SnoozeTimer() override;

    // Wakes what is due now and waits for the next wake time.
    void recheck();

    static constexpr int kLongestWaitMs = 60 * 1000;

private:
    AlertStore& m_store;
    Clock m_clock;
    QTimer m_timer;
    WallClockWatch* m_watch;
};

} // namespace halyard

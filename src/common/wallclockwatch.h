#pragma once

#include <QObject>

class QSocketNotifier;

namespace halyard {

// Tells when the wall clock was set: by hand, by a time daemon stepping it, or on resume from a
// suspend. Timers run on the monotonic clock, which does none of that, so whatever waits for a
// wall-clock time looks again when this fires. Linux's timerfd with TFD_TIMER_CANCEL_ON_SET does
// the watching, without waking the program otherwise; where it cannot be had, nothing is reported.
class WallClockWatch : public QObject {
    Q_OBJECT
public:
    explicit WallClockWatch(QObject* parent = nullptr);
    ~WallClockWatch() override;

    WallClockWatch(const WallClockWatch&) = delete;
    WallClockWatch& operator=(const WallClockWatch&) = delete;

signals:
    void clockChanged();

private:
    bool arm();
    void onReadable();

    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace halyard

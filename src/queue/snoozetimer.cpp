#include "queue/snoozetimer.h"

#include "common/wallclockwatch.h"
#include "queue/alertstore.h"

#include <QTimeZone>

#include <algorithm>
#include <cmath>

namespace halyard {

std::optional<qint64> parseSnoozeDuration(QStringView text)
{
    constexpr qint64 kLongest = 365LL * 24 * 60 * 60;
    if (text.size() < 2 || text.size() > 12)
        return std::nullopt;
    qint64 unit = 0;
    switch (text.back().unicode()) {
    case u's':
        unit = 1;
        break;
    case u'm':
        unit = 60;
        break;
    case u'h':
        unit = 60 * 60;
        break;
    case u'd':
        unit = 24 * 60 * 60;
        break;
    default:
        return std::nullopt;
    }
    const QStringView digits = text.first(text.size() - 1);
    if (!std::ranges::all_of(digits, [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    bool ok = false;
    const qint64 count = digits.toLongLong(&ok);
    if (!ok || count <= 0 || count > kLongest / unit)
        return std::nullopt;
    return count * unit;
}

QDateTime nextWorkingMorning(const QDateTime& now)
{
    QDate day = now.date().addDays(1);
    while (day.dayOfWeek() > 5)
        day = day.addDays(1);
    return QDateTime(day, QTime(9, 0), now.timeZone());
}

SnoozeTimer::SnoozeTimer(AlertStore& store, Clock clock, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_clock(std::move(clock))
    , m_watch(new WallClockWatch(this))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SnoozeTimer::recheck);
    connect(m_watch, &WallClockWatch::clockChanged, this, &SnoozeTimer::recheck);
    connect(&store, &AlertStore::snoozedChanged, this, [this] {
        // After the change has settled: waking inside the store's own call would nest.
        QTimer::singleShot(0, this, &SnoozeTimer::recheck);
    });
    recheck();
}

SnoozeTimer::~SnoozeTimer() = default;

void SnoozeTimer::recheck()
{
    m_store.wakeDue(m_clock());
    m_timer.stop();
    const auto next = m_store.nextWake();
    if (!next)
        return;
    const double waitMs = std::ceil((*next - m_clock()) * 1000);
    m_timer.start(int(std::clamp<double>(waitMs, 0, kLongestWaitMs)));
}

} // namespace halyard

#include "slack/intake/overduereminder.h"

#include "common/logging.h"
#include "queue/alertstore.h"
#include "settings/settingsstore.h"
#include "slack/directory/slackdirectory.h"
#include "slack/intake/bannerposter.h"
#include "slack/intake/messageintake.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// The first alert posted after `time`.
QList<Alert>::const_iterator firstAfter(const QList<Alert>& alerts, ReferenceTime time)
{
    return std::ranges::upper_bound(alerts, time, std::less<> {}, &Alert::receivedAt);
}

} // namespace

OverdueReminder::OverdueReminder(AlertStore& store, const SettingsStore& settings,
    const SlackDirectory& directory, BannerPoster& banners, OverdueReminderTimings timings,
    QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_settings(settings)
    , m_directory(directory)
    , m_banners(banners)
    , m_timings(timings)
{
    m_next.setSingleShot(true);
    m_next.setTimerType(Qt::PreciseTimer);
    connect(&m_next, &QTimer::timeout, this, &OverdueReminder::recheck);
    connect(&m_wallClock, &WallClockWatch::clockChanged, this, &OverdueReminder::recheck);
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(m_timings.catchUpQuiet);
    connect(&m_quiet, &QTimer::timeout, this, &OverdueReminder::postSummary);
    m_burst.setSingleShot(true);
    m_burst.setInterval(m_timings.burstWindow);
    connect(&m_burst, &QTimer::timeout, this, &OverdueReminder::postCrossed);
    connect(&store, &AlertStore::alertsChanged, this, &OverdueReminder::onAlertsChanged);
    connect(&store, &AlertStore::agingPolicyChanged, this, &OverdueReminder::onAgingPolicyChanged);

    // What the queue file brought back overdue went overdue while the program was not running.
    m_mark = m_timings.clock() - threshold();
    const QList<Alert>& alerts = m_store.alerts();
    for (auto alert = alerts.cbegin(), end = firstAfter(alerts, m_mark); alert != end; ++alert)
        gatherForSummary(alert->id);
    arm();
}

QString OverdueReminder::summaryTitle(qsizetype count, double thresholdSeconds)
{
    const qint64 minutes = std::llround(thresholdSeconds / 60);
    const QString threshold
        = minutes == 1 ? tr("1 minute") : tr("%1 minutes").arg(QLocale().toString(minutes));
    return count == 1 ? tr("1 alert waited over %1 while Halyard was away").arg(threshold)
                      : tr("%1 alerts waited over %2 while Halyard was away")
                            .arg(QLocale().toString(qint64(count)), threshold);
}

double OverdueReminder::threshold() const
{
    // Never overdue for a policy without a number.
    const double seconds = m_store.agingPolicy().staleUntil;
    return std::isnan(seconds) ? std::numeric_limits<double>::infinity() : seconds;
}

bool OverdueReminder::remindersOn() const
{
    return m_settings.notificationsEnabled() && m_settings.overdueRemindersEnabled();
}

void OverdueReminder::onAlertsChanged(const AlertChanges& changes)
{
    // Inserted alerts that are overdue already arrived that way. Rows before firstRow are
    // untouched, and live alerts are the newest, so this looks at next to nothing unless a
    // catch-up brought in old messages.
    QSet<QString> arrived;
    if (!changes.inserted.isEmpty()) {
        const QList<Alert>& alerts = m_store.alerts();
        const auto end = firstAfter(alerts, m_timings.clock() - threshold());
        for (auto alert = alerts.cbegin() + std::min(changes.firstRow, alerts.size()); alert < end;
             ++alert) {
            if (changes.inserted.contains(alert->id)) {
                arrived.insert(alert->id);
                gatherForSummary(alert->id);
            }
        }
    }
    catchUp(arrived);
    arm();
}

void OverdueReminder::onAgingPolicyChanged()
{
    // A shorter threshold makes many alerts overdue at once, unseen by nobody: no banners. A
    // longer one does not make the reminded ones due a second time.
    m_mark = std::max(m_mark, m_timings.clock() - threshold());
    arm();
}

void OverdueReminder::recheck()
{
    // Alerts taken in since the last announcement are announced first, so one that arrives
    // overdue is known as such before the crossing alerts are looked at.
    m_store.announceChanges();
    catchUp({});
    arm();
}

void OverdueReminder::catchUp(const QSet<QString>& arrived)
{
    const ReferenceTime now = m_timings.clock();
    const ReferenceTime mark = now - threshold();
    if (!(mark > m_mark))
        return;
    const QList<Alert>& alerts = m_store.alerts();
    const double lateBy = std::chrono::duration<double>(m_timings.lateBy).count();
    for (auto alert = firstAfter(alerts, m_mark), end = firstAfter(alerts, mark); alert != end;
         ++alert) {
        if (arrived.contains(alert->id))
            continue;
        if (mark - alert->receivedAt > lateBy) {
            gatherForSummary(alert->id);
            continue;
        }
        if (!remindersOn())
            continue;
        m_crossed.append({ *alert, m_settings.overdueReminderSound() });
        if (!m_burst.isActive())
            m_burst.start();
    }
    m_mark = mark;
}

void OverdueReminder::postCrossed()
{
    QList<Crossed> crossed = std::exchange(m_crossed, {});
    // One acknowledged while the burst was counted needs no reminder.
    crossed.removeIf([this](const Crossed& c) { return !m_store.contains(c.alert.id); });
    if (crossed.size() > kMaxSeparateReminders) {
        const auto count = int(crossed.size());
        qCInfo(lcAlerts, "Overdue reminder: %d alerts at once", count);
        m_banners.postReminder(QString(), tr("%n alerts are overdue", "", count), QString(),
            std::ranges::any_of(crossed, &Crossed::sound));
        return;
    }
    for (const auto& [alert, sound] : std::as_const(crossed)) {
        const QString channel = m_directory.channelName(alert.channelId).value_or(alert.channelId);
        qCInfo(lcAlerts, "Overdue reminder: %s", qUtf8Printable(alert.id));
        m_banners.postReminder(alert.id, tr("Overdue: %1").arg(u'#' + channel),
            MessageIntake::bannerBody(alert.text, m_directory), sound);
    }
}

void OverdueReminder::arm()
{
    const QList<Alert>& alerts = m_store.alerts();
    const auto next = firstAfter(alerts, m_mark);
    const double dueIn = next == alerts.cend() ? std::numeric_limits<double>::infinity()
                                               : next->receivedAt + threshold() - m_timings.clock();
    if (!std::isfinite(dueIn)) {
        m_next.stop();
        return;
    }
    // Rounded up: a timer that fires a hair early finds nothing and comes back.
    const double ms
        = std::ceil(std::clamp(dueIn * 1000, 0.0, double(std::numeric_limits<int>::max())));
    m_next.start(int(ms));
}

void OverdueReminder::gatherForSummary(const QString& alertId)
{
    m_unseen.insert(alertId);
    m_quiet.start();
}

void OverdueReminder::postSummary()
{
    const auto waiting = std::ranges::count_if(
        std::exchange(m_unseen, {}), [this](const QString& id) { return m_store.contains(id); });
    if (waiting == 0 || !remindersOn())
        return;
    qCInfo(lcAlerts, "Overdue summary: %lld alert(s)", static_cast<long long>(waiting));
    m_banners.postReminder(QString(), summaryTitle(waiting, threshold()), QString(),
        m_settings.overdueReminderSound());
}

} // namespace halyard

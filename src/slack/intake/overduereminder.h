#pragma once

#include "common/wallclockwatch.h"
#include "queue/alert.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>

namespace halyard {

class AlertStore;
class BannerPoster;
class SettingsStore;
class SlackDirectory;
struct AlertChanges;

// How long the reminder waits and tolerates; the defaults are the real ones.
struct OverdueReminderTimings {
    // A catch-up arrives over several pages and channels: its overdue alerts are gathered until
    // none has come for this long, then summed up in one banner.
    std::chrono::milliseconds catchUpQuiet { 5000 };
    // An alert found overdue this much later than it became so (the computer slept, the program
    // was held up) waited unseen; it joins a summary rather than raising a banner of its own.
    std::chrono::milliseconds lateBy { 60'000 };
    // Alerts that cross within this long of the first are counted before any banner shows:
    // more than kMaxSeparateReminders of them make one banner, not a wall of them.
    std::chrono::milliseconds burstWindow { 3000 };
    std::function<ReferenceTime()> clock = &currentReferenceTime;
};

// Raises one reminder banner for each alert that becomes overdue while it waits in the queue,
// and one summary for the alerts that became overdue while the program could not tell: those in
// the queue file at start, those a catch-up brings in already overdue, and those that crossed
// while the computer slept. Reminders follow the preferences as they are when due, and only
// while banners are on.
//
// Alerts that cross together (a burst of messages that came in together) raise one banner for
// all of them once there are more than kMaxSeparateReminders.
//
// The queue is ordered by posting time, so the alerts that become overdue next follow the ones
// already overdue: a single timer, armed for the next of them, is all the watching there is. That
// timer runs on the monotonic clock, which stands still while the computer sleeps: recheck() on
// wake, and a set wall clock, make the reminder look again. Main thread only; every collaborator
// must outlive it.
class OverdueReminder : public QObject {
    Q_OBJECT
public:
    OverdueReminder(AlertStore& store, const SettingsStore& settings,
        const SlackDirectory& directory, BannerPoster& banners, OverdueReminderTimings timings = {},
        QObject* parent = nullptr);

    static constexpr qsizetype kMaxSeparateReminders = 3;

    // "N alerts waited over <threshold> while Halyard was away".
    static QString summaryTitle(qsizetype count, double thresholdSeconds);

    // Looks for alerts that crossed since the last look, whatever the timer thinks; for a wake
    // from sleep.
    void recheck();

private:
    // An alert that crossed, with the sound preference as it was when it did.
    struct Crossed {
        Alert alert;
        bool sound = false;
    };

    void onAlertsChanged(const AlertChanges& changes);
    void onAgingPolicyChanged();
    // Reminds of the alerts that crossed since the last look, but not of `arrived`, and moves
    // the mark to now.
    void catchUp(const QSet<QString>& arrived);
    void arm();
    void gatherForSummary(const QString& alertId);
    void postSummary();
    void postCrossed();
    bool remindersOn() const;
    double threshold() const;

    AlertStore& m_store;
    const SettingsStore& m_settings;
    const SlackDirectory& m_directory;
    BannerPoster& m_banners;
    OverdueReminderTimings m_timings;
    // Every alert posted at or before this time has been dealt with.
    ReferenceTime m_mark = 0;
    QTimer m_next;
    QTimer m_quiet;
    QSet<QString> m_unseen;
    QTimer m_burst;
    QList<Crossed> m_crossed;
    WallClockWatch m_wallClock;
};

} // namespace halyard

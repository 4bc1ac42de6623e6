#pragma once

#include "common/problem.h"
#include "freedesktop/appcast.h"

#include <QCoroTask>
#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <expected>
#include <functional>
#include <optional>

class QNetworkAccessManager;

namespace halyard {

class PreferenceStore;

// When scheduled update checks run; tests shorten them.
struct UpdateCheckTimings {
    std::chrono::milliseconds startDelay = std::chrono::minutes(1);
    std::chrono::milliseconds interval = std::chrono::hours(24);
    // A feed that has not arrived whole by then fails, however steadily it trickles in.
    std::chrono::milliseconds deadline = std::chrono::seconds(60);
};

// Checks an appcast feed for a newer version of the program: once a day on its own, and when
// the user asks. Scheduled checks only report what they find (updateFound with userStarted
// false); showing anything is up to whoever listens. Without a feed URL it never checks.
//
// The feed is untrusted: it is read only from a trusted endpoint (isTrustedEndpoint), also after
// a redirect, and a feed larger than kMaxFeedBytes or slower than the deadline fails.
class UpdateChecker : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kMaxFeedBytes = 4 * 1024 * 1024;

    using Clock = std::function<QDateTime()>;
    // A newer release, nullopt when the running version is the newest, or why the check failed.
    using Result = std::expected<std::optional<AppcastItem>, Problem>;
    using Timings = UpdateCheckTimings;

    // The network and the preferences must outlive the checker.
    UpdateChecker(QNetworkAccessManager& network, PreferenceStore& preferences, QUrl feedUrl,
        QString currentVersion, Clock clock = &QDateTime::currentDateTimeUtc,
        Timings timings = Timings(), QObject* parent = nullptr);

    bool isEnabled() const { return !m_feedUrl.isEmpty(); }
    // Plans the first scheduled check: a day after the last one, but not sooner than the start
    // delay from now.
    void start();
    // When the next scheduled check runs; nullopt before start() or without a feed.
    std::optional<QDateTime> nextCheckDue() const { return m_due; }

    // A check the user started: reported with userStarted true.
    QCoro::Task<Result> checkNow();
    // What the timer runs: records the time, plans the next one and reports a newer version.
    QCoro::Task<> runScheduledCheck();

signals:
    void updateFound(const halyard::AppcastItem& item, bool userStarted);

private:
    QCoro::Task<Result> check();
    void scheduleAt(const QDateTime& due);

    QNetworkAccessManager& m_network;
    PreferenceStore& m_preferences;
    QUrl m_feedUrl;
    QString m_currentVersion;
    Clock m_clock;
    Timings m_timings;
    QTimer m_timer;
    std::optional<QDateTime> m_due;
};

} // namespace halyard

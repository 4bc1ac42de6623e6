#pragma once

#include <QObject>
#include <QRandomGenerator>
#include <QString>
#include <QTimer>

#include <chrono>

namespace halyard::sim {

class SlackServer;
class Workspace;

// A lively workspace for demonstrations: bots post realistic alerts (deploys, failing checks,
// pages, disk and certificate warnings) across a few channels at a steady pace with an occasional
// burst, and teammates acknowledge most of them with the ack emoji within a few minutes, as on a
// real shift: the queue holds a couple of dozen alerts, a few of them overdue, not hundreds.
class DemoScenario : public QObject {
    Q_OBJECT
public:
    struct Pace {
        // The first burst, counted from the moment a client holds a Socket Mode connection, so
        // that someone trying the program sees alerts at once.
        std::chrono::milliseconds firstBurst { 1500 };
        std::chrono::milliseconds minGap { 20000 };
        std::chrono::milliseconds maxGap { 40000 };
        // Percent of posts that are a burst of 3 to 5 alerts instead of one.
        int burstPercent = 15;
        // Percent of alerts a teammate acknowledges, after a delay in this range; the rest wait
        // for the user.
        int ackPercent = 90;
        std::chrono::milliseconds minAckDelay { 60'000 };
        std::chrono::milliseconds maxAckDelay { 240'000 };
    };

    static constexpr QStringView kAckEmoji = u"white_check_mark";

    // The server must outlive the scenario.
    explicit DemoScenario(SlackServer& slack, QObject* parent = nullptr);
    DemoScenario(SlackServer& slack, Pace pace, QObject* parent = nullptr);

    // The channels, teammates and bots the alerts come from.
    static void populate(Workspace& workspace);

    // Waits for a Socket Mode connection, then posts until destroyed.
    void start();
    // Posts nothing more; acknowledgements already due still come.
    void stop();
    int postedCount() const { return m_posted; }
    int acknowledgedCount() const { return m_acknowledged; }

private:
    void waitForClient();
    void scheduleNext(std::chrono::milliseconds delay);
    void postBurst(int count);
    void postOne();
    // Unique even within a burst: Slack's ts identifies the message in its channel.
    QString nextTs();
    std::chrono::milliseconds between(
        std::chrono::milliseconds low, std::chrono::milliseconds high);

    SlackServer& m_slack;
    Pace m_pace;
    QRandomGenerator m_random;
    QTimer m_timer;
    qint64 m_lastTsMicros = 0;
    int m_posted = 0;
    int m_acknowledged = 0;
};

} // namespace halyard::sim

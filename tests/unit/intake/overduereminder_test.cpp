// When the overdue reminder speaks up: bursts of crossings, and the look it takes after a sleep.
#include "common/fakekeychain.h"
#include "common/timers.h"
#include "queue/alertstore.h"
#include "settings/preferencestore.h"
#include "settings/settingsstore.h"
#include "slack/directory/slackdirectory.h"
#include "slack/intake/bannerposter.h"
#include "slack/intake/overduereminder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;
using namespace std::chrono_literals;

namespace {

struct RecordingPoster : BannerPoster {
    void postBanner(const QString&, const QString&, const QString&) override { }
    void postReminder(const QString&, const QString& title, const QString&, bool) override
    {
        titles.append(title);
    }
    QStringList titles;
};

class OverdueReminderTest : public ::testing::Test {
protected:
    static constexpr double kThreshold = 3600;

    void SetUp() override
    {
        store.setAgingPolicy({ 60, 120, kThreshold });
        directory.setChannelName(u"C1"_s, u"alerts"_s);
    }
    // An alert due `dueIn` seconds from now on the test's clock.
    Alert add(double dueIn)
    {
        const QString ts = u"1.%1"_s.arg(++serial);
        const Alert alert { u"C1:"_s + ts, u"C1"_s, ts, {}, u"disk full"_s,
            now() - kThreshold + dueIn, {} };
        store.enqueue(alert);
        store.announceChanges();
        return alert;
    }
    std::unique_ptr<OverdueReminder> makeReminder()
    {
        return std::make_unique<OverdueReminder>(store, settings, directory, poster,
            OverdueReminderTimings { .catchUpQuiet = 10ms, .burstWindow = 50ms, .clock = now });
    }

    QTemporaryDir folder;
    test::FakeKeychain keychain;
    PreferenceStore preferences { folder.path() };
    SettingsStore settings { keychain, preferences };
    SlackDirectory directory;
    AlertStore store;
    RecordingPoster poster;
    double jumped = 0;
    std::function<ReferenceTime()> now = [this] { return currentReferenceTime() + jumped; };
    int serial = 0;
};

// Alerts crossing in groups a second apart, all within one burst window.
TEST_F(OverdueReminderTest, MoreThanThreeCrossingTogetherMakeOneBanner)
{
    const QString one = u"Overdue: #alerts"_s;
    // Sizes of the groups, how many are acknowledged before the burst ends, the banners.
    const std::tuple<QList<int>, int, QStringList> cases[] = {
        { { 3 }, 0, { one, one, one } },
        { { 4 }, 0, { u"4 alerts are overdue"_s } },
        { { 1, 2, 1 }, 0, { u"4 alerts are overdue"_s } },
        { { 1000 }, 0, { u"1000 alerts are overdue"_s } },
        // Acknowledged before the burst was counted: no banner stands for it.
        { { 4 }, 1, { one, one, one } },
    };
    for (const auto& [groups, acknowledged, expected] : cases) {
        SCOPED_TRACE(expected.first().toStdString());
        while (!store.alerts().isEmpty())
            store.acknowledge(store.alerts().first());
        poster.titles.clear();
        jumped = 0;
        for (qsizetype g = 0; g < groups.size(); ++g) {
            for (int i = 0; i < groups[g]; ++i)
                add(10.0 * double(g + 1));
        }
        const auto reminder = makeReminder();
        for (qsizetype g = 0; g < groups.size(); ++g) {
            jumped = 10.0 * double(g + 1) + 1;
            reminder->recheck();
        }
        for (int i = 0; i < acknowledged; ++i)
            store.acknowledge(store.alerts().first());
        test::outlastTimers(100ms);
        EXPECT_EQ(poster.titles, expected);
    }
}

// No message arrives after the wake: the look on wake alone finds what crossed during the sleep.
TEST_F(OverdueReminderTest, AWakeWithoutAnyQueueChangeFindsWhatCrossedDuringTheSleep)
{
    add(600);
    const auto reminder = makeReminder();
    jumped = 2 * 3600;
    test::outlastTimers(100ms);
    EXPECT_TRUE(poster.titles.isEmpty());
    reminder->recheck();
    test::outlastTimers(100ms);
    EXPECT_EQ(
        poster.titles, QStringList { u"1 alert waited over 60 minutes while Halyard was away"_s });
}

} // namespace

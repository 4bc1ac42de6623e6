#include "queue/alertfolding.h"
#include "queue/alertpersistence.h"
#include "queue/alertstore.h"
#include "queue/mutelist.h"
#include "queue/snoozetimer.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

Alert alert(int n, const QString& text, ReferenceTime at, const QString& channel = u"C1"_s,
    const QString& user = u"U1"_s)
{
    const QString ts = QString::number(1700000000 + n) + u".000100"_s;
    return { Alert::makeId(channel, ts), channel, ts, user, text, at, std::nullopt };
}

QList<qsizetype> counts(const QList<FoldedRow>& rows)
{
    QList<qsizetype> out;
    for (const FoldedRow& row : rows)
        out.append(row.count());
    return out;
}

TEST(Folding, RepeatsFoldByChannelSenderNumberlessTextAndTime)
{
    // The older text, the newer one, whether channel and sender are the same, seconds apart, and
    // whether they fold.
    const std::tuple<const char16_t*, const char16_t*, bool, bool, double, bool> cases[] = {
        { u"Disk usage above 97% on db-1", u"Disk usage above 98% on db-1", true, true, 60, true },
        { u"Disk usage above 97% on db-1", u"Disk usage above 97% on db-2", true, true, 60, false },
        { u"load 1.5 at 12:30", u"load 22.75 at 12:45", true, true, 60, true },
        { u"latency 1,200 ms", u"latency 900 ms", true, true, 60, true },
        { u"host db1 down", u"host db2 down", true, true, 60, false },
        { u"rack 3b offline", u"rack 4b offline", true, true, 60, false },
        { u"zone 1-a down", u"zone 2-a down", true, true, 60, false },
        { u"node 10.0.0.1 down", u"node 10.0.0.2 down", true, true, 60, false },
        { u"build v2 failed", u"build v3 failed", true, true, 60, false },
        { u"see <https://x/1|run 5>", u"see <https://x/2|run 6>", true, true, 60, false },
        { u"cert expires in 3 days", u"cert expires in 2 days", true, true, 3600, true },
        { u"cert expires in 3 days", u"cert expires in 2 days", true, true, 3601, false },
        { u"cert expires in 3 days", u"cert expires in 2 days", false, true, 60, false },
        { u"cert expires in 3 days", u"cert expires in 2 days", true, false, 60, false },
        { u"CPU 90%", u"cpu 90%", true, true, 60, false },
    };
    for (const auto& [olderText, newerText, sameChannel, sameSender, apart, folds] : cases) {
        const Alert older = alert(1, QString::fromUtf16(olderText), 1000);
        const Alert newer = alert(2, QString::fromUtf16(newerText), 1000 + apart,
            sameChannel ? u"C1"_s : u"C2"_s, sameSender ? u"U1"_s : u"U2"_s);
        SCOPED_TRACE(older.text.toStdString() + " / " + newer.text.toStdString());
        EXPECT_EQ(AlertFolding::areRepeats(older, newer), folds);
        AlertFolding folding;
        const auto rows = folding.fold({ older, newer });
        ASSERT_EQ(rows.size(), folds ? 1 : 2);
        // The row keeps the oldest id and age and shows the newest text.
        EXPECT_EQ(rows.first().alert.id, older.id);
        EXPECT_EQ(rows.first().alert.receivedAt, older.receivedAt);
        EXPECT_EQ(rows.first().alert.text, folds ? newer.text : older.text);
        EXPECT_EQ(folding.fold({ older, newer }, false).size(), 2) << "the switch turns it off";
    }
}

TEST(Folding, AReactionOnOneMemberClearsOnlyThatMember)
{
    AlertStore store;
    for (int n = 0; n < 5; ++n)
        store.enqueue(alert(n, u"Disk usage above %1% on db-1"_s.arg(90 + n), 1000 + 300 * n));
    store.enqueue(alert(9, u"Disk usage above 99% on db-2"_s, 1500));
    AlertFolding folding;
    EXPECT_EQ(counts(folding.fold(store.alerts())), (QList<qsizetype> { 5, 1 }));
    // A member's id stands for itself (a row's for the row: the bus commands in HeadlessTest).
    EXPECT_EQ(folding.membersOf(store.alerts(), alert(3, {}, 0).id).size(), 1);
    // The oldest gone, the next oldest names the row.
    store.removeBySource(u"C1"_s, alert(0, {}, 0).ts);
    const auto rows = folding.fold(store.alerts());
    EXPECT_EQ(counts(rows), (QList<qsizetype> { 4, 1 }));
    EXPECT_EQ(rows.first().alert.id, alert(1, {}, 0).id);
}

TEST(SnoozeDurations, ParseAndNextWorkingMorning)
{
    const std::pair<const char16_t*, std::optional<qint64>> cases[]
        = { { u"90s", 90 }, { u"15m", 900 }, { u"1h", 3600 }, { u"2d", 172800 },
              { u"0m", std::nullopt }, { u"1", std::nullopt }, { u"h", std::nullopt },
              { u"-5m", std::nullopt }, { u"1.5h", std::nullopt }, { u"400d", std::nullopt },
              { u"99999999999999s", std::nullopt } };
    for (const auto& [text, seconds] : cases)
        EXPECT_EQ(parseSnoozeDuration(text), seconds) << QString::fromUtf16(text).toStdString();
    // Friday evening and Saturday go to Monday; a Tuesday morning to Wednesday.
    const QDate friday(2026, 12, 4);
    for (const auto& [from, to] :
        { std::pair { QDateTime(friday, QTime(18, 0)), friday.addDays(3) },
            { QDateTime(friday.addDays(1), QTime(8, 0)), friday.addDays(3) },
            { QDateTime(friday.addDays(4), QTime(7, 0)), friday.addDays(5) } })
        EXPECT_EQ(nextWorkingMorning(from), QDateTime(to, QTime(9, 0)));
}

class SnoozeTest : public ::testing::Test {
protected:
    std::unique_ptr<AlertStore> openStore()
    {
        auto persistence = AlertPersistence::create(m_dir.path());
        return std::make_unique<AlertStore>(std::move(*persistence));
    }

    QTemporaryDir m_dir;
    ReferenceTime m_now = 100'000;
    SnoozeTimer::Clock m_clock = [this] { return m_now; };
};

TEST_F(SnoozeTest, SnoozeOutlivesARestartAndASuspendAndAnAckElsewhereStillClearsIt)
{
    auto store = openStore();
    for (int n = 0; n < 3; ++n)
        store->enqueue(alert(n, u"Disk at %1%"_s.arg(n), m_now - 600));
    ASSERT_EQ(store->snooze({ alert(0, {}, 0).id, alert(1, {}, 0).id }, m_now + 900), 2);
    EXPECT_EQ(store->alerts().size(), 1);
    store.reset();

    // The wake time is on the wall clock: after a restart it is the same moment.
    store = openStore();
    ASSERT_EQ(store->snoozed().size(), 2);
    EXPECT_EQ(store->snoozed().first().snoozedUntil, m_now + 900);
    EXPECT_EQ(store->alerts().size(), 1);
    SnoozeTimer timer(*store, m_clock);
    QSignalSpy woke(store.get(), &AlertStore::snoozeEnded);

    // Acknowledged in Slack while snoozed: gone, and it never comes back.
    store->removeBySource(u"C1"_s, alert(1, {}, 0).ts);
    EXPECT_EQ(store->snoozed().size(), 1);

    // A suspend: the monotonic timer stood still while the wall clock ran past the wake time.
    m_now += 5000;
    timer.recheck();
    ASSERT_EQ(woke.size(), 1);
    const auto woken = woke.first().first().value<QList<Alert>>();
    ASSERT_EQ(woken.size(), 1);
    EXPECT_EQ(woken.first().id, alert(0, {}, 0).id);
    // Its age ran on: it comes back as old as it is.
    EXPECT_EQ(store->alerts().first().receivedAt, m_now - 5600);
    EXPECT_EQ(store->alerts().size(), 2);
    store.reset();
    EXPECT_EQ(openStore()->snoozed().size(), 0);
}

TEST_F(SnoozeTest, QueueFileOfThePreviousVersionLoadsUnchangedAndNewFieldsRoundTrip)
{
    const QByteArray previous = R"({"acknowledgedIds":["C1:1700000009.000100"],"alerts":[)"
                                R"({"channelId":"C1","id":"C1:1700000000.000100","receivedAt":5,)"
                                R"("text":"Disk 97%","ts":"1700000000.000100","userId":"U1"}],)"
                                R"("highWaterByChannel":{"C1":"1700000000.000100"}})";
    const auto state = AlertPersistence::decode(previous);
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(AlertPersistence::encode(*state), previous);

    AlertPersistence::State next = *state;
    next.alerts.first().snoozedUntil = 12345.5;
    next.alerts.append(alert(1, u"Disk 98%"_s, 6));
    next.alerts.last().snoozedUntil = 999;
    next.alerts.last().muted = true;
    const auto back = AlertPersistence::decode(AlertPersistence::encode(next));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, next);
}

TEST_F(SnoozeTest, AMutesArrivalsWaitSnoozedAndComeBackWithOneSummary)
{
    auto store = openStore();
    auto mutes = std::make_unique<MuteList>(*store, m_dir.path(), m_clock);
    const Alert like = alert(0, u"Disk usage above 97% on db-1"_s, m_now);
    store->enqueue(like);
    mutes->mute(like, m_now + 3600);
    for (int n = 1; n <= 5; ++n)
        store->enqueue(alert(n, u"Disk usage above %1% on db-1"_s.arg(97 + n), m_now + n));
    store->enqueue(alert(9, u"Disk usage above 97% on db-2"_s, m_now));
    EXPECT_EQ(store->alerts().size(), 2);
    EXPECT_EQ(store->snoozed().size(), 5);
    EXPECT_TRUE(std::ranges::all_of(store->snoozed(), &Alert::muted));

    // The mute and what it held survive a restart.
    mutes.reset();
    store.reset();
    store = openStore();
    mutes = std::make_unique<MuteList>(*store, m_dir.path(), m_clock);
    ASSERT_EQ(mutes->mutes().size(), 1);
    EXPECT_EQ(mutes->mutes().first().arrived, 5);

    QSignalSpy ended(mutes.get(), &MuteList::muteEnded);
    m_now += 3600;
    mutes->recheck();
    ASSERT_EQ(ended.size(), 1);
    EXPECT_EQ(ended.first().first().value<Mute>().arrived, 5);
    EXPECT_TRUE(store->snoozed().isEmpty());
    EXPECT_EQ(store->alerts().size(), 7) << "a mute drops nothing";
    EXPECT_TRUE(mutes->mutes().isEmpty());
}

TEST_F(SnoozeTest, ADamagedMutesFileIsKeptAsideAndMutesNothing)
{
    AlertStore store;
    for (const QByteArray& bytes : { QByteArray("{"), QByteArray(R"({"mutes":[{"id":""}]})"),
             QByteArray(R"({"mutes":[{"id":"a","channelId":"C1","text":"x","until":"soon"}]})") }) {
        QFile file(m_dir.filePath(u"mutes.json"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        MuteList mutes(store, m_dir.path(), m_clock);
        EXPECT_TRUE(mutes.mutes().isEmpty());
        EXPECT_FALSE(QFile::exists(file.fileName())) << bytes.toStdString();
    }
}

} // namespace

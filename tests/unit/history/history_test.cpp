#include "common/filesizelimit.h"
#include "history/historyfile.h"
#include "history/historyrecorder.h"
#include "history/shiftreport.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

constexpr qint64 kMinute = 60'000;

class HistoryTest : public ::testing::Test {
protected:
    QString path() const { return m_dir.filePath(u"history.jsonl"_s); }
    QList<HistoryRecord> records() const
    {
        const auto contents = HistoryFile::read(path());
        EXPECT_TRUE(contents.has_value());
        return contents ? contents->records : QList<HistoryRecord> {};
    }
    void writeFile(const QByteArray& bytes) const
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir m_dir;
};

Alert alert(QStringView ts, ReferenceTime postedAt)
{
    return Alert { Alert::makeId(u"C1"_s, ts.toString()), u"C1"_s, ts.toString(), u"B1"_s,
        u"Disk full\nsecond line"_s, postedAt, {} };
}

HistoryRecord rec(qint64 at, AlertEvent event, const QString& id)
{
    return { at, event, id, u"C1"_s, {}, {}, {}, {}, 0, {}, {}, {} };
}

// Every way an alert joins or leaves the queue is one line in the history, with its cause, who
// and when (acks over the bus and Acknowledge All: QueueAdaptorTest).
TEST_F(HistoryTest, EveryArrivalAndDepartureIsRecordedWithItsCause)
{
    // The act, what it is recorded as, and by whom.
    const std::tuple<const char*, std::function<void(AlertStore&, const Alert&)>, AlertEvent,
        QString>
        cases[] = {
            { "panel", [](AlertStore& s, const Alert& a) { s.acknowledge(a, AckCause::panel); },
                AlertEvent::ackedInPanel, {} },
            { "banner", [](AlertStore& s, const Alert& a) { s.acknowledge(a, AckCause::banner); },
                AlertEvent::ackedOnBanner, {} },
            { "teammate",
                [](AlertStore& s, const Alert& a) { s.removeBySource(a.channelId, a.ts, u"U7"_s); },
                AlertEvent::ackedByTeammate, u"U7"_s },
        };
    const ReferenceTime now = currentReferenceTime();
    for (const auto& [name, act, expected, by] : cases) {
        SCOPED_TRACE(name);
        QFile::remove(path());
        AlertStore store;
        HistoryRecorder recorder(store, std::make_unique<HistoryWriter>(path()),
            { [](const QString& id) { return id == u"C1" ? u"alerts"_s : QString(); },
                [](const QString& id) { return id == u"U7" ? u"ada"_s : QString(); } });
        const Alert live = alert(u"100.000001", now - 20 * 60);
        const Alert caughtUp = alert(u"100.000002", now - 40 * 60);
        store.enqueue(live);
        store.enqueue(caughtUp, Arrival::catchUp);
        const qint64 before = QDateTime::currentMSecsSinceEpoch();
        act(store, live);
        act(store, live); // gone already: nothing more to record
        const qint64 after = QDateTime::currentMSecsSinceEpoch();
        recorder.flush();

        const auto got = records();
        ASSERT_EQ(got.size(), 3);
        EXPECT_EQ(got[0].event, AlertEvent::arrivedLive);
        EXPECT_EQ(got[0].text, u"Disk full"_s);
        EXPECT_EQ(got[0].channelName, u"alerts"_s);
        EXPECT_EQ(got[1].event, AlertEvent::arrivedCatchUp);
        EXPECT_EQ(got[2].event, expected);
        EXPECT_EQ(got[2].alertId, live.id);
        EXPECT_EQ(got[2].by, by);
        EXPECT_EQ(got[2].byName, by.isEmpty() ? QString() : u"ada"_s);
        EXPECT_TRUE(got[2].at >= before && got[2].at <= after);
        EXPECT_EQ(got[2].stage, AgeStage::stale);
        EXPECT_EQ(QFile(path()).permissions() & 0x0077, 0);

        const auto lives = foldLives(got);
        ASSERT_EQ(lives.size(), 2);
        const qint64 taken = *lives[0].timeToAck();
        EXPECT_NEAR(double(taken), 20.0 * kMinute, double(after - before) + 1000);
    }
}

// Snoozing marks an alert's life without ending it: the report still sees one life, acked once.
TEST_F(HistoryTest, SnoozeAndWakeMarkALifeWithoutEndingIt)
{
    AlertStore store;
    const auto noName = [](const QString&) { return QString(); };
    HistoryRecorder recorder(store, std::make_unique<HistoryWriter>(path()), { noName, noName });
    const ReferenceTime now = currentReferenceTime();
    const Alert a = alert(u"100.000001", now - 60);
    store.enqueue(a);
    store.snooze({ a.id }, now + 3600);
    store.unsnooze({ a.id });
    store.snooze({ a.id }, now - 1);
    store.wakeDue(now);
    store.acknowledge(a, AckCause::panel);
    recorder.flush();

    const auto got = records();
    QList<AlertEvent> events;
    for (const HistoryRecord& record : got)
        events.append(record.event);
    using E = AlertEvent;
    EXPECT_EQ(events,
        QList<AlertEvent>(
            { E::arrivedLive, E::snoozed, E::woken, E::snoozed, E::woken, E::ackedInPanel }));
    const auto lives = foldLives(got);
    ASSERT_EQ(lives.size(), 1);
    EXPECT_EQ(lives[0].snoozes, 2);
    EXPECT_EQ(lives[0].ackedBy, AlertEvent::ackedInPanel);
}

// A crash mid-append leaves a partial last line: reading skips it, tidying cuts it off, and the
// next append starts on a line of its own. A damaged line in the middle costs that line only;
// a kind from a newer program is skipped, not taken for damage.
TEST_F(HistoryTest, DamagedTailIsCutAtTheLastWholeRecord)
{
    const QByteArray whole = rec(1000, AlertEvent::arrivedLive, u"C1:1.1"_s).toLine()
        + rec(2000, AlertEvent::ackedInPanel, u"C1:1.1"_s).toLine();
    // The file, then the records read, damaged lines, unknown kinds, whether the tail is cut off.
    const std::tuple<const char*, QByteArray, qsizetype, qsizetype, qsizetype, bool> cases[] = {
        { "whole", whole, 2, 0, 0, false },
        { "cut mid-record", whole + R"({"at":3000,"event":"arr)", 2, 0, 0, true },
        { "unterminated record",
            whole + rec(3000, AlertEvent::arrivedLive, u"C1:2.2"_s).toLine().chopped(1), 2, 0, 0,
            true },
        { "garbage last line", whole + "\x01\x02\n", 2, 0, 0, true },
        { "damaged middle", "{\"at\":1,\n" + whole, 2, 1, 0, false },
        { "newer kind",
            R"({"at":5,"event":"escalated","alert":"C1:1.1"})"
            "\n" + whole,
            2, 0, 1, false },
        { "empty", "", 0, 0, 0, false },
    };
    for (const auto& [name, bytes, records, damaged, unknown, tail] : cases) {
        SCOPED_TRACE(name);
        writeFile(bytes);
        const auto read = HistoryFile::read(path());
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(read->records.size(), records);
        EXPECT_EQ(read->damagedLines, damaged);
        EXPECT_EQ(read->unknownKinds, unknown);
        EXPECT_EQ(read->damagedTail, tail);
        ASSERT_TRUE(HistoryFile::tidy(path(), 10'000).has_value());
        {
            HistoryWriter writer(path());
            writer.append({ rec(4000, AlertEvent::ackedAll, u"C1:9.9"_s) });
        }
        const auto after = HistoryFile::read(path());
        EXPECT_EQ(after->records.size(), records + 1);
        EXPECT_FALSE(after->damagedTail);
        EXPECT_EQ(after->damagedLines, 0);
    }
}

// At start the file keeps 90 days and at most 100,000 records, the newest; a file with nothing
// to drop is left alone.
TEST_F(HistoryTest, TrimmingKeepsTheNewestByAgeAndCount)
{
    const qint64 now = 200LL * 24 * 60 * kMinute;
    const qint64 day = 24 * 60 * kMinute;
    // Ages written, how many more of age 1000 ms, and the ages kept.
    const std::tuple<const char*, QList<qint64>, qsizetype, QList<qint64>> cases[] = {
        { "nothing old", { 3 * day, day, 0 }, 0, { 3 * day, day, 0 } },
        { "past 90 days", { 91 * day, 90 * day + 1, 90 * day, 5 }, 0, { 90 * day, 5 } },
        { "over the count", { 2 * day, day }, HistoryFile::kMaxRecords, {} },
    };
    for (const auto& [name, ages, extra, keptAges] : cases) {
        SCOPED_TRACE(name);
        QList<HistoryRecord> all;
        for (const qint64 age : ages)
            all.append(rec(now - age, AlertEvent::arrivedLive, u"C1:1.1"_s));
        for (qsizetype i = 0; i < extra; ++i)
            all.append(rec(now - 1000, AlertEvent::arrivedLive, u"C1:2.2"_s));
        QByteArray bytes;
        for (const auto& r : all)
            bytes += r.toLine();
        writeFile(bytes);
        const auto dropped = HistoryFile::tidy(path(), now);
        ASSERT_TRUE(dropped.has_value());
        const auto kept = records();
        EXPECT_EQ(*dropped, all.size() - kept.size());
        EXPECT_EQ(kept.size(), std::min(HistoryFile::kMaxRecords, keptAges.size() + extra));
        for (qsizetype i = 0; i < keptAges.size(); ++i)
            EXPECT_EQ(kept[i].at, now - keptAges[i]);
        EXPECT_TRUE(extra == 0 || kept.first().alertId == u"C1:2.2"_s);
        EXPECT_EQ(QFile(path()).permissions() & 0x0077, 0);
    }
}

// A full disk fails the write without leaving half a line, and the records go with the next
// write once there is room.
TEST_F(HistoryTest, AFullDiskLosesNoRecord)
{
    writeFile(rec(1, AlertEvent::arrivedLive, u"C1:1.1"_s).toLine());
    HistoryWriter writer(path());
    {
        test::FileSizeLimit limit(QFileInfo(path()).size() + 20);
        writer.append({ rec(2, AlertEvent::ackedInPanel, u"C1:1.1"_s) });
        writer.flush();
        EXPECT_EQ(records().size(), 1);
        EXPECT_FALSE(HistoryFile::read(path())->damagedTail);
    }
    writer.append({ rec(3, AlertEvent::arrivedLive, u"C1:2.2"_s) });
    writer.flush();
    const auto got = records();
    ASSERT_EQ(got.size(), 3);
    EXPECT_EQ(got[1].at, 2);
    EXPECT_EQ(got[2].at, 3);
}

// The report's figures against a hand-computed table. Thresholds 5 / 15 / 30 minutes.
TEST(ShiftReportTest, FiguresMatchTheHandComputedTable)
{
    const qint64 from = 1'000 * kMinute;
    const qint64 to = from + 12 * 60 * kMinute;
    struct Life {
        qint64 arrivedAfter;
        std::optional<qint64> ackedAfter;
        AlertEvent how;
        QString sender;
        QString channel;
    };
    struct Case {
        const char* name;
        QList<Life> lives;
        qsizetype you, teammates, waiting, overdue;
        std::optional<qint64> median, p90;
        QList<ShiftReport::Ranked> senders;
    };
    const auto me = AlertEvent::ackedInPanel;
    const auto mate = AlertEvent::ackedByTeammate;
    const Case cases[] = {
        { "empty period", {}, 0, 0, 0, 0, std::nullopt, std::nullopt, {} },
        { "teammates only",
            { { 0, 2 * kMinute, mate, u"ci"_s, u"a"_s },
                { 60, 40 * kMinute, mate, u"ci"_s, u"a"_s },
                { 120, 10 * kMinute, mate, u"bot"_s, u"b"_s } },
            0, 3, 0, 1, 10 * kMinute, 40 * kMinute, { { u"ci"_s, 2 }, { u"bot"_s, 1 } } },
        // A clock set back on the machine that acked gives no negative time.
        { "acked at once, and before it was posted",
            { { 0, 0, me, u"a"_s, u"x"_s }, { 1, -kMinute, mate, u"a"_s, u"x"_s } }, 1, 1, 0, 0, 0,
            0, { { u"a"_s, 2 } } },
        { "mixed, one waiting overdue",
            { { 0, 1 * kMinute, me, u"a"_s, u"x"_s },
                { 10, 2 * kMinute, AlertEvent::ackedAll, u"b"_s, u"x"_s },
                { 20, 3 * kMinute, AlertEvent::ackedOnBanner, u"c"_s, u"x"_s },
                { 30, 4 * kMinute, mate, u"d"_s, u"x"_s }, { 40, 5 * kMinute, me, u"e"_s, u"x"_s },
                { 50, 6 * kMinute, me, u"f"_s, u"x"_s }, { 60, 7 * kMinute, me, u"g"_s, u"x"_s },
                { 70, 8 * kMinute, me, u"h"_s, u"x"_s }, { 80, 9 * kMinute, me, u"i"_s, u"x"_s },
                { 90, 60 * kMinute, me, u"j"_s, u"x"_s },
                { 11 * 60, std::nullopt, me, u"a"_s, u"x"_s },
                { 12 * 60 - 10, std::nullopt, me, u"a"_s, u"x"_s } },
            9, 1, 2, 2, 5 * kMinute + 30'000, 9 * kMinute,
            { { u"a"_s, 3 }, { u"b"_s, 1 }, { u"c"_s, 1 }, { u"d"_s, 1 }, { u"e"_s, 1 } } },
    };
    const AgingPolicy policy { 300, 900, 1800 };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QList<AlertLife> lives;
        for (const Life& l : c.lives) {
            AlertLife life;
            life.postedAt = life.arrivedAt = from + l.arrivedAfter * kMinute;
            if (l.ackedAfter) {
                life.ackedAt = life.postedAt + *l.ackedAfter;
                life.ackedBy = l.how;
            }
            life.senderName = l.sender;
            life.channelName = l.channel;
            lives.append(life);
        }
        const auto report = ShiftReport::compute(lives, from, to, policy);
        EXPECT_EQ(report.alerts, c.lives.size());
        EXPECT_EQ(report.ackedByYou, c.you);
        EXPECT_EQ(report.ackedByTeammates, c.teammates);
        EXPECT_EQ(report.waiting, c.waiting);
        EXPECT_EQ(report.wentOverdue, c.overdue);
        EXPECT_EQ(report.medianMs, c.median);
        EXPECT_EQ(report.p90Ms, c.p90);
        EXPECT_EQ(report.senders, c.senders);
        qsizetype charted = 0;
        for (const auto& hour : report.hours)
            charted += hour.waiting + hour.acked[0] + hour.acked[1] + hour.acked[2] + hour.acked[3];
        EXPECT_EQ(charted, c.lives.size());
        qsizetype binned = 0;
        for (const auto& bin : report.bins)
            binned += bin.count;
        EXPECT_EQ(binned, c.you + c.teammates);
        EXPECT_TRUE(report.toMarkdown().contains(u"| %1 |"_s.arg(c.waiting)));
    }
}

// Periods as typed; anything else is refused rather than read as "everything".
TEST(ShiftReportTest, SinceIsASpanOrADate)
{
    const qint64 now = 10'000 * kMinute;
    const std::pair<QString, std::optional<qint64>> cases[] = {
        { u"30m"_s, now - 30 * kMinute },
        { u"12h"_s, now - 12 * 60 * kMinute },
        { u"7d"_s, now - 7 * 24 * 60 * kMinute },
        { u"2026-12-01"_s, QDate(2026, 12, 1).startOfDay().toMSecsSinceEpoch() },
        { u"2026-12-01T08:30"_s, QDateTime(QDate(2026, 12, 1), QTime(8, 30)).toMSecsSinceEpoch() },
        { u"12"_s, std::nullopt },
        { u"-3h"_s, std::nullopt },
        { u"2026-13-01"_s, std::nullopt },
        { u""_s, std::nullopt },
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(parseSince(text, now), expected) << qPrintable(text);
}

} // namespace

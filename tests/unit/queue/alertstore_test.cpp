#include "common/logcapture.h"
#include "queue/alertstore.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

Alert makeAlert(const QString& channel, const QString& ts, ReferenceTime receivedAt,
    const QString& text = u"text"_s)
{
    return Alert { Alert::makeId(channel, ts), channel, ts, u"B1"_s, text, receivedAt, {} };
}

QStringList ids(const AlertStore& store)
{
    QStringList out;
    for (const Alert& alert : store.alerts())
        out.append(alert.id);
    return out;
}

class AlertStoreTest : public ::testing::Test {
protected:
    AlertPersistence persistence()
    {
        auto p = AlertPersistence::create(m_dir.filePath(u"Halyard"_s));
        EXPECT_TRUE(p.has_value());
        return *p;
    }
    QString queueFile() const { return m_dir.filePath(u"Halyard/queue.json"_s); }

    QTemporaryDir m_dir;
    test::LogCapture m_log;
};

} // namespace

TEST_F(AlertStoreTest, DuplicateKeepsOneAlertLogsAndWritesOnce)
{
    AlertStore store(persistence());
    QSignalSpy changed(&store, &AlertStore::alertsChanged);
    const Alert alert = makeAlert(u"C1"_s, u"100.000001"_s, 10);
    store.enqueue(alert);
    store.flushPendingSaves();
    ASSERT_TRUE(QFile::remove(queueFile()));
    store.enqueue(makeAlert(u"C1"_s, u"100.000001"_s, 10, u"other text"_s));
    store.flushPendingSaves();

    EXPECT_EQ(ids(store), QStringList { alert.id });
    EXPECT_EQ(store.alerts().first().text, u"text"_s);
    EXPECT_FALSE(QFile::exists(queueFile())) << "a duplicate must not rewrite the file";
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(m_log.messages(u"alerts"_s),
        (QStringList { u"Enqueued: C1:100.000001 queueDepth=1"_s,
            u"Dedup hit (already enqueued): C1:100.000001"_s }));
}

TEST_F(AlertStoreTest, MarksRiseInStringOrderOnlyAndSurviveRemoval)
{
    AlertStore store;
    QSignalSpy marksChanged(&store, &AlertStore::highWaterByChannelChanged);
    store.enqueue(makeAlert(u"C1"_s, u"99.5"_s, 1));
    store.enqueue(makeAlert(u"C1"_s, u"100.1"_s, 2)); // "1" sorts before "9"
    store.enqueue(makeAlert(u"C1"_s, u"99.4"_s, 3)); // older: added, mark kept
    store.enqueue(makeAlert(u"C2"_s, u"5.0"_s, 4));
    store.enqueue(makeAlert(u"C2"_s, u"5.0"_s, 4)); // same ts: duplicate, mark unchanged
    store.enqueue(makeAlert(u"C2"_s, u"6.0"_s, 5));

    EXPECT_EQ(store.highWaterByChannel().value(u"C1"_s), u"99.5"_s);
    EXPECT_EQ(store.highWaterByChannel().value(u"C2"_s), u"6.0"_s);
    EXPECT_EQ(store.alerts().size(), 5);
    EXPECT_EQ(marksChanged.count(), 3);

    store.acknowledge(makeAlert(u"C2"_s, u"6.0"_s, 5));
    store.removeBySource(u"C2"_s, u"5.0"_s);
    EXPECT_EQ(store.highWaterByChannel().value(u"C2"_s), u"6.0"_s);
}

TEST_F(AlertStoreTest, SameSecondAlertsKeepArrivalOrderBetweenOlderAndNewer)
{
    AlertStore store;
    store.enqueue(makeAlert(u"C"_s, u"new"_s, 200));
    store.enqueue(makeAlert(u"C"_s, u"s1"_s, 100));
    store.enqueue(makeAlert(u"C"_s, u"old"_s, 50));
    store.enqueue(makeAlert(u"C"_s, u"s2"_s, 100));
    store.enqueue(makeAlert(u"C"_s, u"s3"_s, 100));
    EXPECT_EQ(
        ids(store), (QStringList { u"C:old"_s, u"C:s1"_s, u"C:s2"_s, u"C:s3"_s, u"C:new"_s }));
}

TEST_F(AlertStoreTest, AcknowledgeSavesEvenWhenAbsentButRemoveBySourceNoOpDoesNot)
{
    AlertStore store(persistence());
    store.enqueue(makeAlert(u"C1"_s, u"1.0"_s, 1));
    store.enqueue(makeAlert(u"C1"_s, u"2.0"_s, 2));
    QSignalSpy changed(&store, &AlertStore::alertsChanged);

    store.flushPendingSaves();
    ASSERT_TRUE(QFile::remove(queueFile()));
    store.acknowledge(makeAlert(u"C9"_s, u"9.0"_s, 9));
    store.flushPendingSaves();
    EXPECT_TRUE(QFile::exists(queueFile()));
    EXPECT_EQ(changed.count(), 0) << "nothing changed, so nothing is announced";

    ASSERT_TRUE(QFile::remove(queueFile()));
    store.removeBySource(u"C9"_s, u"9.0"_s);
    store.flushPendingSaves();
    EXPECT_FALSE(QFile::exists(queueFile()));
    EXPECT_TRUE(m_log.contains(u"alerts"_s, u"removeBySource no-op (not in queue): C9:9.0"_s));

    store.removeBySource(u"C1"_s, u"1.0"_s);
    store.flushPendingSaves();
    EXPECT_TRUE(QFile::exists(queueFile()));
    EXPECT_TRUE(m_log.contains(u"alerts"_s, u"Removed by source reaction: C1:1.0 queueDepth=1"_s));
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(AlertStoreTest, QueueAndMarksSurviveARestartInFileOrder)
{
    {
        AlertStore store(persistence());
        store.enqueue(makeAlert(u"C1"_s, u"1.0"_s, 20));
        store.enqueue(makeAlert(u"C2"_s, u"2.0"_s, 10));
        store.acknowledge(makeAlert(u"C2"_s, u"2.0"_s, 10));
        store.enqueue(makeAlert(u"C3"_s, u"3.0"_s, 30));
    }
    AlertStore reloaded(persistence());
    EXPECT_EQ(ids(reloaded), (QStringList { u"C1:1.0"_s, u"C3:3.0"_s }));
    EXPECT_EQ(reloaded.highWaterByChannel().size(), 3);
    EXPECT_EQ(reloaded.highWaterByChannel().value(u"C2"_s), u"2.0"_s);
}

TEST_F(AlertStoreTest, CatchUpPointsAndAcknowledgedAlertsSurviveARestartUntilTheChannelIsRead)
{
    {
        AlertStore store(persistence());
        store.enqueue(makeAlert(u"C1"_s, u"100.0"_s, 1));
        store.enqueue(makeAlert(u"C2"_s, u"7.0"_s, 1));
        EXPECT_EQ(store.beginBackfill(),
            (QMap<QString, QString> { { u"C1"_s, u"100.0"_s }, { u"C2"_s, u"7.0"_s } }));
        // Live traffic while the catch-up reads: marks move, the points do not.
        store.enqueue(makeAlert(u"C1"_s, u"105.0"_s, 5));
        store.acknowledge(makeAlert(u"C1"_s, u"105.0"_s, 5));
        store.removeBySource(u"C1"_s, u"103.0"_s); // ack reaction before the message is queued
        store.removeBySource(u"C1"_s, u"99.0"_s); // older than any catch-up reads
        store.removeBySource(u"C9"_s, u"1.0"_s); // a channel no catch-up reads
        store.finishBackfill(u"C2"_s);
    }
    AlertStore store(persistence());
    EXPECT_EQ(store.acknowledgedIds(), (QSet<QString> { u"C1:105.0"_s, u"C1:103.0"_s }));
    EXPECT_EQ(store.beginBackfill(),
        (QMap<QString, QString> { { u"C1"_s, u"100.0"_s }, { u"C2"_s, u"7.0"_s } }));
    store.enqueue(makeAlert(u"C1"_s, u"105.0"_s, 5));
    store.enqueue(makeAlert(u"C1"_s, u"103.0"_s, 3));
    store.enqueue(makeAlert(u"C1"_s, u"104.0"_s, 4));
    EXPECT_EQ(ids(store), (QStringList { u"C1:100.0"_s, u"C2:7.0"_s, u"C1:104.0"_s }));
    EXPECT_TRUE(m_log.contains(u"alerts"_s, u"Not queued again (acknowledged): C1:105.0"_s));

    store.finishBackfill(u"C1"_s);
    store.finishBackfill(u"C2"_s);
    EXPECT_TRUE(store.backfillFromByChannel().isEmpty());
    EXPECT_TRUE(store.acknowledgedIds().isEmpty()) << "no catch-up reads below the mark";
    store.flushPendingSaves();
    EXPECT_EQ(AlertPersistence::create(m_dir.filePath(u"Halyard"_s))->load()->acknowledgedIds,
        QSet<QString> {});
}

TEST_F(AlertStoreTest, StagesFollowThePolicyAndItsChanges)
{
    AlertStore store;
    EXPECT_TRUE(store.stages(1000).isEmpty());
    EXPECT_EQ(queueHealthFromStages(store.stages(1000)), QueueHealth::allClear);
    store.enqueue(makeAlert(u"C"_s, u"a"_s, 0));
    store.enqueue(makeAlert(u"C"_s, u"b"_s, 700));
    EXPECT_EQ(store.stages(1000), (QList { AgeStage::stale, AgeStage::aging }));

    QSignalSpy policyChanged(&store, &AlertStore::agingPolicyChanged);
    store.setAgingPolicy(AgingPolicy {});
    EXPECT_EQ(policyChanged.count(), 0);
    store.setAgingPolicy(AgingPolicy { 400, 1100, 2000 });
    EXPECT_EQ(policyChanged.count(), 1);
    EXPECT_EQ(store.stages(1000), (QList { AgeStage::aging, AgeStage::fresh }));
}

TEST_F(AlertStoreTest, WithoutPersistenceNothingTouchesTheDisk)
{
    qputenv("XDG_DATA_HOME", m_dir.path().toUtf8());
    {
        AlertStore store;
        store.enqueue(makeAlert(u"C1"_s, u"1.0"_s, 1));
        store.acknowledge(makeAlert(u"C1"_s, u"1.0"_s, 1));
        store.enqueue(makeAlert(u"C1"_s, u"2.0"_s, 2));
        store.removeBySource(u"C1"_s, u"2.0"_s);
        EXPECT_TRUE(store.alerts().isEmpty());
    }
    qunsetenv("XDG_DATA_HOME");
    EXPECT_TRUE(QDir(m_dir.path()).isEmpty());
}

#include "common/filesizelimit.h"
#include "common/logcapture.h"
#include "queue/alertpersistence.h"
#include "queue/alertstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

using Marks = QMap<QString, QString>;
constexpr QFileDevice::Permissions kOwnerGroupOther { 0x7077 };

Alert alert(
    QStringView channel, QStringView ts, ReferenceTime receivedAt = 1, QStringView text = u"text")
{
    return Alert { Alert::makeId(channel.toString(), ts.toString()), channel.toString(),
        ts.toString(), {}, text.toString(), receivedAt, {} };
}

QStringList ids(const AlertStore& store)
{
    QStringList out;
    for (const Alert& queued : store.alerts())
        out.append(queued.id);
    return out;
}

class AlertStoreTest : public ::testing::Test {
protected:
    QString folder() const { return m_dir.filePath(u"data/Halyard"_s); }
    QString queueFile() const { return folder() + u"/queue.json"_s; }
    AlertPersistence persistence()
    {
        auto p = AlertPersistence::create(folder());
        EXPECT_TRUE(p.has_value());
        return *p;
    }
    void writeQueueFile(const QByteArray& bytes)
    {
        QFile file(queueFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static QByteArray readFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList keptFiles() const
    {
        return QDir(folder()).entryList({ u"queue.json.corrupt-*"_s }, QDir::Files);
    }
    // Whether the last change wrote the queue file (which the call removes).
    bool wroteFile(AlertStore& store)
    {
        store.flushPendingSaves();
        return QFile::remove(queueFile());
    }
    QTemporaryDir m_dir;
    test::LogCapture m_log;
};

} // namespace

TEST_F(AlertStoreTest, PrivateFolderAndCompactPrivateFileThatKeepsMarksWhenEmpty)
{
    auto p = persistence();
    EXPECT_EQ(p.filePath(), queueFile());
    EXPECT_EQ(QFileInfo(folder()).permissions() & kOwnerGroupOther,
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(QFile::exists(queueFile()));
    EXPECT_EQ(p.load(), AlertPersistence::State {});
    ASSERT_TRUE(p.save({ .highWaterByChannel = { { u"C1"_s, u"1.0"_s } } }).has_value());
    EXPECT_EQ(readFile(queueFile()), R"({"alerts":[],"highWaterByChannel":{"C1":"1.0"}})");
    EXPECT_EQ(QFileInfo(queueFile()).permissions() & kOwnerGroupOther,
        QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    // A folder that cannot be created gives no persistence.
    QFile blocker(m_dir.filePath(u"file"_s));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    EXPECT_FALSE(AlertPersistence::create(m_dir.filePath(u"file/Halyard"_s)).has_value());
    EXPECT_FALSE(AlertPersistence::create(m_dir.filePath(u"file"_s)).has_value());
}

TEST_F(AlertStoreTest, AnyBadRecordFailsTheWholeLoad)
{
    persistence();
    for (const QByteArray& bytes : {
             QByteArray(R"({"alerts":[]})"),
             QByteArray(R"({"highWaterByChannel":{}})"),
             QByteArray(R"({"alerts":[{"id":"C:1","channelId":"C","text":"t","receivedAt":1}],)"
                        R"("highWaterByChannel":{}})"),
             QByteArray(R"({"alerts":[],"highWaterByChannel":{"C":1}})"),
             QByteArray("\xff\xfe\x00garbage", 10),
             QByteArray(),
         }) {
        writeQueueFile(bytes);
        EXPECT_FALSE(persistence().load().has_value()) << bytes.constData();
    }
    writeQueueFile(R"({"highWaterByChannel":{},"alerts":[],"future":true})");
    EXPECT_TRUE(persistence().load().has_value());
}

// A time that cannot be right is shown as the load time; a small skew ahead stays as it is.
TEST_F(AlertStoreTest, ImplausibleTimesLoadAsTheLoadTime)
{
    const ReferenceTime now = currentReferenceTime();
    const std::pair<QByteArray, bool> times[] = {
        { "-1e300", false },
        { "1e300", false },
        { "-0.5", false },
        { QByteArray::number(now + 2 * kMaxClockSkewSeconds, 'f'), false },
        { QByteArray::number(now + 3600, 'f'), true },
        { "0", true },
        { "721692800.5", true },
    };
    QByteArray alerts;
    for (qsizetype i = 0; i < qsizetype(std::size(times)); ++i) {
        alerts += QByteArray(i ? "," : "") + R"({"id":"C:1.)" + QByteArray::number(i)
            + R"(","channelId":"C","ts":"1.)" + QByteArray::number(i)
            + R"(","text":"t","receivedAt":)" + times[i].first + '}';
    }
    // A ts that is not Slack's costs its alert alone.
    alerts += R"(,{"id":"C:1e9","channelId":"C","ts":"1e9","text":"t","receivedAt":0})";
    persistence();
    writeQueueFile(R"({"highWaterByChannel":{},"alerts":[)" + alerts + "]}");
    const auto state = persistence().load();
    const ReferenceTime after = currentReferenceTime();
    ASSERT_TRUE(state.has_value());
    // Clamped times join the newest: the queue comes back in time order, ties as they were.
    QStringList order;
    for (const Alert& loaded : state->alerts)
        order.append(loaded.id);
    EXPECT_EQ(order,
        (QStringList {
            u"C:1.5"_s, u"C:1.6"_s, u"C:1.0"_s, u"C:1.1"_s, u"C:1.2"_s, u"C:1.3"_s, u"C:1.4"_s }));
    for (const Alert& loaded : state->alerts) {
        const qsizetype i = loaded.ts.mid(2).toLongLong();
        const double time = loaded.receivedAt;
        if (times[i].second)
            EXPECT_EQ(time, times[i].first.toDouble()) << times[i].first.constData();
        else
            EXPECT_TRUE(time >= now && time <= after) << times[i].first.constData();
    }
}

TEST_F(AlertStoreTest, DamagedFileIsKeptAsideOnceAndNeverOverwritten)
{
    persistence();
    const QByteArray damaged = R"({"alerts":[{"id":"C:1","channelId":"C","ts":"1","text":)";
    writeQueueFile(damaged);
    AlertStore store(persistence());
    EXPECT_TRUE(store.alerts().isEmpty());
    EXPECT_TRUE(keptFiles().isEmpty()) << "nothing moves until something is saved";
    store.enqueue(alert(u"C1", u"5.0"));
    store.flushPendingSaves();
    const QStringList kept = keptFiles();
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(QRegularExpression(u"^queue\\.json\\.corrupt-\\d{8}T\\d{6}Z$"_s)
                    .match(kept.first())
                    .hasMatch())
        << kept.first().toStdString();
    EXPECT_EQ(readFile(folder() + u'/' + kept.first()), damaged);
    store.enqueue(alert(u"C1", u"6.0"));
    store.flushPendingSaves();
    EXPECT_EQ(keptFiles().size(), 1);
    EXPECT_EQ(persistence().load()->alerts.size(), 2);
}

TEST_F(AlertStoreTest, FailedSavesLoseNothingAndTheNextSaveWritesEverything)
{
    AlertStore store(persistence());
    ASSERT_TRUE(QDir().mkpath(queueFile())); // a folder where the file belongs
    for (const auto ts : { u"1.0", u"2.0" }) {
        store.enqueue(alert(u"C1", ts));
        store.flushPendingSaves();
    }
    EXPECT_EQ(store.alerts().size(), 2);
    EXPECT_TRUE(QFileInfo(queueFile()).isDir());
    ASSERT_TRUE(QDir(queueFile()).removeRecursively());
    store.enqueue(alert(u"C1", u"3.0"));
    store.flushPendingSaves();
    auto state = persistence().load();
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->alerts.size(), 3);
    EXPECT_EQ(state->highWaterByChannel.value(u"C1"_s), u"3.0"_s);
}

TEST_F(AlertStoreTest, FullDiskKeepsTheLastCompleteFile)
{
    auto p = persistence();
    const AlertPersistence::State small { .alerts = { alert(u"C1", u"1.0") } };
    ASSERT_TRUE(p.save(small).has_value());
    const QByteArray before = readFile(queueFile());
    AlertPersistence::State big = small;
    for (int i = 2; i < 200; ++i)
        big.alerts.append(alert(u"C1", QString(QString::number(i) + u".0")));
    {
        test::FileSizeLimit limit(qMax<rlim_t>(before.size() * 2, 1024));
        EXPECT_FALSE(p.save(big).has_value());
    }
    EXPECT_EQ(readFile(queueFile()), before);
    ASSERT_TRUE(p.save(big).has_value());
    EXPECT_EQ(persistence().load(), big);
}

// A duplicate keeps the first alert and writes nothing; an Ack writes even for an alert that is
// gone, a reaction on a message that was never queued does not.
TEST_F(AlertStoreTest, OnlyChangesAreAnnouncedAndWritten)
{
    AlertStore store(persistence());
    QSignalSpy changed(&store, &AlertStore::alertsChanged);
    const auto announced = [&] {
        store.announceChanges();
        return changed.count();
    };
    store.enqueue(alert(u"C1", u"100.000001"));
    EXPECT_TRUE(wroteFile(store));
    store.enqueue(alert(u"C1", u"100.000001", 1, u"other text"));
    EXPECT_FALSE(wroteFile(store)) << "a duplicate must not rewrite the file";
    EXPECT_EQ(ids(store), QStringList { u"C1:100.000001"_s });
    EXPECT_EQ(store.alerts().first().text, u"text"_s);
    EXPECT_EQ(announced(), 1);
    store.enqueue(alert(u"C1", u"100.000002"));
    store.acknowledge(alert(u"C9", u"9.0"));
    EXPECT_TRUE(wroteFile(store));
    store.acknowledge(alert(u"C9", u"9.0"));
    EXPECT_TRUE(wroteFile(store));
    store.removeBySource(u"C9"_s, u"9.0"_s);
    EXPECT_FALSE(wroteFile(store));
    EXPECT_EQ(announced(), 2) << "nothing changed, so nothing is announced";
    store.removeBySource(u"C1"_s, u"100.000001"_s);
    EXPECT_TRUE(wroteFile(store));
    EXPECT_EQ(announced(), 3);
    EXPECT_EQ(m_log.messages(u"alerts"_s),
        (QStringList { u"Enqueued: C1:100.000001 queueDepth=1"_s,
            u"Dedup hit (already enqueued): C1:100.000001"_s,
            u"Enqueued: C1:100.000002 queueDepth=2"_s,
            u"removeBySource no-op (not in queue): C9:9.0"_s,
            u"Removed by source reaction: C1:100.000001 queueDepth=1"_s }));
}

TEST_F(AlertStoreTest, OrderAndMarksRiseInStringOrderAndNothingTouchesTheDiskWithoutPersistence)
{
    qputenv("XDG_DATA_HOME", m_dir.path().toUtf8());
    {
        AlertStore store;
        QSignalSpy marksChanged(&store, &AlertStore::highWaterByChannelChanged);
        store.enqueue(alert(u"C1", u"99.5", 100));
        store.enqueue(alert(u"C1", u"100.1", 200)); // "1" sorts before "9"
        store.enqueue(alert(u"C1", u"99.4", 50)); // older: added, mark kept
        store.enqueue(alert(u"C2", u"5.0", 100));
        store.enqueue(alert(u"C2", u"5.0", 100)); // same ts: duplicate, mark unchanged
        store.enqueue(alert(u"C2", u"6.0", 100));
        // Same-second alerts keep their arrival order between older and newer ones.
        EXPECT_EQ(ids(store),
            (QStringList { u"C1:99.4"_s, u"C1:99.5"_s, u"C2:5.0"_s, u"C2:6.0"_s, u"C1:100.1"_s }));
        EXPECT_EQ(
            store.highWaterByChannel(), (Marks { { u"C1"_s, u"99.5"_s }, { u"C2"_s, u"6.0"_s } }));
        EXPECT_EQ(marksChanged.count(), 3);
        store.acknowledge(alert(u"C2", u"6.0"));
        store.removeBySource(u"C2"_s, u"5.0"_s);
        EXPECT_EQ(store.highWaterByChannel().value(u"C2"_s), u"6.0"_s);
        // Only a new policy is announced, and ages 450, 400 and 300 s are staged by it.
        QSignalSpy policyChanged(&store, &AlertStore::agingPolicyChanged);
        store.setAgingPolicy(AgingPolicy {});
        store.setAgingPolicy(AgingPolicy { 400, 1100, 2000 });
        EXPECT_EQ(policyChanged.count(), 1);
        EXPECT_EQ(store.stages(500), (QList { AgeStage::aging, AgeStage::aging, AgeStage::fresh }));
    }
    qunsetenv("XDG_DATA_HOME");
    EXPECT_TRUE(QDir(m_dir.path()).isEmpty());
}

TEST_F(AlertStoreTest, QueueMarksAndCatchUpPointsSurviveARestartUntilTheChannelIsRead)
{
    const Marks points { { u"C1"_s, u"100.0"_s }, { u"C2"_s, u"7.0"_s }, { u"C3"_s, u"3.0"_s } };
    {
        AlertStore store(persistence());
        store.enqueue(alert(u"C1", u"100.0", 20));
        store.enqueue(alert(u"C2", u"7.0", 10));
        store.enqueue(alert(u"C3", u"3.0", 30));
        store.acknowledge(alert(u"C3", u"3.0"));
        EXPECT_EQ(store.beginBackfill(), points);
        store.finishBackfill(u"C3"_s);
        // Live traffic while the catch-up reads: marks move, the points do not.
        store.enqueue(alert(u"C1", u"105.0", 5));
        store.acknowledge(alert(u"C1", u"105.0", 5));
        store.removeBySource(u"C1"_s, u"103.0"_s); // ack reaction before the message is queued
        store.removeBySource(u"C1"_s, u"99.0"_s); // older than any catch-up reads
        store.removeBySource(u"C9"_s, u"1.0"_s); // a channel no catch-up reads
        store.finishBackfill(u"C2"_s);
    }
    AlertStore store(persistence());
    EXPECT_EQ(ids(store), (QStringList { u"C2:7.0"_s, u"C1:100.0"_s }));
    EXPECT_EQ(store.highWaterByChannel(),
        (Marks { { u"C1"_s, u"105.0"_s }, { u"C2"_s, u"7.0"_s }, { u"C3"_s, u"3.0"_s } }));
    EXPECT_EQ(store.acknowledgedIds(), (QSet<QString> { u"C1:105.0"_s, u"C1:103.0"_s }));
    EXPECT_EQ(store.beginBackfill(), points);
    store.enqueue(alert(u"C1", u"105.0", 5));
    store.enqueue(alert(u"C1", u"103.0", 3));
    store.enqueue(alert(u"C1", u"104.0", 40));
    EXPECT_EQ(ids(store), (QStringList { u"C2:7.0"_s, u"C1:100.0"_s, u"C1:104.0"_s }));
    for (const QString& channel : points.keys())
        store.finishBackfill(channel);
    EXPECT_TRUE(store.backfillFromByChannel().isEmpty());
    EXPECT_TRUE(store.acknowledgedIds().isEmpty()) << "no catch-up reads below the mark";
    store.flushPendingSaves();
    EXPECT_EQ(persistence().load()->acknowledgedIds, QSet<QString> {});

    // Reactions on messages the filter never took stay above the mark; the oldest give way.
    for (int i = 1; i <= AlertStore::kMaxAcknowledgedIds + 1; ++i)
        store.removeBySource(u"C1"_s, QString::number(200 + i) + u".0"_s);
    EXPECT_EQ(store.acknowledgedIds().size(), AlertStore::kMaxAcknowledgedIds);
    EXPECT_FALSE(store.acknowledgedIds().contains(u"C1:201.0"_s));
}

#include "common/filesizelimit.h"
#include "common/logcapture.h"
#include "queue/alertpersistence.h"
#include "queue/alertstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

constexpr QFileDevice::Permissions kOwnerGroupOther { 0x7077 };

class AlertPersistenceTest : public ::testing::Test {
protected:
    QString folder() const { return m_dir.filePath(u"data/Halyard"_s); }
    QString queueFile() const { return folder() + u"/queue.json"_s; }
    AlertPersistence make()
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
    QByteArray readQueueFile() const
    {
        QFile file(queueFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList keptFiles() const
    {
        return QDir(folder()).entryList({ u"queue.json.corrupt-*"_s }, QDir::Files);
    }

    QTemporaryDir m_dir;
    test::LogCapture m_log;
};

Alert sample(const QString& ts)
{
    return Alert { Alert::makeId(u"C1"_s, ts), u"C1"_s, ts, {}, u"disk full"_s, 1.5, {} };
}

} // namespace

TEST_F(AlertPersistenceTest, FirstStartCreatesAPrivateFolderButNoFile)
{
    auto p = make();
    EXPECT_EQ(p.filePath(), queueFile());
    EXPECT_EQ(QFileInfo(folder()).permissions() & kOwnerGroupOther,
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(QFile::exists(queueFile()));
    auto state = p.load();
    ASSERT_TRUE(state.has_value());
    EXPECT_TRUE(state->alerts.isEmpty());
    EXPECT_TRUE(state->highWaterByChannel.isEmpty());
}

TEST_F(AlertPersistenceTest, WritesCompactPrivateFileThatKeepsMarksWhenEmpty)
{
    auto p = make();
    ASSERT_TRUE(p.save({ .highWaterByChannel = { { u"C1"_s, u"1.0"_s } } }).has_value());
    EXPECT_EQ(readQueueFile(), R"({"alerts":[],"highWaterByChannel":{"C1":"1.0"}})");
    EXPECT_EQ(QFileInfo(queueFile()).permissions() & kOwnerGroupOther,
        QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    const AlertPersistence::State state { { sample(u"1.0"_s), sample(u"2.0"_s) },
        { { u"C1"_s, u"2.0"_s } }, { { u"C1"_s, u"0.5"_s } }, { u"C1:1.5"_s } };
    ASSERT_TRUE(p.save(state).has_value());
    EXPECT_EQ(make().load(), state);
    EXPECT_FALSE(readQueueFile().contains('\n'));
    EXPECT_FALSE(readQueueFile().contains("userId"));
}

TEST_F(AlertPersistenceTest, AnyBadRecordFailsTheWholeLoad)
{
    make();
    for (const QByteArray& bytes : {
             QByteArray(R"({"alerts":[]})"),
             QByteArray(R"({"highWaterByChannel":{}})"),
             QByteArray(R"({"alerts":[{"id":"C:1","channelId":"C","text":"t","receivedAt":1}],)"
                        R"("highWaterByChannel":{}})"),
             QByteArray(R"({"alerts":[],"highWaterByChannel":{"C":1}})"),
             QByteArray(R"({"alerts":{},"highWaterByChannel":{}})"),
             QByteArray(R"({"alerts":[],"highWa)"),
             QByteArray("\xff\xfe\x00garbage", 10),
             QByteArray(),
         }) {
        writeQueueFile(bytes);
        EXPECT_FALSE(make().load().has_value()) << bytes.constData();
    }
    writeQueueFile(R"({"highWaterByChannel":{},"alerts":[],"future":true})");
    EXPECT_TRUE(make().load().has_value());
}

TEST_F(AlertPersistenceTest, DamagedFileIsKeptAsideAndNeverOverwritten)
{
    make();
    const QByteArray damaged = R"({"alerts":[{"id":"C:1","channelId":"C","ts":"1","text":)";
    writeQueueFile(damaged);

    AlertStore store(make());
    EXPECT_TRUE(store.alerts().isEmpty());
    EXPECT_TRUE(keptFiles().isEmpty()) << "nothing moves until something is saved";
    EXPECT_TRUE(m_log.lines().isEmpty());

    store.enqueue(sample(u"5.0"_s));
    store.flushPendingSaves();
    const QStringList kept = keptFiles();
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(QRegularExpression(u"^queue\\.json\\.corrupt-\\d{8}T\\d{6}Z$"_s)
                    .match(kept.first())
                    .hasMatch())
        << kept.first().toStdString();
    QFile keptFile(folder() + u'/' + kept.first());
    ASSERT_TRUE(keptFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(keptFile.readAll(), damaged);

    const QStringList errors = m_log.messagesStartingWith(u"alerts"_s, u"Queue file could"_s);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().endsWith(kept.first()));

    store.enqueue(sample(u"6.0"_s));
    store.flushPendingSaves();
    EXPECT_EQ(keptFiles().size(), 1) << "only the damaged file is kept aside, once";
    EXPECT_EQ(make().load()->alerts.size(), 2);
}

TEST_F(AlertPersistenceTest, FailedSaveKeepsMemoryAndTheNextSaveWritesEverything)
{
    AlertStore store(make());
    ASSERT_TRUE(QDir().mkpath(queueFile())); // a folder where the file belongs
    store.enqueue(sample(u"1.0"_s));
    store.flushPendingSaves();
    store.enqueue(sample(u"2.0"_s));
    store.flushPendingSaves();
    EXPECT_EQ(store.alerts().size(), 2);
    EXPECT_TRUE(QFileInfo(queueFile()).isDir());
    EXPECT_EQ(
        m_log.messagesStartingWith(u"alerts"_s, u"Could not save the queue file "_s).size(), 1)
        << "one line per run of failures";

    ASSERT_TRUE(QDir(queueFile()).removeRecursively());
    store.enqueue(sample(u"3.0"_s));
    store.flushPendingSaves();
    EXPECT_TRUE(m_log.contains(u"alerts"_s, u"Queue file saved again"_s));
    auto state = make().load();
    ASSERT_TRUE(state.has_value());
    EXPECT_EQ(state->alerts.size(), 3);
    EXPECT_EQ(state->highWaterByChannel.value(u"C1"_s), u"3.0"_s);
}

TEST_F(AlertPersistenceTest, FullDiskKeepsTheLastCompleteFile)
{
    auto p = make();
    const AlertPersistence::State small { .alerts = { sample(u"1.0"_s) },
        .highWaterByChannel = { { u"C1"_s, u"1.0"_s } } };
    ASSERT_TRUE(p.save(small).has_value());
    const QByteArray before = readQueueFile();

    AlertPersistence::State big = small;
    for (int i = 2; i < 200; ++i)
        big.alerts.append(sample(QString::number(i) + u".0"_s));
    {
        test::FileSizeLimit limit(qMax<rlim_t>(before.size() * 2, 1024));
        EXPECT_FALSE(p.save(big).has_value());
    }
    EXPECT_EQ(readQueueFile(), before);
    ASSERT_TRUE(p.save(big).has_value());
    EXPECT_EQ(make().load(), big);
}

TEST_F(AlertPersistenceTest, FolderThatCannotBeCreatedGivesNoPersistence)
{
    QFile blocker(m_dir.filePath(u"file"_s));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(AlertPersistence::create(m_dir.filePath(u"file/Halyard"_s)).has_value());
    EXPECT_FALSE(AlertPersistence::create(m_dir.filePath(u"file"_s)).has_value());
}

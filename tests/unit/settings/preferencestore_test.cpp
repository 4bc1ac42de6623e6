#include "common/filesizelimit.h"
#include "settings/preferencestore.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {
namespace {

unsigned modeOf(const QString& path)
{
    struct stat info { };
    if (stat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return info.st_mode & 0777u;
}

class PreferenceStoreTest : public ::testing::Test {
protected:
    // A folder that does not exist yet, inside a parent that does not exist either.
    QString folder() const { return m_root.filePath(u"config/Halyard"_s); }
    QString filePath() const { return folder() + u"/preferences.json"_s; }
    void writeFile(const QByteArray& bytes) const
    {
        QDir().mkpath(folder());
        QFile file(filePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray readFile(const QString& path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QJsonObject fileObject() const
    {
        return QJsonDocument::fromJson(readFile(filePath())).object();
    }
    QTemporaryDir m_root;
};

// Each value comes back through the getter of the type it was stored as, also after a restart
// (a value of another type reads as absent: SettingsStoreTest's read rules). Values this store
// never writes (added by hand) read as absent but survive rewrites.
TEST_F(PreferenceStoreTest, ValuesKeepTheirTypesAcrossRestarts)
{
    const QByteArray binary("\x00\xff{\"a\":1}", 10);
    writeFile(R"({"size": 42, "odd": {"base64": "AA==", "x": 1}, "bad": {"base64": "***"}})");
    {
        // Destroying the store lands its writes.
        PreferenceStore store(folder());
        store.setBool(u"flag"_s, false);
        store.setString(u"text"_s, u"true"_s);
        store.setString(u"empty"_s, QString());
        store.setData(u"blob"_s, binary);
        store.setData(u"emptyBlob"_s, QByteArray());
    }
    PreferenceStore store(folder());
    EXPECT_EQ(store.boolValue(u"flag"_s), false);
    EXPECT_EQ(store.stringValue(u"text"_s), u"true"_s);
    EXPECT_EQ(store.stringValue(u"empty"_s), QString());
    EXPECT_EQ(store.dataValue(u"blob"_s), binary);
    EXPECT_EQ(store.dataValue(u"emptyBlob"_s), QByteArray());
    EXPECT_EQ(store.stringValue(u"size"_s), std::nullopt);
    for (const QString& key : { u"text"_s, u"odd"_s, u"bad"_s })
        EXPECT_EQ(store.dataValue(key), std::nullopt) << qPrintable(key);
    EXPECT_EQ(fileObject().value(u"size"_s).toInt(), 42);
    EXPECT_EQ(modeOf(filePath()), 0600u);
}

TEST_F(PreferenceStoreTest, DamagedFileIsKeptAsideAndDefaultsAreUsed)
{
    for (const QByteArray& damaged :
        { QByteArray("{\"filter.botsOnly\": fal"), QByteArray("[true, false]"), QByteArray() }) {
        SCOPED_TRACE(damaged.toStdString());
        QDir(folder()).removeRecursively();
        writeFile(damaged);
        PreferenceStore store(folder());
        EXPECT_FALSE(store.contains(u"filter.botsOnly"_s));
        EXPECT_FALSE(QFileInfo::exists(filePath()));
        const QStringList kept = QDir(folder()).entryList(QDir::Files);
        ASSERT_EQ(kept.size(), 1);
        // The name's time stamp: AlertStoreTest.DamagedFileIsKeptAsideOnceAndNeverOverwritten.
        EXPECT_TRUE(kept.first().startsWith(u"preferences.json.corrupt-"_s));
        const QString keptPath = folder() + u'/' + kept.first();
        EXPECT_EQ(readFile(keptPath), damaged);

        // The next write starts a fresh file and leaves the kept copy alone.
        store.setBool(u"filter.botsOnly"_s, false);
        store.flush();
        EXPECT_EQ(fileObject(), QJsonObject({ { u"filter.botsOnly"_s, false } }));
        EXPECT_EQ(readFile(keptPath), damaged);
    }
}

// Writes happen off the caller's thread: a burst ends with the last values on disk, and a run of
// failures (a full disk) keeps the old file and loses no value.
TEST_F(PreferenceStoreTest, WritesLandTheLastValuesAndARunOfFailuresLosesNothing)
{
    const QString prefixKey = u"filter.triggerPrefix"_s;
    PreferenceStore store(folder());
    store.setString(prefixKey, u"old:"_s);
    store.flush();
    EXPECT_EQ(modeOf(folder()), 0700u);
    const QByteArray before = readFile(filePath());
    const QString longPrefix(4096, u'x');
    {
        test::FileSizeLimit full(before.size() + 16);
        for (int i = 0; i < 3; ++i) {
            store.setString(prefixKey, longPrefix + QString::number(i));
            store.flush();
        }
    }
    EXPECT_EQ(readFile(filePath()), before);
    EXPECT_EQ(store.stringValue(prefixKey), longPrefix + u'2');
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files), QStringList { u"preferences.json"_s });

    // A keystroke each: the last of them, and the value the failed writes could not save, land.
    for (int i = 0; i <= 200; ++i)
        store.setString(u"typed"_s, QString::number(i));
    store.flush();
    EXPECT_EQ(fileObject().value(u"typed"_s).toString(), u"200"_s);
    EXPECT_EQ(fileObject().value(prefixKey).toString(), longPrefix + u'2');
    EXPECT_EQ(modeOf(filePath()), 0600u);
}

} // namespace
} // namespace halyard

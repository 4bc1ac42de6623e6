#include "common/fakekeychain.h"
#include "common/logcapture.h"
#include "settings/preferencestore.h"
#include "settings/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace halyard {
namespace {

// Token-shaped values made up at run time, so no whole token appears in the test's text.
SlackTokens madeUpTokens()
{
    const QString id = QUuid::createUuid().toString(QUuid::Id128);
    return { u"xoxb-"_s + id, u"xapp-"_s + id };
}

// Every preference in one line, so that a table can state what construction made of a value.
QString describe(const SettingsStore& s)
{
    const auto flag = [](bool b) { return b ? u"1"_s : u"0"_s; };
    const AgingPolicy& p = s.agingPolicy();
    return flag(s.botsOnly()) + u'|' + s.triggerPrefix() + u'|' + flag(s.snapToMenuBar()) + u'|'
        + QString::number(p.freshUntil) + u'/' + QString::number(p.agingUntil) + u'/'
        + QString::number(p.staleUntil) + u'|' + flag(s.ackBackEnabled()) + u'|' + s.ackBackEmoji()
        + u'|' + flag(s.notificationsEnabled()) + u'|' + flag(s.teamSharedAckEnabled());
}

const QString kDefaults = u"1|halyard:|1|300/900/1800|1|white_check_mark|1|1"_s;

class SettingsStoreTest : public ::testing::Test {
protected:
    QString folder() const { return m_root.filePath(u"Halyard"_s); }

    QByteArray fileBytes() const
    {
        m_preferences->flush();
        QFile file(folder() + u"/preferences.json"_s);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void writePreferences(const QByteArray& json) const
    {
        QDir().mkpath(folder());
        QFile file(folder() + u"/preferences.json"_s);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json);
    }

    std::unique_ptr<SettingsStore> makeStore()
    {
        m_preferences = std::make_unique<PreferenceStore>(folder());
        return std::make_unique<SettingsStore>(m_keychain, *m_preferences);
    }

    // The preferences file as a later run reads it, once every write has landed.
    PreferenceStore reread() const
    {
        m_preferences->flush();
        return PreferenceStore(folder());
    }

    // What a later run would read from the same stores.
    QString describeAfterRestart()
    {
        PreferenceStore preferences = reread();
        return describe(SettingsStore(m_keychain, preferences));
    }

    void expectNotLogged(const SlackTokens& tokens) const
    {
        for (const auto& line : m_log.lines())
            EXPECT_FALSE(
                line.message.contains(tokens.botToken) || line.message.contains(tokens.appToken));
    }

    QTemporaryDir m_root;
    test::LogCapture m_log;
    test::FakeKeychain m_keychain;
    std::unique_ptr<PreferenceStore> m_preferences;
};

TEST_F(SettingsStoreTest, EmptyStoresGiveTheDefaultsAndWriteNothing)
{
    const auto store = makeStore();
    EXPECT_EQ(describe(*store), kDefaults);
    EXPECT_EQ(store->cachedTokens(), std::nullopt);
    EXPECT_EQ(store->connectionState(), ConnectionState::disconnected());
    EXPECT_FALSE(store->teamName() || store->teamId() || store->botUserName());
    EXPECT_FALSE(QFileInfo::exists(folder()));
    EXPECT_TRUE(m_log.lines().isEmpty());

    // An assignment writes even when it changes nothing.
    store->setBotsOnly(true);
    store->setTriggerPrefix(u"halyard:"_s);
    EXPECT_EQ(reread().boolValue(u"filter.botsOnly"_s), true);
    EXPECT_EQ(reread().stringValue(u"filter.triggerPrefix"_s), u"halyard:"_s);
}

TEST_F(SettingsStoreTest, StoredValuesAreTakenOnlyWhenTheyPassTheirReadRule)
{
    const auto data = [](const QByteArray& bytes) -> QByteArray {
        return "{\"base64\": \"" + bytes.toBase64() + "\"}";
    };
    // Without a field the stored value is refused and every preference keeps its default.
    struct Case {
        const char* key;
        QByteArray storedJson;
        int field = -1;
        QString value = {};
    };
    const Case cases[] = {
        { "filter.botsOnly", "false", 0, u"0"_s },
        { "filter.botsOnly", "\"false\"" },
        { "filter.triggerPrefix", "\"\"", 1, u""_s },
        { "filter.triggerPrefix", "\" !page \"", 1, u" !page "_s },
        { "filter.triggerPrefix", "true" },
        { "behavior.snapToMenuBar", "false", 2, u"0"_s },
        { "behavior.snapToMenuBar", "\"no\"" },
        { "aging.policy", data(R"({"freshUntil":600,"agingUntil":1200,"staleUntil":2400})"), 3,
            u"600/1200/2400"_s },
        // The JSON as a string instead of data; data that is not a whole policy; not JSON.
        { "aging.policy", R"("{\"freshUntil\":60,\"agingUntil\":120,\"staleUntil\":180}")" },
        { "aging.policy", data(R"({"freshUntil":600,"agingUntil":1200})") },
        { "aging.policy", data("not json") },
        { "ackback.enabled", "false", 4, u"0"_s },
        { "ackback.enabled", "null" },
        { "ackback.emoji", "\"\"" },
        { "ackback.emoji", "\"eyes\"", 5, u"eyes"_s },
        { "ackback.emoji", data("eyes") },
        { "notifications.enabled", "false", 6, u"0"_s },
        { "notifications.enabled", "[false]" },
        { "teamack.enabled", "false", 7, u"0"_s },
        { "teamack.enabled", "\"false\"" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " = " + c.storedJson.toStdString());
        QStringList fields = kDefaults.split(u'|');
        if (c.field >= 0)
            fields[c.field] = c.value;
        const QString expected = fields.join(u'|');
        const QByteArray file = "{\"" + QByteArray(c.key) + "\": " + c.storedJson + "}";
        writePreferences(file);
        const auto store = makeStore();
        EXPECT_EQ(describe(*store), expected);
        // A value that passed went through its setter, which wrote it back under its key;
        // otherwise nothing was written and the stored value stays as it was.
        EXPECT_EQ(fileBytes() == file, c.field < 0);
        EXPECT_EQ(describeAfterRestart(), expected);
    }
}

TEST_F(SettingsStoreTest, AgingPolicyAssignmentLogsStoresAndForwards)
{
    const double inf = std::numeric_limits<double>::infinity();
    const QString invalid = u"Aging policy INVALID after assign → fresh=%1m aging=%2m stale=%3m — "
                            u"clamping failed"_s;
    struct Case {
        AgingPolicy policy;
        QString line;
        QtMsgType type;
    };
    const Case cases[] = {
        { { 30, 900, 1800 }, invalid.arg(0).arg(15).arg(30), QtCriticalMsg },
        { { 600, 1200, 2400 }, u"Aging policy → fresh=10m aging=20m stale=40m"_s, QtInfoMsg },
        { { 60, 120, 180 }, u"Aging policy → fresh=1m aging=2m stale=3m"_s, QtInfoMsg },
        { { 359.9, 900, 1800 }, u"Aging policy → fresh=5m aging=15m stale=30m"_s, QtInfoMsg },
        { { 300, 900, 959 }, invalid.arg(5).arg(15).arg(15), QtCriticalMsg },
        { { 300, 330, 1800 }, invalid.arg(5).arg(5).arg(30), QtCriticalMsg },
        { { -90, 900, 1800 }, invalid.arg(-1).arg(15).arg(30), QtCriticalMsg },
        // Never overdue: JSON cannot hold it, so it is not stored, but it is logged and used.
        { { 300, 900, inf },
            u"Aging policy → fresh=5m aging=15m stale=%1m"_s.arg(std::numeric_limits<long>::max()),
            QtInfoMsg },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        QDir(folder()).removeRecursively();
        const auto store = makeStore();
        QList<AgingPolicy> forwarded;
        QObject::connect(store.get(), &SettingsStore::agingPolicyChanged,
            [&](const AgingPolicy& p) { forwarded.append(p); });
        m_log.clear();

        store->setAgingPolicy(c.policy);

        EXPECT_EQ(store->agingPolicy(), c.policy);
        EXPECT_EQ(forwarded, QList<AgingPolicy> { c.policy });
        ASSERT_EQ(m_log.lines().size(), 1);
        EXPECT_EQ(m_log.lines().first().message, c.line);
        EXPECT_EQ(m_log.lines().first().type, c.type);
        const auto stored = reread().dataValue(u"aging.policy"_s);
        if (std::isfinite(c.policy.staleUntil)) {
            ASSERT_TRUE(stored.has_value());
            EXPECT_EQ(AgingPolicy::fromJson(QJsonDocument::fromJson(*stored).object()), c.policy);
        } else {
            EXPECT_EQ(stored, std::nullopt);
        }
    }
}

// Only a read that answered can say "nothing stored"; a failed one is an error and leaves the
// tokens as they were.
TEST_F(SettingsStoreTest, CachedTokensNeedBothItemsAndAnAnsweredRead)
{
    const SlackTokens tokens = madeUpTokens();
    const QString bot = u"slack.botToken"_s;
    const QString app = u"slack.appToken"_s;
    struct Case {
        QStringList stored;
        QString unreadable;
        bool present;
    };
    const Case cases[] = {
        { { bot, app }, {}, true },
        { { bot }, {}, false },
        { { app }, {}, false },
        { { bot, app }, bot, false },
        { { bot }, app, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(
            QString(c.stored.join(u' ') + u" unreadable: "_s + c.unreadable).toStdString());
        m_keychain.items.clear();
        for (const QString& account : c.stored)
            m_keychain.items.insert(account, account == bot ? tokens.botToken : tokens.appToken);
        m_keychain.failingReads = { c.unreadable };
        const auto store = makeStore();
        EXPECT_EQ(store->cachedTokens(), std::nullopt) << "construction reads no tokens";
        const auto loaded = QCoro::waitFor(store->loadTokens());
        EXPECT_EQ(loaded.has_value(), c.unreadable.isEmpty());
        EXPECT_EQ(store->cachedTokens().has_value(), c.present);
        EXPECT_EQ(store->cachedTokens() == tokens, c.present);
    }
    expectNotLogged(tokens);
}

// The cache follows the keychain only when every call of a save or a clear succeeded.
TEST_F(SettingsStoreTest, SavingAndClearingTokensChangeTheCacheOnlyOnSuccess)
{
    const SlackTokens old = madeUpTokens();
    const SlackTokens fresh = madeUpTokens();
    m_keychain.items
        = { { u"slack.botToken"_s, old.botToken }, { u"slack.appToken"_s, old.appToken } };
    const auto store = makeStore();
    ASSERT_TRUE(QCoro::waitFor(store->loadTokens()));
    int notified = 0;
    QObject::connect(store.get(), &SettingsStore::cachedTokensChanged, [&] { ++notified; });

    // A failing app-token write: the new bot token is already in, the cache keeps the old pair.
    m_keychain.failingWrites = { u"slack.appToken"_s };
    const auto failed = QCoro::waitFor(store->saveTokens(fresh.botToken, fresh.appToken));
    ASSERT_FALSE(failed.has_value());
    EXPECT_EQ(failed.error().description(), u"Keychain error: -25308"_s);
    EXPECT_TRUE(m_keychain.items.value(u"slack.botToken"_s) == fresh.botToken);
    EXPECT_TRUE(m_keychain.items.value(u"slack.appToken"_s) == old.appToken);
    EXPECT_TRUE(store->cachedTokens() == old);
    EXPECT_EQ(notified, 0);

    m_keychain.failingWrites.clear();
    ASSERT_TRUE(QCoro::waitFor(store->saveTokens(fresh.botToken, fresh.appToken)));
    EXPECT_TRUE(store->cachedTokens() == fresh);
    EXPECT_EQ(notified, 1);

    // A failing first deletion ends the clearing and changes nothing in memory.
    store->setTeamName(u"Acme"_s);
    store->setTeamId(u"T123"_s);
    store->setBotUserName(u"halyard-bot"_s);
    m_keychain.failingDeletes = { u"slack.botToken"_s };
    m_keychain.calls.clear();
    EXPECT_FALSE(QCoro::waitFor(store->clearTokens()).has_value());
    EXPECT_EQ(m_keychain.calls, QStringList { u"remove slack.botToken"_s });
    EXPECT_TRUE(store->cachedTokens() == fresh);
    EXPECT_EQ(store->teamName(), u"Acme"_s);

    // Once both deletions succeed the workspace facts go too.
    m_keychain.failingDeletes.clear();
    ASSERT_TRUE(QCoro::waitFor(store->clearTokens()));
    EXPECT_TRUE(m_keychain.items.isEmpty());
    EXPECT_FALSE(
        store->cachedTokens() || store->teamName() || store->teamId() || store->botUserName());
    expectNotLogged(old);
    expectNotLogged(fresh);
}

} // namespace
} // namespace halyard

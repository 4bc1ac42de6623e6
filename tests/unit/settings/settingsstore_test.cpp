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
        + u'|' + flag(s.notificationsEnabled()) + u'|' + flag(s.teamSharedAckEnabled()) + u'|'
        + flag(s.showPanel());
}

const QString kDefaults = u"1|halyard:|1|300/900/1800|1|white_check_mark|1|1|1"_s;

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
    const std::tuple<const char*, QByteArray, int, QString> cases[] = {
        { "filter.botsOnly", "false", 0, u"0"_s },
        { "filter.botsOnly", "\"false\"", -1, {} },
        { "filter.triggerPrefix", "\" !page \"", 1, u" !page "_s },
        { "filter.triggerPrefix", "true", -1, {} },
        { "behavior.snapToMenuBar", "false", 2, u"0"_s },
        { "aging.policy", data(R"({"freshUntil":600,"agingUntil":1200,"staleUntil":2400})"), 3,
            u"600/1200/2400"_s },
        // The JSON as a string instead of data; data that is not JSON, or lacks or mistypes a
        // number.
        { "aging.policy", R"("{\"freshUntil\":60,\"agingUntil\":120,\"staleUntil\":180}")", -1,
            {} },
        { "aging.policy", data("not json"), -1, {} },
        { "aging.policy", data(R"({"freshUntil":60,"agingUntil":120})"), -1, {} },
        { "aging.policy", data(R"({"freshUntil":"60","agingUntil":120,"staleUntil":180})"), -1,
            {} },
        { "ackback.enabled", "false", 4, u"0"_s },
        { "ackback.enabled", "null", -1, {} },
        { "ackback.emoji", "\"\"", -1, {} },
        { "ackback.emoji", "\"eyes\"", 5, u"eyes"_s },
        { "notifications.enabled", "false", 6, u"0"_s },
        { "teamack.enabled", "false", 7, u"0"_s },
        { "behavior.showPanel", "false", 8, u"0"_s },
        { "behavior.showPanel", "0", -1, {} },
    };
    for (const auto& [key, storedJson, field, value] : cases) {
        SCOPED_TRACE(std::string(key) + " = " + storedJson.toStdString());
        QStringList fields = kDefaults.split(u'|');
        if (field >= 0)
            fields[field] = value;
        const QByteArray file = "{\"" + QByteArray(key) + "\": " + storedJson + "}";
        writePreferences(file);
        EXPECT_EQ(describe(*makeStore()), fields.join(u'|'));
        // A value that passed went through its setter, which wrote it back under its key;
        // otherwise nothing was written and the stored value stays as it was.
        EXPECT_EQ(fileBytes() == file, field < 0);
        PreferenceStore later = reread();
        EXPECT_EQ(describe(SettingsStore(m_keychain, later)), fields.join(u'|'));
    }
}

TEST_F(SettingsStoreTest, AgingPolicyAssignmentLogsStoresAndForwards)
{
    const double inf = std::numeric_limits<double>::infinity();
    const QString invalid = u"Aging policy INVALID after assign → fresh=%1m aging=%2m stale=%3m — "
                            u"clamping failed"_s;
    const std::tuple<AgingPolicy, QString, QtMsgType> cases[] = {
        { { 30, 900, 1800 }, invalid.arg(0).arg(15).arg(30), QtCriticalMsg },
        { { 359.9, 900, 1800 }, u"Aging policy → fresh=5m aging=15m stale=30m"_s, QtInfoMsg },
        { { 300, 900, 959 }, invalid.arg(5).arg(15).arg(15), QtCriticalMsg },
        { { -90, 900, 1800 }, invalid.arg(-1).arg(15).arg(30), QtCriticalMsg },
        // Never overdue: JSON cannot hold it, so it is not stored, but it is logged and used.
        { { 300, 900, inf },
            u"Aging policy → fresh=5m aging=15m stale=%1m"_s.arg(std::numeric_limits<long>::max()),
            QtInfoMsg },
    };
    for (const auto& [policy, line, type] : cases) {
        SCOPED_TRACE(line.toStdString());
        QDir(folder()).removeRecursively();
        const auto store = makeStore();
        QList<AgingPolicy> forwarded;
        QObject::connect(store.get(), &SettingsStore::agingPolicyChanged,
            [&](const AgingPolicy& p) { forwarded.append(p); });
        m_log.clear();
        store->setAgingPolicy(policy);
        EXPECT_EQ(forwarded, QList<AgingPolicy> { policy });
        ASSERT_EQ(m_log.lines().size(), 1);
        EXPECT_EQ(m_log.lines().first().message, line);
        EXPECT_EQ(m_log.lines().first().type, type);
        const auto stored = reread().dataValue(u"aging.policy"_s);
        EXPECT_EQ(stored.transform([](const QByteArray& json) {
            return AgingPolicy::fromJson(QJsonDocument::fromJson(json).object()).value();
        }),
            std::isfinite(policy.staleUntil) ? std::optional(policy) : std::nullopt);
    }
}

// Only a read that answered can say "nothing stored"; a failed one is an error and leaves the
// tokens as they were.
TEST_F(SettingsStoreTest, CachedTokensNeedBothItemsAndAnAnsweredRead)
{
    const SlackTokens tokens = madeUpTokens();
    const QString bot = u"slack.botToken"_s;
    const QString app = u"slack.appToken"_s;
    const std::tuple<QStringList, QString, bool> cases[] = {
        { { bot, app }, {}, true },
        { { bot }, {}, false },
        { { app }, {}, false },
        { { bot, app }, bot, false },
        { { bot }, app, false },
    };
    for (const auto& [stored, unreadable, present] : cases) {
        SCOPED_TRACE(QString(stored.join(u' ') + u" unreadable: "_s + unreadable).toStdString());
        m_keychain.items.clear();
        for (const QString& account : stored)
            m_keychain.items.insert(account, account == bot ? tokens.botToken : tokens.appToken);
        m_keychain.failingReads = { unreadable };
        const auto store = makeStore();
        EXPECT_EQ(store->cachedTokens(), std::nullopt) << "construction reads no tokens";
        EXPECT_EQ(QCoro::waitFor(store->loadTokens()).has_value(), unreadable.isEmpty());
        EXPECT_EQ(store->cachedTokens().has_value(), present);
        EXPECT_EQ(store->cachedTokens() == tokens, present);
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
    store->setWorkspaceUrl(QUrl(u"https://acme.slack.com/"_s));
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
    EXPECT_FALSE(store->cachedTokens() || store->teamName() || store->teamId()
        || store->workspaceUrl() || store->botUserName());
    expectNotLogged(old);
    expectNotLogged(fresh);
}

} // namespace
} // namespace halyard

#include "common/logcapture.h"
#include "fakekeychain.h"
#include "settings/preferencestore.h"
#include "settings/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QMetaProperty>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace halyard {
namespace {

// Counts emissions of any signal it is connected to.
class SignalCounter : public QObject {
    Q_OBJECT
public:
    int count = 0;
public slots:
    void hit() { ++count; }
};

// A token-shaped value made up at run time, so no whole token appears in the test's text.
QString madeUpToken(const QString& prefix)
{
    return prefix + QUuid::createUuid().toString(QUuid::Id128);
}

QByteArray policyJson(double fresh, double aging, double stale)
{
    return QJsonDocument(AgingPolicy { fresh, aging, stale }.toJson()).toJson();
}

class SettingsStoreTest : public ::testing::Test {
protected:
    QString folder() const { return m_root.filePath(u"Halyard"_s); }
    QString filePath() const { return folder() + u"/preferences.json"_s; }

    QByteArray fileBytes() const
    {
        QFile file(filePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QJsonObject fileObject() const { return QJsonDocument::fromJson(fileBytes()).object(); }

    // Writes the preferences file by hand, values given as JSON text.
    void writePreferences(const QByteArray& json) const
    {
        QDir().mkpath(folder());
        QFile file(filePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json);
    }

    std::unique_ptr<SettingsStore> makeStore()
    {
        m_preferences = std::make_unique<PreferenceStore>(folder());
        return std::make_unique<SettingsStore>(m_keychain, *m_preferences);
    }

    bool logMentions(const QString& text) const
    {
        for (const auto& line : m_log.lines()) {
            if (line.message.contains(text))
                return true;
        }
        return false;
    }

    QTemporaryDir m_root;
    test::LogCapture m_log;
    test::FakeKeychain m_keychain;
    std::unique_ptr<PreferenceStore> m_preferences;
};

TEST_F(SettingsStoreTest, EmptyStoresGiveTheDefaultsAndWriteNothing)
{
    const auto store = makeStore();
    EXPECT_EQ(store->cachedTokens(), std::nullopt);
    EXPECT_EQ(store->connectionState(), ConnectionState::disconnected());
    EXPECT_EQ(store->teamName(), std::nullopt);
    EXPECT_EQ(store->teamId(), std::nullopt);
    EXPECT_EQ(store->botUserName(), std::nullopt);
    EXPECT_TRUE(store->botsOnly());
    EXPECT_EQ(store->triggerPrefix(), u"halyard:"_s);
    EXPECT_TRUE(store->snapToMenuBar());
    EXPECT_EQ(store->agingPolicy(), (AgingPolicy { 300, 900, 1800 }));
    EXPECT_TRUE(store->ackBackEnabled());
    EXPECT_EQ(store->ackBackEmoji(), u"white_check_mark"_s);
    EXPECT_TRUE(store->notificationsEnabled());
    EXPECT_TRUE(store->teamSharedAckEnabled());

    EXPECT_FALSE(QFileInfo::exists(folder()));
    EXPECT_TRUE(m_log.messages(u"settings"_s).isEmpty());
    EXPECT_EQ(m_keychain.calls, (QStringList { u"get slack.botToken"_s, u"get slack.appToken"_s }));
}

// A short text form of every preference, so that one table can state what construction made of
// the stored value.
QString describe(const SettingsStore& s)
{
    const auto flag = [](bool b) { return b ? u"1"_s : u"0"_s; };
    const AgingPolicy& p = s.agingPolicy();
    return flag(s.botsOnly()) + u'|' + s.triggerPrefix() + u'|' + flag(s.snapToMenuBar()) + u'|'
        + QString::number(p.freshUntil) + u'/' + QString::number(p.agingUntil) + u'/'
        + QString::number(p.staleUntil) + u'|' + flag(s.ackBackEnabled()) + u'|' + s.ackBackEmoji()
        + u'|' + flag(s.notificationsEnabled()) + u'|' + flag(s.teamSharedAckEnabled());
}

TEST_F(SettingsStoreTest, StoredValuesAreTakenOnlyWhenTheyPassTheirReadRule)
{
    const QString defaults = u"1|halyard:|1|300/900/1800|1|white_check_mark|1|1"_s;
    const QByteArray policyData = policyJson(600, 1200, 2400).toBase64();
    struct Case {
        const char* key;
        QByteArray storedJson;
        QString expected; // describe() after construction
    };
    const Case cases[] = {
        { "filter.botsOnly", "false", u"0|halyard:|1|300/900/1800|1|white_check_mark|1|1"_s },
        { "filter.botsOnly", "\"false\"", defaults },
        { "filter.botsOnly", "0", defaults },
        { "filter.triggerPrefix", "\"\"", u"1||1|300/900/1800|1|white_check_mark|1|1"_s },
        { "filter.triggerPrefix", "\" !page \"",
            u"1| !page |1|300/900/1800|1|white_check_mark|1|1"_s },
        { "filter.triggerPrefix", "true", defaults },
        { "behavior.snapToMenuBar", "false",
            u"1|halyard:|0|300/900/1800|1|white_check_mark|1|1"_s },
        { "behavior.snapToMenuBar", "\"no\"", defaults },
        { "aging.policy", "{\"base64\": \"" + policyData + "\"}",
            u"1|halyard:|1|600/1200/2400|1|white_check_mark|1|1"_s },
        // The JSON as a string rather than as data, and data that is not a whole policy.
        { "aging.policy", R"("{\"freshUntil\":60,\"agingUntil\":120,\"staleUntil\":180}")",
            defaults },
        { "aging.policy",
            "{\"base64\": \"" + QByteArray(R"({"freshUntil":600,"agingUntil":1200})").toBase64()
                + "\"}",
            defaults },
        { "ackback.enabled", "false", u"1|halyard:|1|300/900/1800|0|white_check_mark|1|1"_s },
        { "ackback.enabled", "null", defaults },
        { "ackback.emoji", "\"\"", defaults },
        { "ackback.emoji", "\"eyes\"", u"1|halyard:|1|300/900/1800|1|eyes|1|1"_s },
        { "ackback.emoji", "{\"base64\": \"ZXllcw==\"}", defaults },
        { "notifications.enabled", "false", u"1|halyard:|1|300/900/1800|1|white_check_mark|0|1"_s },
        { "notifications.enabled", "[false]", defaults },
        { "teamack.enabled", "false", u"1|halyard:|1|300/900/1800|1|white_check_mark|1|0"_s },
        { "teamack.enabled", "\"false\"", defaults },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " = " + c.storedJson.toStdString());
        const QByteArray file = "{\"" + QByteArray(c.key) + "\": " + c.storedJson + "}";
        writePreferences(file);
        const auto store = makeStore();
        EXPECT_EQ(describe(*store), c.expected);
        if (c.expected == defaults) {
            // Nothing passed its read rule, so no setter ran and nothing was written.
            EXPECT_EQ(fileBytes(), file);
        } else {
            // The taken value went through its setter, which wrote it back.
            EXPECT_NE(fileBytes(), file);
            EXPECT_EQ(PreferenceStore(folder()).contains(QString::fromLatin1(c.key)), true);
        }
    }
}

TEST_F(SettingsStoreTest, EveryAssignmentWritesButOnlyChangesNotify)
{
    struct Case {
        const char* property;
        const char* key;
        QVariant other; // differs from the default
        QJsonValue otherJson;
        QJsonValue defaultJson;
    };
    const Case cases[] = {
        { "botsOnly", "filter.botsOnly", false, false, true },
        { "triggerPrefix", "filter.triggerPrefix", u"  "_s, u"  "_s, u"halyard:"_s },
        { "snapToMenuBar", "behavior.snapToMenuBar", false, false, true },
        { "ackBackEnabled", "ackback.enabled", false, false, true },
        { "ackBackEmoji", "ackback.emoji", u""_s, u""_s, u"white_check_mark"_s },
        { "notificationsEnabled", "notifications.enabled", false, false, true },
        { "teamSharedAckEnabled", "teamack.enabled", false, false, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.property);
        QDir(folder()).removeRecursively();
        const auto store = makeStore();
        const QMetaObject* meta = store->metaObject();
        const QMetaProperty property = meta->property(meta->indexOfProperty(c.property));
        ASSERT_TRUE(property.isValid());
        SignalCounter counter;
        QObject::connect(store.get(), property.notifySignal(), &counter,
            counter.metaObject()->method(counter.metaObject()->indexOfSlot("hit()")));
        const QString key = QString::fromLatin1(c.key);

        // The value it already has: written, no signal.
        ASSERT_TRUE(property.write(store.get(), property.read(store.get())));
        EXPECT_EQ(fileObject().value(key), c.defaultJson);
        EXPECT_EQ(counter.count, 0);

        ASSERT_TRUE(property.write(store.get(), c.other));
        EXPECT_EQ(fileObject().value(key), c.otherJson);
        EXPECT_EQ(counter.count, 1);

        ASSERT_TRUE(property.write(store.get(), c.other));
        EXPECT_EQ(counter.count, 1);
    }
}

TEST_F(SettingsStoreTest, AgingPolicyAssignmentLogsStoresAndForwards)
{
    const long maxLong = std::numeric_limits<long>::max();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        AgingPolicy policy;
        QString line;
        QtMsgType type;
    };
    const Case cases[] = {
        { { 30, 900, 1800 },
            u"Aging policy INVALID after assign → fresh=0m aging=15m stale=30m — clamping failed"_s,
            QtCriticalMsg },
        { { 600, 1200, 2400 }, u"Aging policy → fresh=10m aging=20m stale=40m"_s, QtInfoMsg },
        { { 60, 120, 180 }, u"Aging policy → fresh=1m aging=2m stale=3m"_s, QtInfoMsg },
        { { 359.9, 900, 1800 }, u"Aging policy → fresh=5m aging=15m stale=30m"_s, QtInfoMsg },
        { { 300, 900, 959 },
            u"Aging policy INVALID after assign → fresh=5m aging=15m stale=15m — clamping failed"_s,
            QtCriticalMsg },
        { { -90, 900, 1800 },
            u"Aging policy INVALID after assign → fresh=-1m aging=15m stale=30m — clamping failed"_s,
            QtCriticalMsg },
        // Never overdue: not representable in JSON, but it must not crash the log line.
        { { 300, 900, inf },
            u"Aging policy → fresh=5m aging=15m stale="_s + QString::number(maxLong) + u'm',
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
        const auto stored = PreferenceStore(folder()).dataValue(u"aging.policy"_s);
        if (std::isfinite(c.policy.staleUntil)) {
            ASSERT_TRUE(stored.has_value());
            EXPECT_EQ(
                AgingPolicy::fromJson(QJsonDocument::fromJson(*stored).object()).value(), c.policy);
        } else {
            EXPECT_FALSE(stored.has_value());
        }
    }
}

TEST_F(SettingsStoreTest, UndecodableStoredPolicyStaysUntilTheNextAssignment)
{
    const QByteArray file = R"({"aging.policy": {"base64": "bm90IGpzb24="}})";
    writePreferences(file);
    const auto store = makeStore();
    EXPECT_EQ(store->agingPolicy(), AgingPolicy {});
    EXPECT_EQ(fileBytes(), file);

    store->setStaleMinutes(45);
    const auto stored = PreferenceStore(folder()).dataValue(u"aging.policy"_s);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(AgingPolicy::fromJson(QJsonDocument::fromJson(*stored).object()).value(),
        (AgingPolicy { 300, 900, 2700 }));
}

TEST_F(SettingsStoreTest, ClampedEditsAssignTheWholePolicy)
{
    const auto store = makeStore();
    store->setAgingPolicy({ 300, 900, 1800 });
    store->setFreshMinutes(20);
    EXPECT_EQ(store->agingPolicy(), (AgingPolicy { 840, 900, 1800 }));
    store->setAgingMinutes(1);
    EXPECT_EQ(store->agingPolicy(), (AgingPolicy { 840, 900, 1800 }));
    store->setStaleMinutes(1);
    EXPECT_EQ(store->agingPolicy(), (AgingPolicy { 840, 900, 960 }));
    EXPECT_EQ(m_log.messagesStartingWith(u"settings"_s, u"Aging policy INVALID"_s).size(), 0);
}

TEST_F(SettingsStoreTest, CachedTokensNeedBothItems)
{
    const QString bot = madeUpToken(u"xoxb-"_s);
    const QString app = madeUpToken(u"xapp-"_s);
    struct Case {
        const char* name;
        bool storeBot;
        bool storeApp;
        bool failBotRead;
        bool present;
    };
    const Case cases[] = {
        { "both", true, true, false, true },
        { "bot only", true, false, false, false },
        { "app only", false, true, false, false },
        { "unreadable bot token", true, true, true, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_keychain.items.clear();
        m_keychain.failingReads.clear();
        if (c.storeBot)
            m_keychain.items.insert(u"slack.botToken"_s, bot);
        if (c.storeApp)
            m_keychain.items.insert(u"slack.appToken"_s, app);
        if (c.failBotRead)
            m_keychain.failingReads.insert(u"slack.botToken"_s);
        const auto store = makeStore();
        EXPECT_EQ(store->cachedTokens().has_value(), c.present);
        if (c.present) {
            EXPECT_TRUE(*store->cachedTokens() == (SlackTokens { bot, app }));
        }
    }
    EXPECT_FALSE(logMentions(bot) || logMentions(app));
}

TEST_F(SettingsStoreTest, SavedTokensAreCachedOnlyWhenBothWritesSucceed)
{
    const SlackTokens old { madeUpToken(u"xoxb-"_s), madeUpToken(u"xapp-"_s) };
    const SlackTokens fresh { madeUpToken(u"xoxb-"_s), madeUpToken(u"xapp-"_s) };
    m_keychain.items
        = { { u"slack.botToken"_s, old.botToken }, { u"slack.appToken"_s, old.appToken } };
    const auto store = makeStore();
    int notified = 0;
    QObject::connect(store.get(), &SettingsStore::cachedTokensChanged, [&] { ++notified; });

    // A failing app-token write: the new bot token is already in, the cache keeps the old pair.
    m_keychain.failingWrites.insert(u"slack.appToken"_s);
    const auto failed = store->saveTokens(fresh.botToken, fresh.appToken);
    ASSERT_FALSE(failed.has_value());
    EXPECT_EQ(failed.error().description(), u"Keychain error: -25308"_s);
    EXPECT_TRUE(m_keychain.items.value(u"slack.botToken"_s) == fresh.botToken);
    EXPECT_TRUE(m_keychain.items.value(u"slack.appToken"_s) == old.appToken);
    EXPECT_TRUE(store->cachedTokens() == old);
    EXPECT_EQ(notified, 0);

    // A failing bot-token write stops before the app token.
    m_keychain.failingWrites = { u"slack.botToken"_s };
    m_keychain.calls.clear();
    EXPECT_FALSE(store->saveTokens(fresh.botToken, fresh.appToken).has_value());
    EXPECT_EQ(m_keychain.calls, QStringList { u"set slack.botToken"_s });

    m_keychain.failingWrites.clear();
    m_keychain.calls.clear();
    ASSERT_TRUE(store->saveTokens(fresh.botToken, fresh.appToken).has_value());
    EXPECT_EQ(m_keychain.calls, (QStringList { u"set slack.botToken"_s, u"set slack.appToken"_s }));
    EXPECT_TRUE(store->cachedTokens() == fresh);
    EXPECT_EQ(notified, 1);
    EXPECT_FALSE(logMentions(fresh.botToken) || logMentions(fresh.appToken));
}

TEST_F(SettingsStoreTest, ClearingTokensForgetsTheWorkspace)
{
    const auto store = makeStore();
    store->setTeamName(u"Acme"_s);
    store->setTeamId(u"T123"_s);
    store->setBotUserName(u"halyard-bot"_s);

    // Nothing stored: both deletions succeed and the workspace facts go.
    ASSERT_TRUE(store->clearTokens().has_value());
    EXPECT_EQ(store->cachedTokens(), std::nullopt);
    EXPECT_EQ(store->teamName(), std::nullopt);
    EXPECT_EQ(store->teamId(), std::nullopt);
    EXPECT_EQ(store->botUserName(), std::nullopt);

    // A failing first deletion ends the operation and changes nothing in memory.
    ASSERT_TRUE(store->saveTokens(madeUpToken(u"xoxb-"_s), madeUpToken(u"xapp-"_s)).has_value());
    store->setTeamName(u"Acme"_s);
    m_keychain.failingDeletes.insert(u"slack.botToken"_s);
    m_keychain.calls.clear();
    EXPECT_FALSE(store->clearTokens().has_value());
    EXPECT_EQ(m_keychain.calls, QStringList { u"remove slack.botToken"_s });
    EXPECT_TRUE(store->cachedTokens().has_value());
    EXPECT_EQ(store->teamName(), u"Acme"_s);
}

TEST_F(SettingsStoreTest, ConnectionStateNotifiesOnRealChangesOnly)
{
    const auto store = makeStore();
    QList<ConnectionState> seen;
    QObject::connect(store.get(), &SettingsStore::connectionStateChanged,
        [&](const ConnectionState& s) { seen.append(s); });
    const ConnectionState steps[] = {
        ConnectionState::disconnected(),
        ConnectionState::connecting(),
        ConnectionState::connecting(),
        ConnectionState::error(u"timed out"_s),
        ConnectionState::error(u"timed out"_s),
        ConnectionState::error(u"invalid_auth"_s),
        ConnectionState::connected(),
    };
    for (const auto& state : steps)
        store->setConnectionState(state);
    EXPECT_EQ(seen,
        (QList<ConnectionState> { ConnectionState::connecting(),
            ConnectionState::error(u"timed out"_s), ConnectionState::error(u"invalid_auth"_s),
            ConnectionState::connected() }));
}

} // namespace
} // namespace halyard

#include "settingsstore_test.moc"

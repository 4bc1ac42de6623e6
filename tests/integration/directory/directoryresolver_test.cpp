// Name lookups against the fake Slack.
#include "halyard-sim/fakeslack.h"
#include "slack/directory/directoryresolver.h"
#include "slack/directory/slackdirectory.h"
#include "slack/webapi/slackwebapi.h"

#include <QCoroTask>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace halyard::test {
namespace {

using Names = QHash<QString, QString>;

QCoro::Task<> markWhenDone(QCoro::Task<> task, bool* done)
{
    co_await std::move(task);
    *done = true;
}

class DirectoryResolverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(slack.listen());
        api.emplace(&network, slack.apiUrl(), 5000ms, RetryPolicy { 4, 4ms });
        resolver = std::make_unique<DirectoryResolver>(&directory, &*api);
        slack.workspace().addChannel({ u"C1"_s, u"alerts"_s });
        slack.workspace().addChannel({ u"G1"_s, u"ops"_s, true });
    }

    // Asks for every ID, then waits until no lookup is in flight.
    bool resolve(const QStringList& users, const QStringList& channels = {})
    {
        for (const QString& id : users)
            resolver->resolveUserName(id, token);
        for (const QString& id : channels)
            resolver->resolveChannelName(id, token);
        return QTest::qWaitFor([this] {
            return resolver->inflightChannelLookups().isEmpty()
                && resolver->inflightUserLookups().isEmpty();
        });
    }
    void refresh()
    {
        bool done = false;
        markWhenDone(resolver->refreshChannelNames(token), &done);
        ASSERT_TRUE(QTest::qWaitFor([&done] { return done; }));
    }
    int requestCount(const QString& method) const { return int(slack.requests(method).size()); }
    FakeSlack slack;
    QNetworkAccessManager network;
    std::optional<SlackWebAPI> api;
    SlackDirectory directory;
    std::unique_ptr<DirectoryResolver> resolver;
    const QString token = slack.workspace().botToken;
};

// A user's display name, else the real name, else the ID; bot IDs go to bots.info, and a bot
// without a name leaves the fallback to the reader. A burst about one ID costs one request.
TEST_F(DirectoryResolverTest, OneRequestPerUnknownIdAndTheNameRules)
{
    slack.workspace().addUser(u"U1"_s, u"ada"_s, u"Ada Lovelace"_s, QString());
    slack.workspace().addUser(QJsonObject { { u"id"_s, u"U2"_s } });
    slack.workspace().addBot({ u"B1"_s, u"deploybot"_s, u"A1"_s });
    slack.workspace().addBot({ u"B2"_s, QString(), u"A2"_s });
    QSignalSpy channelsChanged(&directory, &SlackDirectory::channelNamesChanged);
    QSignalSpy usersChanged(&directory, &SlackDirectory::userNamesChanged);
    for (int i = 0; i < 10; ++i)
        resolver->resolveChannelName(u"C1"_s, token);
    EXPECT_EQ(resolver->inflightChannelLookups(), QSet<QString> { u"C1"_s });
    ASSERT_TRUE(resolve({ u"U1"_s, u"U2"_s, u"B1"_s, u"B2"_s, u"U1"_s }));
    const auto requests = slack.requests(u"conversations.info"_s);
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].param(u"channel"_s), u"C1"_s);
    EXPECT_EQ(requests[0].token(), token);
    EXPECT_EQ(directory.channelNames(), (Names { { u"C1"_s, u"alerts"_s } }));
    EXPECT_EQ(channelsChanged.count(), 1);
    EXPECT_EQ(directory.userNames(),
        (Names {
            { u"U1"_s, u"Ada Lovelace"_s }, { u"U2"_s, u"U2"_s }, { u"B1"_s, u"deploybot"_s } }));
    EXPECT_EQ(usersChanged.count(), 3);
    EXPECT_EQ(requestCount(u"users.info"_s), 2);
    ASSERT_EQ(requestCount(u"bots.info"_s), 2);
    EXPECT_EQ(slack.requests(u"bots.info"_s)[0].param(u"bot"_s), u"B1"_s);

    // Once named, later messages ask nothing, and the same name again changes nothing.
    ASSERT_TRUE(resolve({ u"U1"_s }, { u"C1"_s }));
    directory.setChannelName(u"C1"_s, u"alerts"_s);
    EXPECT_EQ(slack.requests().size(), 5);
    EXPECT_EQ(channelsChanged.count(), 1);
}

// "Not found" rests the ID for a while; a failure is retried by the look-up itself with back-off
// (later messages join it, costing nothing), and after its last try the ID rests too.
TEST_F(DirectoryResolverTest, MissesRestAndFailuresRetryWithBackOff)
{
    resolver = std::make_unique<DirectoryResolver>(
        &directory, &*api, DirectoryTimings { 300ms, 20ms, 2 });
    slack.workspace().addUser(u"U1"_s, u"ada"_s, u"Ada Lovelace"_s, u"ada.l"_s);
    // The first try of each outlasts the client's four retries.
    slack.script(u"users.info"_s, FakeReply::http(503), 4);
    slack.script(u"bots.info"_s, FakeReply::http(503), 8);
    for (int i = 0; i < 20; ++i) {
        resolver->resolveUserName(u"U1"_s, token);
        resolver->resolveUserName(u"B1"_s, token);
    }
    ASSERT_TRUE(resolve({}));
    ASSERT_TRUE(resolve({ u"U2"_s }, { u"C404"_s }));
    EXPECT_EQ(requestCount(u"users.info"_s), 6);
    EXPECT_EQ(requestCount(u"bots.info"_s), 8);
    EXPECT_EQ(directory.userNames(), (Names { { u"U1"_s, u"ada.l"_s } }));
    // Each miss rests: asking again at once sends nothing.
    slack.workspace().addBot({ u"B1"_s, u"deploybot"_s, u"A1"_s });
    ASSERT_TRUE(resolve({ u"U2"_s }, { u"C404"_s }));
    EXPECT_EQ(slack.requests().size(), 15);
    QTest::qWait(350);
    ASSERT_TRUE(resolve({ u"U2"_s, u"B1"_s }, { u"C404"_s }));
    EXPECT_EQ(requestCount(u"users.info"_s), 7);
    EXPECT_EQ(requestCount(u"conversations.info"_s), 2);
    EXPECT_EQ(
        directory.userNames(), (Names { { u"U1"_s, u"ada.l"_s }, { u"B1"_s, u"deploybot"_s } }));
}

// The names kept are bounded; the least recently used go first.
TEST(SlackDirectoryBound, LeastRecentlyUsedNamesGoFirst)
{
    SlackDirectory directory(nullptr, 10);
    for (int i = 0; i < 25; ++i) {
        directory.setUserName(u"U%1"_s.arg(i), u"user %1"_s.arg(i));
        EXPECT_TRUE(directory.hasUser(u"U0"_s)) << i;
    }
    // Besides U0, looked up all along, the newest names and only they.
    const auto& kept = directory.userNames();
    EXPECT_LE(kept.size(), 10);
    const int oldest = 25 - int(kept.size() - 1);
    for (int i = 1; i < 25; ++i)
        EXPECT_EQ(kept.contains(u"U%1"_s.arg(i)), i >= oldest) << i;
}

// Failures end silently and keep the names; a success names the listed channels, keeps the rest
// and notifies once.
TEST_F(DirectoryResolverTest, RefreshNamesListedChannelsAndKeepsTheRest)
{
    directory.setChannelName(u"C1"_s, u"old-name"_s);
    directory.setChannelName(u"C9"_s, u"archived"_s);
    const Names before = directory.channelNames();
    QSignalSpy changed(&directory, &SlackDirectory::channelNamesChanged);
    for (const FakeReply& failure : { FakeReply::slackError(u"invalid_auth"_s),
             FakeReply::http(404), FakeReply::json({ { u"ok"_s, true }, { u"channels"_s, 5 } }) }) {
        slack.script(u"users.conversations"_s, failure, -1);
        refresh();
        slack.clearScripts();
    }
    EXPECT_EQ(requestCount(u"users.conversations"_s), 3);
    EXPECT_EQ(directory.channelNames(), before);
    refresh();
    refresh();
    EXPECT_EQ(directory.channelNames(),
        (Names { { u"C1"_s, u"alerts"_s }, { u"G1"_s, u"ops"_s }, { u"C9"_s, u"archived"_s } }));
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(DirectoryResolverTest, LookupsEndQuietlyWhenTheResolverGoesAway)
{
    slack.script(u"conversations.info"_s, FakeReply::hang());
    slack.script(u"users.conversations"_s, FakeReply::hang());
    slack.script(u"users.info"_s, FakeReply::serve().after(50ms));
    slack.workspace().addUser(u"U1"_s, u"ada"_s);
    resolver->resolveChannelName(u"C1"_s, token);
    resolver->resolveUserName(u"U1"_s, token);
    bool refreshed = false;
    markWhenDone(resolver->refreshChannelNames(token), &refreshed);
    ASSERT_TRUE(QTest::qWaitFor([this] { return slack.requests().size() == 3; }));
    resolver.reset();
    // The caller awaiting the refresh is released, not left hanging. One cancellation aborted
    // every call in the same turn, so the lookups have ended too, without a name.
    EXPECT_TRUE(QTest::qWaitFor([&refreshed] { return refreshed; }));
    EXPECT_TRUE(directory.channelNames().isEmpty());
    EXPECT_TRUE(directory.userNames().isEmpty());
}

} // namespace
} // namespace halyard::test

// The intake wired as the service wires it: live messages and reactions, ack-back posts, and
// catching up after a connect (backfill from the marks and reaction reconciliation).
#include "common/fakekeychain.h"
#include "common/logcapture.h"
#include "halyard-sim/fakeslack.h"
#include "queue/alertstore.h"
#include "settings/preferencestore.h"
#include "settings/settingsstore.h"
#include "slack/directory/directoryresolver.h"
#include "slack/directory/slackdirectory.h"
#include "slack/intake/bannerposter.h"
#include "slack/intake/messageintake.h"
#include "slack/intake/reactionposter.h"
#include "slack/webapi/slackwebapi.h"

#include <QCoroTask>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace halyard::test {

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

class RecordingBanners : public BannerPoster {
public:
    void postBanner(const QString& alertId, const QString& title, const QString& body) override
    {
        ids.append(alertId);
        posted.append({ title, body });
    }
    QStringList ids;
    QList<std::pair<QString, QString>> posted;
};

// The intake wired as the service wires it, against a fake Slack with channel C1 "ops".
class IntakeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(slack.listen());
        slack.workspace().addChannel({ u"C1"_s, u"ops"_s });
        api = std::make_unique<SlackWebAPI>(&network, slack.apiUrl(),
            std::chrono::milliseconds(5000), RetryPolicy { 2, std::chrono::milliseconds(4) });
        resolver = std::make_unique<DirectoryResolver>(&directory, api.get());
        intake = std::make_unique<MessageIntake>(
            &store, &settings, &directory, resolver.get(), &banners, api.get());
    }

    void TearDown() override
    {
        // Lookups still in flight must end before the network goes away.
        EXPECT_TRUE(QTest::qWaitFor([this] {
            return resolver->inflightChannelLookups().isEmpty()
                && resolver->inflightUserLookups().isEmpty();
        }));
    }

    SlackTokens tokens() const
    {
        return { slack.workspace().botToken, slack.workspace().appToken };
    }
    // A bot message in the channel, as Slack stores it; its ts.
    QString addBotMessage(const QString& channel, const QString& ts)
    {
        return slack.workspace().addMessage(
            channel, { { u"ts"_s, ts }, { u"text"_s, u"m"_s }, { u"bot_id"_s, u"B1"_s } });
    }
    static MessageEvent botMessage(const QString& ts, const QString& text)
    {
        return { u"C1"_s, u"B1"_s, text, ts, u"Monitor"_s, true };
    }

    LogCapture log;
    FakeSlack slack;
    QNetworkAccessManager network;
    std::unique_ptr<SlackWebAPI> api;
    QTemporaryDir profile;
    FakeKeychain keychain;
    PreferenceStore preferences { profile.path() };
    SettingsStore settings { keychain, preferences };
    AlertStore store;
    SlackDirectory directory;
    RecordingBanners banners;
    std::unique_ptr<DirectoryResolver> resolver;
    std::unique_ptr<MessageIntake> intake;
};

using Banners = QList<std::pair<QString, QString>>;

QString tsAt(int second, int micros = 100)
{
    return QString::number(1'700'000'000 + second) + u'.'
        + QString::number(micros).rightJustified(6, u'0');
}

TEST_F(IntakeTest, LiveBotMessageIsQueuedOnceAndAnnouncedOnce)
{
    const MessageEvent message = botMessage(u"1700000123.000400"_s, u"Disk :fire: on db1"_s);
    intake->handleLiveMessage(message, tokens());
    intake->handleLiveMessage(message, tokens());
    EXPECT_EQ(store.alerts(),
        (QList { Alert { u"C1:1700000123.000400"_s, u"C1"_s, u"1700000123.000400"_s, u"B1"_s,
            u"Disk :fire: on db1"_s, 1700000123.0 - kUnixToReferenceOffset, std::nullopt } }));
    EXPECT_EQ(store.highWaterByChannel().value(u"C1"_s), u"1700000123.000400"_s);
    // The banner waits for the channel's name, which comes within a second.
    ASSERT_TRUE(QTest::qWaitFor([this] { return !banners.posted.isEmpty(); }));
    EXPECT_EQ(banners.posted, (Banners { { u"#ops"_s, u"Disk \U0001F525 on db1"_s } }));
    // The poster's name came with the message; the channel is looked up once.
    EXPECT_EQ(directory.userName(u"B1"_s), u"Monitor"_s);
    ASSERT_TRUE(QTest::qWaitFor([this] { return directory.channelName(u"C1"_s).has_value(); }));
    EXPECT_EQ(slack.requests(u"conversations.info"_s).size(), 1);
    EXPECT_TRUE(slack.requests(u"bots.info"_s).isEmpty());

    // Once the channel is named, banners say so; long bodies keep their first 140 characters.
    // A poster without a name is looked up.
    intake->handleLiveMessage(
        { u"C1"_s, u"B2"_s, u":rotating_light:"_s.repeated(150), u"1700000200.000100"_s, {}, true },
        tokens());
    EXPECT_EQ(banners.posted.value(1), std::pair(u"#ops"_s, u"\U0001F6A8"_s.repeated(140)));
    EXPECT_TRUE(QTest::qWaitFor([this] { return slack.requests(u"bots.info"_s).size() == 1; }));

    // A person's message without the trigger prefix is dropped.
    intake->handleLiveMessage(
        { u"C1"_s, u"U7"_s, u"disk"_s, u"1700000300.000100"_s, {}, false }, tokens());
    EXPECT_EQ(store.alerts().size(), 2);

    // A posting time far ahead would read "just now" for ever: the time of arrival stands in.
    const ReferenceTime before = currentReferenceTime();
    intake->handleLiveMessage(botMessage(u"99999999999.000100"_s, u"later"_s), tokens());
    ASSERT_EQ(store.alerts().last().text, u"later"_s);
    EXPECT_GE(store.alerts().last().receivedAt, before);
    EXPECT_LE(store.alerts().last().receivedAt, currentReferenceTime());

    // Banners show the text without marks, and the names of mentions.
    slack.workspace().addUser(u"U5"_s, u"kim"_s, {}, u"Kim"_s);
    // A name that takes longer than a second leaves its ID in the banner.
    slack.script(u"bots.info"_s, FakeReply::serve().after(1500ms));
    const qsizetype shown = banners.posted.size();
    intake->handleLiveMessage(
        botMessage(u"1700000500.000100"_s, u"*Disk* <@B8> <@U5> `df`"_s), tokens());
    ASSERT_TRUE(QTest::qWaitFor([&] { return banners.posted.size() > shown; }, 3000));
    EXPECT_EQ(banners.posted.last().second, u"Disk @B8 @Kim df"_s);
}

// A storm of messages naming the same unknown people costs one look-up per person; mentions a row
// never shows, and messages that did not become alerts, cost none. Text beyond Slack's limit is
// cut.
TEST_F(IntakeTest, LookUpsStayBoundedUnderAStorm)
{
    QString mentions;
    for (int i = 0; i < 8; ++i)
        mentions += u"<@U%1> "_s.arg(i);
    const QString hidden = u"x"_s.repeated(MessageIntake::kRowTextLength) + u" <@U99>"_s;
    for (int i = 0; i < 300; ++i) {
        intake->handleLiveMessage(
            botMessage(tsAt(1000 + i), i == 0 ? hidden : mentions + QString::number(i)), tokens());
    }
    // Acknowledged by a teammate before it arrived: never an alert.
    intake->handleReaction({ u"U2"_s, u"white_check_mark"_s, u"C1"_s, u"1700009000.000100"_s });
    intake->handleLiveMessage(botMessage(u"1700009000.000100"_s, u"<@U98>"_s), tokens());
    intake->handleLiveMessage(
        botMessage(u"1700009999.000100"_s, u"y"_s.repeated(50'000)), tokens());
    ASSERT_TRUE(QTest::qWaitFor([this] { return resolver->inflightUserLookups().isEmpty(); }));
    QSet<QString> asked;
    for (const auto& request : slack.requests(u"users.info"_s))
        asked.insert(request.param(u"user"_s).value_or(QString()));
    EXPECT_EQ(slack.requests(u"users.info"_s).size(), 8);
    EXPECT_FALSE(asked.contains(u"U98"_s) || asked.contains(u"U99"_s));
    EXPECT_EQ(store.alerts().last().text.size(), MessageIntake::kMaxTextLength);
}

TEST_F(IntakeTest, AckReactionClearsTheAlertOtherEmojiAreIgnored)
{
    // For the history: whose reaction took it out.
    QStringList acks;
    QObject::connect(&store, &AlertStore::alertAcknowledged,
        [&](const Alert& alert, AckCause cause, const QString& by) {
            acks.append(alert.ts + (cause == AckCause::teammate ? u" by "_s : u" ? "_s) + by);
        });
    intake->handleLiveMessage(botMessage(u"1700000400.000100"_s, u"a"_s), tokens());
    intake->handleLiveMessage(botMessage(u"1700000401.000100"_s, u"b"_s), tokens());
    intake->handleReaction({ u"U2"_s, u"eyes"_s, u"C1"_s, u"1700000400.000100"_s });
    EXPECT_EQ(store.alerts().size(), 2);
    intake->handleReaction({ u"U2"_s, u"white_check_mark"_s, u"C1"_s, u"1700000400.000100"_s });
    ASSERT_EQ(store.alerts().size(), 1);
    EXPECT_EQ(store.alerts().first().ts, u"1700000401.000100"_s);
    EXPECT_EQ(acks, QStringList { u"1700000400.000100 by U2"_s });

    // An ack that overtook its message: the message is not queued, so it raises no banner.
    intake->handleReaction({ u"U2"_s, u"white_check_mark"_s, u"C1"_s, u"1700000500.000100"_s });
    intake->handleLiveMessage(botMessage(u"1700000500.000100"_s, u"c"_s), tokens());
    // The banner of the one acknowledged while its channel's name was looked up never shows.
    ASSERT_TRUE(QTest::qWaitFor([this] { return !banners.ids.isEmpty(); }));
    QTest::qWait(100);
    EXPECT_EQ(banners.ids, (QStringList { u"C1:1700000401.000100"_s }));
}

// What a stop would leave in the outbox now: nothing once Slack has every reaction.
bool outboxEmpty(ReactionOutbox& outbox)
{
    outbox.flush();
    return outbox.load().isEmpty();
}

// Ack-back posts: each sent once, the oldest first; kept in the outbox until Slack has them, so an
// Ack made offline or before a stop is sent after the next start. A transient fault is outlasted
// however long it lasts, without holding the others up; only an answer that can never change
// gives a reaction up. A damaged outbox is kept aside.
TEST_F(IntakeTest, ReactionsSurviveAStopOutlastFaultsAndDropOnlyFinalAnswers)
{
    const QString ts = addBotMessage(u"C1"_s, u"1700000001.000100"_s);
    const QString ts2 = addBotMessage(u"C1"_s, u"1700000002.000100"_s);
    QFile damaged(profile.filePath(u"data/reactions.json"_s));
    ASSERT_TRUE(QDir().mkpath(profile.filePath(u"data"_s)));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("<html>502 Bad Gateway</html>");
    damaged.close();
    auto outbox = ReactionOutbox::create(profile.filePath(u"data"_s));
    ASSERT_TRUE(outbox);
    std::optional<QString> token;
    const auto tokenSource = [&token] { return token; };
    const ReactionPoster::Item first { u"C1"_s, ts, u"white_check_mark"_s };
    const ReactionPoster::Item second { u"C1"_s, ts2, u"white_check_mark"_s };
    const ReactionPoster::Item gone { u"C9"_s, ts, u"eyes"_s };
    {
        ReactionPoster offline(api.get(), tokenSource, &*outbox, { 10ms, 20ms });
        EXPECT_EQ(
            QDir(profile.filePath(u"data"_s)).entryList({ u"reactions.json.corrupt-*"_s }).size(),
            1);
        for (const auto& item : { first, second, gone, first })
            offline.enqueueReaction(item);
        outbox->flush();
        // What a crash leaves behind: the file already holds each once.
        EXPECT_EQ(ReactionOutbox::create(profile.filePath(u"data"_s))->load(),
            (QList<ReactionPoster::Item> { first, second, gone }));
    }
    EXPECT_TRUE(slack.requests(u"reactions.add"_s).isEmpty());

    // Six failures, each outlasting the client's own retries.
    slack.script(u"reactions.add"_s, FakeReply::http(500), 12);
    token = slack.workspace().botToken;
    ReactionPoster poster(api.get(), tokenSource, &*outbox, { 5ms, 20ms });
    ASSERT_TRUE(QTest::qWaitFor([&] { return outboxEmpty(*outbox); }, 10000));
    const auto posts = slack.requests(u"reactions.add"_s);
    EXPECT_EQ(posts.size(), 15);
    EXPECT_EQ(posts.value(0).param(u"timestamp"_s), ts);
    EXPECT_EQ(slack.workspace().reactions(u"C1"_s, ts).size(), 1);
    EXPECT_EQ(slack.workspace().reactions(u"C1"_s, ts2).size(), 1);
    EXPECT_TRUE(log.messages(u"alerts"_s)
                    .contains(u"reactions.add failed: HTTP 0: channel_not_found (channel=C9 "
                              "ts=1700000001.000100 emoji=eyes) — possible causes: missing "
                              "reactions:write scope; bot not a member of the channel; source "
                              "message deleted or unreachable"_s));
}

const QString kMark = u"1700000000.000100"_s;

class BackfillTest : public IntakeTest {
protected:
    void setMark(const QString& channel, const QString& ts)
    {
        store.enqueue({ Alert::makeId(channel, ts), channel, ts, {}, u"seen"_s, 0, {} });
    }
    void runBackfill(CancellationToken cancel = {})
    {
        log.clear();
        QCoro::waitFor(intake->backfill(tokens(), store.beginBackfill(), std::move(cancel)));
    }
    QStringList enqueuedIds() const
    {
        QStringList ids = log.messagesStartingWith(u"alerts"_s, u"Enqueued: "_s);
        for (QString& line : ids)
            line = line.section(u' ', 1, 1);
        return ids;
    }
};

TEST_F(BackfillTest, FollowsTheCursorAndTakesMessagesInOldestFirst)
{
    setMark(u"C1"_s, kMark);
    addBotMessage(u"C1"_s, kMark);
    QStringList expected;
    for (int i = 1; i <= 230; ++i) {
        if (i == 5)
            slack.workspace().addMessage(u"C1"_s, { { u"ts"_s, tsAt(i) }, { u"text"_s, u"hi"_s } });
        else
            addBotMessage(u"C1"_s, tsAt(i));
        if (i != 5 && i != 6)
            expected.append(u"C1:"_s + tsAt(i));
    }
    slack.workspace().addReaction(u"C1"_s, tsAt(6), u"white_check_mark"_s, u"U2"_s);
    slack.workspace().addReaction(u"C1"_s, tsAt(7), u"eyes"_s, u"U2"_s);
    qsizetype live = 0;
    QObject::connect(&store, &AlertStore::alertArrived,
        [&live](const Alert&, Arrival arrival) { live += arrival == Arrival::live; });
    runBackfill();
    EXPECT_EQ(live, 0);
    const auto requests = slack.requests(u"conversations.history"_s);
    ASSERT_EQ(requests.size(), 3);
    EXPECT_EQ(requests[0].query, "channel=C1&limit=100&oldest=1700000000.000100");
    EXPECT_TRUE(
        requests[2].query->startsWith("channel=C1&limit=100&oldest=1700000000.000100&cursor="));
    EXPECT_EQ(enqueuedIds(), expected);
    EXPECT_EQ(store.highWaterByChannel().value(u"C1"_s), tsAt(230));
    EXPECT_TRUE(banners.posted.isEmpty());
}

TEST_F(BackfillTest, OrdersByTsAndKeepsTheMarkOfAChannelThatFailedHalfway)
{
    slack.workspace().addChannel({ u"C2"_s, u"db"_s });
    setMark(u"C1"_s, kMark);
    setMark(u"C2"_s, kMark);
    for (int i = 1; i <= 150; ++i)
        addBotMessage(u"C2"_s, tsAt(i));
    // Three messages of one second, answered out of order.
    QJsonArray page;
    for (int micros : { 300, 100, 200 })
        page.append(QJsonObject { { u"type"_s, u"message"_s }, { u"ts"_s, tsAt(50, micros) },
            { u"text"_s, u"t"_s }, { u"bot_id"_s, u"B1"_s } });
    slack.script(u"conversations.history"_s,
        FakeReply::json({ { u"ok"_s, true }, { u"messages"_s, page }, { u"has_more"_s, false } }));
    slack.script(u"conversations.history"_s, FakeReply::serve());
    slack.script(u"conversations.history"_s, FakeReply::slackError(u"internal_error"_s));
    runBackfill();
    EXPECT_EQ(enqueuedIds(),
        (QStringList {
            u"C1:"_s + tsAt(50, 100), u"C1:"_s + tsAt(50, 200), u"C1:"_s + tsAt(50, 300) }));
    EXPECT_EQ(store.highWaterByChannel().value(u"C2"_s), kMark);
    EXPECT_TRUE(log.contains(u"slack"_s,
        u"Backfill complete: raw=3 enqueued=3 skippedByReaction=0 channelFailures=1"_s));
}

// One message the intake cannot read costs that message; odd display fields cost nothing.
TEST_F(BackfillTest, AMessageThatDoesNotDecodeCostsOnlyItselfAndTheChannelCompletes)
{
    setMark(u"C1"_s, kMark);
    const struct {
        const char* members;
        bool queued;
    } cases[] = {
        { R"("text":"ok","bot_id":"B1")", true },
        { R"("text":"ok","bot_id":7)", false },
        { R"("bot_id":"B1","attachments":[{"fields":[{"title":"count","value":5}]}],"text":"f")",
            true },
    };
    QJsonArray page;
    QStringList expected;
    for (int i = 0; i < int(std::size(cases)); ++i) {
        QJsonObject message
            = QJsonDocument::fromJson(R"({"type":"message",)" + QByteArray(cases[i].members) + '}')
                  .object();
        message.insert(u"ts"_s, tsAt(i + 1));
        page.prepend(message); // newest first, as Slack lists them
        if (cases[i].queued)
            expected << u"C1:"_s + tsAt(i + 1);
    }
    page.append(QJsonObject { { u"type"_s, u"message"_s }, { u"ts"_s, 1700000009 } });
    slack.script(u"conversations.history"_s,
        FakeReply::json({ { u"ok"_s, true }, { u"messages"_s, page } }));
    runBackfill();
    EXPECT_EQ(enqueuedIds(), expected);
    EXPECT_TRUE(store.backfillFromByChannel().isEmpty()) << "the channel's catch-up completed";
    EXPECT_TRUE(log.contains(u"slack"_s,
        u"Backfill complete: raw=2 enqueued=2 skippedByReaction=0 channelFailures=0"_s));
}

TEST_F(BackfillTest, PageLimitBoundsARunAndCancelledRunsEndQuietly)
{
    setMark(u"C1"_s, kMark);
    for (int i = 1; i <= 230; ++i)
        addBotMessage(u"C1"_s, tsAt(i));
    intake->setMaxHistoryPages(2);
    runBackfill();
    EXPECT_EQ(enqueuedIds().size(), 200);
    slack.script(u"conversations.history"_s, FakeReply::serve().after(std::chrono::seconds(2)));
    CancellationSource cancel;
    QTimer::singleShot(50, [cancel]() mutable { cancel.cancel(); });
    runBackfill(cancel.token());
    EXPECT_EQ(log.messages(u"slack"_s),
        QStringList { u"Backfill starting: 1 channel(s) with watermarks"_s });
    EXPECT_EQ(store.backfillFromByChannel().value(u"C1"_s), tsAt(230))
        << "a cancelled run resumes from the same place";
}

TEST_F(BackfillTest, LiveTrafficNeverMovesACatchUpPastWhatItMissed)
{
    slack.workspace().addChannel({ u"C2"_s, u"db"_s });
    setMark(u"C1"_s, kMark);
    setMark(u"C2"_s, kMark);
    for (int i = 1; i <= 3; ++i) {
        addBotMessage(u"C1"_s, tsAt(i));
        addBotMessage(u"C2"_s, tsAt(i));
    }
    // C1 is read first, slowly, and fails; both channels get live messages meanwhile. One of C2's
    // missed messages is delivered live and acknowledged before its reaction is in Slack, and
    // someone's ack reaction on another arrives before that message is queued at all.
    slack.script(u"conversations.history"_s,
        FakeReply::slackError(u"internal_error"_s).after(std::chrono::milliseconds(300)));
    QTimer::singleShot(100, [this] {
        intake->handleLiveMessage(botMessage(tsAt(10), u"live"_s), tokens());
        for (const QString& ts : { tsAt(11), tsAt(1) })
            intake->handleLiveMessage(
                { u"C2"_s, u"B1"_s, u"live"_s, ts, u"Monitor"_s, true }, tokens());
        store.acknowledge({ Alert::makeId(u"C2"_s, tsAt(1)), u"C2"_s, tsAt(1), {}, {}, 0, {} });
        intake->handleReaction({ u"U2"_s, u"white_check_mark"_s, u"C2"_s, tsAt(2) });
    });
    runBackfill();
    EXPECT_EQ(enqueuedIds(),
        (QStringList {
            u"C1:"_s + tsAt(10), u"C2:"_s + tsAt(11), u"C2:"_s + tsAt(1), u"C2:"_s + tsAt(3) }));
    EXPECT_EQ(store.backfillFromByChannel(), (QMap<QString, QString> { { u"C1"_s, kMark } }));
    store.enqueue({ u"C1:"_s + tsAt(12), u"C1"_s, tsAt(12), {}, u"live"_s, 0, {} });
    runBackfill(); // the next connect
    EXPECT_EQ(enqueuedIds(),
        (QStringList { u"C1:"_s + tsAt(1), u"C1:"_s + tsAt(2), u"C1:"_s + tsAt(3) }));
    EXPECT_TRUE(store.backfillFromByChannel().isEmpty());
}

TEST_F(BackfillTest, ReconcileRemovesAlertsAcknowledgedInSlack)
{
    for (int i : { 1, 2, 3 }) {
        setMark(u"C1"_s, tsAt(i));
        addBotMessage(u"C1"_s, tsAt(i));
        slack.workspace().addReaction(
            u"C1"_s, tsAt(i), i == 2 ? u"eyes"_s : u"white_check_mark"_s, u"U2"_s);
    }
    // Snoozed, it is checked all the same.
    store.snooze({ Alert::makeId(u"C1"_s, tsAt(1)) }, currentReferenceTime() + 3600);
    // Rate-limited through every attempt, then fine; the third check fails once.
    slack.script(u"reactions.get"_s, FakeReply::http(429), 2);
    slack.script(u"reactions.get"_s, FakeReply::serve(), 2);
    slack.script(u"reactions.get"_s, FakeReply::slackError(u"internal_error"_s));
    intake->setReconcileRetryDelay(std::chrono::milliseconds(50));
    log.clear();
    QCoro::waitFor(intake->reconcileReactions(tokens(), {}));
    ASSERT_EQ(store.alerts().size(), 1);
    EXPECT_EQ(store.alerts().first().ts, tsAt(2));
    EXPECT_TRUE(store.snoozed().isEmpty());
    EXPECT_EQ(slack.requests(u"reactions.get"_s).size(), 6);
    const QStringList lines = log.messages(u"slack"_s);
    EXPECT_TRUE(lines.contains(
        u"Reaction reconcile failed for C1:"_s + tsAt(3) + u": HTTP 0: internal_error"_s));
    EXPECT_TRUE(lines.contains(u"Reaction reconcile complete: checked=3 removed=1 failures=1"_s));
    EXPECT_EQ(lines.last(), u"Reaction reconcile complete: checked=1 removed=1 failures=0"_s);
}

} // namespace
} // namespace halyard::test

// Live messages and reactions: filter, alert, banner and team-shared acknowledgement.
#include "intakefixture.h"

namespace halyard::test {
namespace {

using Banners = QList<std::pair<QString, QString>>;

TEST_F(IntakeTest, LiveBotMessageIsQueuedOnceAndAnnouncedOnce)
{
    const MessageEvent message = botMessage(u"1700000123.000400"_s, u"Disk :fire: on db1"_s);
    intake->handleLiveMessage(message, tokens());
    intake->handleLiveMessage(message, tokens());

    ASSERT_EQ(store.alerts().size(), 1);
    EXPECT_EQ(store.alerts().first(),
        (Alert { u"C1:1700000123.000400"_s, u"C1"_s, u"1700000123.000400"_s, u"B1"_s,
            u"Disk :fire: on db1"_s, 1700000123.0 - kUnixToReferenceOffset, std::nullopt }));
    EXPECT_EQ(store.highWaterByChannel().value(u"C1"_s), u"1700000123.000400"_s);
    EXPECT_EQ(banners.posted, (Banners { { u"New alert"_s, u"Disk \U0001F525 on db1"_s } }));
    // The poster's name came with the message; the channel is looked up once.
    EXPECT_EQ(directory.userName(u"B1"_s), u"Monitor"_s);
    ASSERT_TRUE(QTest::qWaitFor([this] { return directory.channelName(u"C1"_s).has_value(); }));
    EXPECT_EQ(slack.requests(u"conversations.info"_s).size(), 1);
    EXPECT_TRUE(slack.requests(u"bots.info"_s).isEmpty());

    // Once the channel is named, banners say so; long bodies keep their first 140 characters.
    intake->handleLiveMessage(
        botMessage(u"1700000200.000100"_s, u":rotating_light:"_s.repeated(150)), tokens());
    ASSERT_EQ(banners.posted.size(), 2);
    EXPECT_EQ(banners.posted.last(), std::pair(u"#ops"_s, u"\U0001F6A8"_s.repeated(140)));
}

TEST_F(IntakeTest, FilterDropsPeopleButTakesTheTriggerPrefix)
{
    const MessageEvent human { u"C1"_s, u"U7"_s, u"disk full"_s, u"1700000300.000100"_s, {},
        false };
    intake->handleLiveMessage(human, tokens());
    EXPECT_TRUE(store.alerts().isEmpty());
    EXPECT_EQ(log.messages(u"filter"_s),
        QStringList { u"Dropped by filter: channel=C1 ts=1700000300.000100 isBot=false"_s });

    MessageEvent prefixed = human;
    prefixed.text = u"HALYARD:  refill water "_s;
    intake->handleLiveMessage(prefixed, tokens());
    ASSERT_EQ(store.alerts().size(), 1);
    EXPECT_EQ(store.alerts().first().text, u"refill water"_s);
    EXPECT_EQ(log.messages(u"filter"_s).size(), 1);
}

TEST_F(IntakeTest, AckReactionClearsTheAlertOtherEmojiAreIgnored)
{
    intake->handleLiveMessage(botMessage(u"1700000400.000100"_s, u"a"_s), tokens());
    intake->handleLiveMessage(botMessage(u"1700000401.000100"_s, u"b"_s), tokens());

    intake->handleReaction({ u"U2"_s, u"eyes"_s, u"C1"_s, u"1700000400.000100"_s });
    EXPECT_EQ(store.alerts().size(), 2);
    EXPECT_TRUE(log.contains(u"alerts"_s, u"Reaction ignored — not the ack emoji: eyes"_s));

    intake->handleReaction({ u"U2"_s, u"white_check_mark"_s, u"C1"_s, u"1700000400.000100"_s });
    ASSERT_EQ(store.alerts().size(), 1);
    EXPECT_EQ(store.alerts().first().ts, u"1700000401.000100"_s);
}

} // namespace
} // namespace halyard::test

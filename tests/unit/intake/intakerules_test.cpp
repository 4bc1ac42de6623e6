// The message filter, the acknowledgement-reaction test and the order of Slack timestamps.
#include "slack/intake/messagefilter.h"
#include "slack/intake/messageintake.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

TEST(MessageFilter, KeepsBotsAndPrefixedMessagesOnly)
{
    const std::tuple<bool, QString, QString, bool, std::optional<QString>> cases[] = {
        { true, {}, u"disk full"_s, false, std::nullopt },
        { true, {}, u"disk full"_s, true, u"disk full"_s },
        { false, {}, u"  hello "_s, false, u"  hello "_s },
        { true, u"halyard:"_s, u"HALYARD:  refill water "_s, false, u"refill water"_s },
        { true, u"HALYARD:"_s, u"halyard:\n\tcheck\n"_s, false, u"check"_s },
        // Nothing after the prefix is no message, even from a bot.
        { true, u"halyard:"_s, u"Halyard:   \n"_s, true, std::nullopt },
        { true, u"halyard:"_s, u"say halyard: x"_s, false, std::nullopt },
        // Whole characters: the prefix "e" is not the start of "é" written as e and an accent.
        { true, u"e"_s, u"e\u0301clair"_s, false, std::nullopt },
        { true, u"\U0001F469\u200D\U0001F692"_s, u"\U0001F469\u200D\U0001F692 smoke"_s, false,
            u"smoke"_s },
    };
    for (const auto& [botsOnly, prefix, text, isBot, expected] : cases) {
        const MessageEvent message { u"C1"_s, u"U1"_s, text, u"1700000000.000100"_s, {}, isBot };
        const auto accepted = acceptMessage(message, botsOnly, prefix);
        ASSERT_EQ(accepted.has_value(), expected.has_value()) << qPrintable(text);
        if (!accepted)
            continue;
        MessageEvent want = message;
        want.text = *expected;
        EXPECT_EQ(*accepted, want) << qPrintable(text);
    }
}

TEST(MessageFilter, AckReactionNeedsTheEmojiWithAPositiveCount)
{
    const std::tuple<std::optional<QString>, std::optional<qint64>, QString, bool> cases[] = {
        { u"white_check_mark"_s, 1, u"::white_check_mark:"_s, true },
        { u"white_check_mark"_s, 0, u"white_check_mark"_s, false },
        { u"white_check_mark"_s, std::nullopt, u"white_check_mark"_s, false },
        { u"eyes"_s, 3, u"white_check_mark"_s, false },
        { std::nullopt, 1, u":"_s, false },
    };
    for (const auto& [name, count, emoji, expected] : cases) {
        SlackEventDTO message;
        EXPECT_FALSE(hasAckReaction(message, emoji));
        message.reactions
            = QList<SlackEventDTO::ReactionSummary> { { u"eyes"_s, 1 }, { name, count } };
        EXPECT_EQ(hasAckReaction(message, emoji), expected) << qPrintable(emoji);
    }
}

} // namespace

// The message filter, the acknowledgement-reaction test and the order of Slack timestamps.
#include "slack/intake/messagefilter.h"
#include "slack/intake/messageintake.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

TEST(MessageFilter, KeepsBotsAndPrefixedMessagesOnly)
{
    struct Case {
        bool botsOnly;
        QString prefix;
        QString text;
        bool isBot;
        std::optional<QString> expected;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        const MessageEvent message { u"C1"_s, u"U1"_s, c.text, u"1700000000.000100"_s, {},
            c.isBot };
        const auto accepted = acceptMessage(message, c.botsOnly, c.prefix);
        ASSERT_EQ(accepted.has_value(), c.expected.has_value()) << qPrintable(c.text);
        if (!accepted)
            continue;
        MessageEvent expected = message;
        expected.text = *c.expected;
        EXPECT_EQ(*accepted, expected) << qPrintable(c.text);
    }
}

TEST(MessageFilter, AckReactionNeedsTheEmojiWithAPositiveCount)
{
    struct Case {
        std::optional<QString> name;
        std::optional<qint64> count;
        QString emoji;
        bool expected;
    };
    const Case cases[] = {
        { u"white_check_mark"_s, 1, u"::white_check_mark:"_s, true },
        { u"white_check_mark"_s, 0, u"white_check_mark"_s, false },
        { u"white_check_mark"_s, std::nullopt, u"white_check_mark"_s, false },
        { u"eyes"_s, 3, u"white_check_mark"_s, false },
        { std::nullopt, 1, u":"_s, false },
    };
    for (const Case& c : cases) {
        SlackEventDTO message;
        EXPECT_FALSE(hasAckReaction(message, c.emoji));
        message.reactions
            = QList<SlackEventDTO::ReactionSummary> { { u"eyes"_s, 1 }, { c.name, c.count } };
        EXPECT_EQ(hasAckReaction(message, c.emoji), c.expected) << qPrintable(c.emoji);
    }
}

} // namespace

#include "slack/text/slackemoji.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

const SlackEmoji::Table kTable {
    { u"fire"_s, u"🔥"_s },
    { u"+1"_s, u"👍"_s },
    { u"skin-tone-3"_s, u"🏼"_s },
    { u"30"_s, u"(thirty)"_s },
    { QString(64, u'a'), u"[64]"_s },
    { QString(65, u'a'), u"[65]"_s },
    { u"Fire"_s, u"[capital]"_s },
    { u"on fire"_s, u"[space]"_s },
};

} // namespace

TEST(SlackEmojiReplacing, KnownShortcodesOnlyAndNoneWithAnEmptyTable)
{
    struct Case {
        QString input;
        QString expected;
    } cases[] = {
        { u"no colons"_s, u"no colons"_s },
        { u":fire:"_s, u"🔥"_s },
        { u"up :+1::skin-tone-3: now"_s, u"up 👍🏼 now"_s },
        { u"at 12:30:45 today"_s, u"at 12(thirty)45 today"_s },
        { u"at 12:31:45 today"_s, u"at 12:31:45 today"_s },
        { u":x::fire:"_s, u":x:🔥"_s },
        { u":Fire:"_s, u":Fire:"_s },
        { u":on fire:"_s, u":on fire:"_s },
        { u":"_s + QString(64, u'a') + u":"_s, u"[64]"_s },
        { u":"_s + QString(65, u'a') + u":"_s, u":"_s + QString(65, u'a') + u":"_s },
        { u"::fire:"_s, u":🔥"_s },
        { u"fire: :fire"_s, u"fire: :fire"_s },
        { u":fire"_s, u":fire"_s },
        { u":::"_s, u":::"_s },
        { u":fire::fire::fire:"_s, u"🔥🔥🔥"_s },
        // A colon carrying a combining mark is another character and closes nothing.
        { u":fire:\u0301"_s, u":fire:\u0301"_s },
        { u"a\u0301:fire:"_s, u"a\u0301🔥"_s },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SlackEmoji::replacingShortcodes(c.input, kTable), c.expected)
            << qPrintable(c.input);
        EXPECT_EQ(SlackEmoji::replacingShortcodes(c.input, {}), c.input);
    }
}

TEST(SlackEmojiReplacing, ShippedTableHasSlackNamesAndSkinTones)
{
    EXPECT_EQ(SlackEmoji::replacingShortcodes(u":white_check_mark: :+1::skin-tone-3:"_s),
        u"✅ 👍🏼"_s);
    EXPECT_EQ(SlackEmoji::replacingShortcodes(u":thumbsup: :heavy_check_mark: :eyes:"_s),
        u"👍 ✔️ 👀"_s);
    const SlackEmoji::Table& table = SlackEmoji::table();
    for (int tone = 2; tone <= 6; ++tone)
        EXPECT_TRUE(table.contains(u"skin-tone-"_s + QString::number(tone))) << tone;
    for (auto it = table.cbegin(); it != table.cend(); ++it) {
        EXPECT_TRUE(SlackEmoji::isShortcode(it.key())) << qPrintable(it.key());
        EXPECT_FALSE(it.value().isEmpty()) << qPrintable(it.key());
    }
}

TEST(SlackEmojiReplacing, LinearOnHostileInput)
{
    const QString colons(300'000, u':');
    EXPECT_EQ(SlackEmoji::replacingShortcodes(colons, kTable), colons);
    QString many;
    for (int i = 0; i < 50'000; ++i)
        many += u":fire:"_s;
    EXPECT_EQ(SlackEmoji::replacingShortcodes(many, kTable).size(), 50'000 * 2);
}

TEST(SlackEmojiShortcode, Characters)
{
    struct Case {
        QString text;
        bool accepted;
    } cases[] = {
        { u"white_check_mark"_s, true },
        { u"+1"_s, true },
        { u"-1"_s, true },
        { u"skin-tone-2"_s, true },
        { u"100"_s, true },
        { QString(64, u'z'), true },
        { QString(65, u'z'), false },
        { u""_s, false },
        { u"Fire"_s, false },
        { u"on fire"_s, false },
        { u"fire!"_s, false },
        { u"fire:"_s, false },
        { u"é"_s, false },
        { u"e\u0301"_s, false },
        { u"ｆｉｒｅ"_s, false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(SlackEmoji::isShortcode(c.text), c.accepted) << qPrintable(c.text);
}

TEST(SlackEmojiTable, DamagedFilesGiveAnEmptyTable)
{
    QTemporaryDir dir;
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    EXPECT_TRUE(SlackEmoji::loadTable(dir.filePath(u"missing.json"_s)).isEmpty());
    EXPECT_TRUE(SlackEmoji::loadTable(dir.path()).isEmpty());
    EXPECT_TRUE(SlackEmoji::loadTable(write(u"array.json"_s, "[\"fire\"]")).isEmpty());
    EXPECT_TRUE(SlackEmoji::loadTable(write(u"truncated.json"_s, "{\"fire\":\"x")).isEmpty());
    EXPECT_TRUE(
        SlackEmoji::loadTable(write(u"mixed.json"_s, "{\"fire\":\"x\",\"bad\":1}")).isEmpty());
    EXPECT_EQ(SlackEmoji::loadTable(write(u"good.json"_s, "{\"fire\":\"x\"}")),
        (SlackEmoji::Table { { u"fire"_s, u"x"_s } }));
}

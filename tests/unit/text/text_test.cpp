#include "slack/text/slackemoji.h"
#include "slack/text/slacktext.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;
using namespace halyard;

namespace {

using Segments = QList<SlackText::Segment>;

SlackText::Segment text(const QString& t)
{
    return SlackText::Text { t };
}
SlackText::Segment link(const QString& label, const QString& url)
{
    return SlackText::Link { label, QUrl(url, QUrl::StrictMode) };
}

const SlackEmoji::Table kTable { { u"fire"_s, u"🔥"_s }, { u"+1"_s, u"👍"_s },
    { u"skin-tone-3"_s, u"🏼"_s }, { u"30"_s, u"(thirty)"_s }, { QString(64, u'a'), u"[64]"_s },
    { QString(65, u'a'), u"[65]"_s }, { u"Fire"_s, u"[capital]"_s } };

} // namespace

TEST(SlackTextSegments, LinksMentionsAndPlainText)
{
    const std::pair<QString, Segments> cases[] = {
        { u"See <https://status.example/x|the page :fire:> now"_s,
            { text(u"See "_s), link(u"the page :fire:"_s, u"https://status.example/x"_s),
                text(u" now"_s) } },
        { u"<https://a.example/b>"_s,
            { link(u"https://a.example/b"_s, u"https://a.example/b"_s) } },
        { u"<mailto:ops@example.com|Mail ops>"_s,
            { link(u"Mail ops"_s, u"mailto:ops@example.com"_s) } },
        { u"<https://x.example/a|b|c>"_s, { link(u"b|c"_s, u"https://x.example/a"_s) } },
        { u"<ftp://files.example/x|files>"_s, { text(u"files"_s) } },
        { u"<https://exa mple.com|broken>"_s, { text(u"broken"_s) } },
        { u"<@U1|alice> pinged <@U2>"_s, { text(u"alice pinged @U2"_s) } },
        { u"<!here> <#C1|ops> <!subteam^S1|@oncall>"_s, { text(u"!here ops @oncall"_s) } },
        { u"x <> y"_s, { text(u"x  y"_s) } },
        // The first "<" pairs with the first ">": what lies between is not a link.
        { u"1 < 2 <https://a.example|A> 3 > 2"_s, { text(u"1 A 3 > 2"_s) } },
        { u"<https://a.example|A><https://b.example|B>"_s,
            { link(u"A"_s, u"https://a.example"_s), link(u"B"_s, u"https://b.example"_s) } },
        { u"trailing <https://a.example|A"_s, { text(u"trailing <https://a.example|A"_s) } },
        // A bracket carrying a combining mark is another character, not markup.
        { u"<\u0338https://a.example>"_s, { text(u"<\u0338https://a.example>"_s) } },
        { u"<https://a.example|A>\u0338x>"_s, { link(u"A>\u0338x"_s, u"https://a.example"_s) } },
        // Slack's three escapes are decoded in text, labels and targets, after the split, and
        // only they: "&amp;lt;" stays an entity as typed.
        { u"CPU &gt; 90% &amp;&amp; &lt;b&gt; &amp;lt; &quot;&#62;&gt"_s,
            { text(u"CPU > 90% && <b> &lt; &quot;&#62;&gt"_s) } },
        { u"<https://g.example/d?a=1&amp;b=2|a &lt;b&gt; &amp; c> <@U1|x &amp; y>"_s,
            { link(u"a <b> & c"_s, u"https://g.example/d?a=1&b=2"_s), text(u" x & y"_s) } },
        { u"&lt;https://a.example&gt;"_s, { text(u"<https://a.example>"_s) } },
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(SlackText::segments(input), expected) << qPrintable(input);
}

TEST(SlackTextSegments, LinearOnHostileInput)
{
    // Many "<" with no ">" used to mean one search to the end per "<".
    const QString opens(200'000, u'<');
    const auto segments = SlackText::segments(opens);
    ASSERT_EQ(segments.size(), 1);
    EXPECT_EQ(std::get<SlackText::Text>(segments[0]).text.size(), opens.size());
    QString pairs;
    for (int i = 0; i < 50'000; ++i)
        pairs += u"<@U1|a>"_s;
    EXPECT_EQ(SlackText::segments(pairs), Segments { text(QString(50'000, u'a')) });
}

TEST(SlackTextAttributedText, LinksCarryTargetColourAndUnderline)
{
    const auto runs = SlackText::attributedText(
        u"Hi <https://status.example/x?a=1|the page :white_check_mark:> done :+1:"_s);
    ASSERT_EQ(runs.size(), 3);
    EXPECT_EQ(runs[0], (StyledRun { u"Hi "_s, {}, {}, false }));
    EXPECT_EQ(runs[1],
        (StyledRun {
            u"the page ✅"_s, QUrl(u"https://status.example/x?a=1"_s), accentColor, true }));
    EXPECT_EQ(runs[2], (StyledRun { u" done 👍"_s, {}, {}, false }));
}

// What a reader sees is the text as typed: Slack's three escapes decoded once, markup never made.
TEST(SlackTextAttributedText, ShowsMarkupAsTyped)
{
    EXPECT_EQ(SlackText::plainText(u"a < b & c\nd"_s), u"a < b & c\nd"_s);
    EXPECT_EQ(SlackText::plainText(u"&lt;img src=x&gt; &amp;amp;"_s), u"<img src=x> &amp;"_s);
    EXPECT_EQ(SlackText::attributedText(u"<https://a.example/|<img src=x onerror=alert(1)>"_s),
        (StyledText { { u"<img src=x onerror=alert(1)"_s, QUrl(u"https://a.example/"_s),
            accentColor, true } }));
    EXPECT_EQ(SlackText::attributedText(u"<https://a.example/?q=%22x%22&amp;b=1|A &amp; B>"_s),
        (StyledText {
            { u"A & B"_s, QUrl(u"https://a.example/?q=%22x%22&b=1"_s), accentColor, true } }));
}

TEST(SlackEmojiReplacing, KnownShortcodesOnlyAndNoneWithAnEmptyTable)
{
    const std::pair<QString, QString> cases[] = {
        { u"no colons"_s, u"no colons"_s },
        { u":fire:"_s, u"🔥"_s },
        { u"up :+1::skin-tone-3: now"_s, u"up 👍🏼 now"_s },
        { u"at 12:30:45 today"_s, u"at 12(thirty)45 today"_s },
        { u"at 12:31:45 today"_s, u"at 12:31:45 today"_s },
        { u":Fire:"_s, u":Fire:"_s },
        { u":"_s + QString(64, u'a') + u":"_s, u"[64]"_s },
        { u":"_s + QString(65, u'a') + u":"_s, u":"_s + QString(65, u'a') + u":"_s },
        { u"::fire:"_s, u":🔥"_s },
        // A colon carrying a combining mark is another character and closes nothing.
        { u":fire:\u0301"_s, u":fire:\u0301"_s },
        { u"a\u0301:fire:"_s, u"a\u0301🔥"_s },
        // A prefix sign joins the colon after it into one character.
        { u"\u0600:fire:"_s, u"\u0600:fire:"_s },
        // Line ends are boundaries, except between CR and LF.
        { u"\r:fire:\r\n"_s, u"\r🔥\r\n"_s },
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(SlackEmoji::replacingShortcodes(input, kTable), expected) << qPrintable(input);
        EXPECT_EQ(SlackEmoji::replacingShortcodes(input, {}), input);
    }
}

TEST(SlackEmojiReplacing, ShippedTableHasSlackNamesAndSkinTones)
{
    EXPECT_EQ(SlackEmoji::replacingShortcodes(u":white_check_mark: :+1::skin-tone-3: :eyes:"_s),
        u"✅ 👍🏼 👀"_s);
    for (auto it = SlackEmoji::table().cbegin(); it != SlackEmoji::table().cend(); ++it)
        EXPECT_TRUE(SlackEmoji::isShortcode(it.key()) && !it.value().isEmpty())
            << qPrintable(it.key());
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
    for (const QString& text :
        { u"white_check_mark"_s, u"+1"_s, u"-1"_s, u"skin-tone-2"_s, u"100"_s, QString(64, u'z') })
        EXPECT_TRUE(SlackEmoji::isShortcode(text)) << qPrintable(text);
    for (const QString& text : { QString(65, u'z'), u""_s, u"Fire"_s, u"on fire"_s, u"fire!"_s,
             u"fire:"_s, u"é"_s, u"e\u0301"_s, u"ｆｉｒｅ"_s })
        EXPECT_FALSE(SlackEmoji::isShortcode(text)) << qPrintable(text);
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
    EXPECT_TRUE(SlackEmoji::loadTable(write(u"array.json"_s, "[\"fire\"]")).isEmpty());
    EXPECT_TRUE(SlackEmoji::loadTable(write(u"truncated.json"_s, "{\"fire\":\"x")).isEmpty());
    EXPECT_TRUE(
        SlackEmoji::loadTable(write(u"mixed.json"_s, "{\"fire\":\"x\",\"bad\":1}")).isEmpty());
    EXPECT_EQ(SlackEmoji::loadTable(write(u"good.json"_s, "{\"fire\":\"x\"}")),
        (SlackEmoji::Table { { u"fire"_s, u"x"_s } }));
}

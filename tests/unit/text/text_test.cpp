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
SlackText::Segment mention(const QString& t)
{
    return SlackText::Mention { t };
}

// Runs written compactly: a plain run as its text, any other as "{tags:text}" with b(old),
// i(talic), s(trike), c(ode), C(ode block) and L(ink).
QString compact(const StyledText& runs)
{
    QString out;
    for (const StyledRun& run : runs) {
        QString tags;
        for (const auto& [style, tag] : { std::pair { TextStyle::bold, u'b' },
                 { TextStyle::italic, u'i' }, { TextStyle::strike, u's' },
                 { TextStyle::code, u'c' }, { TextStyle::codeBlock, u'C' } })
            if (run.styles.testFlag(style))
                tags += tag;
        if (run.link)
            tags += u'L';
        out += tags.isEmpty() ? run.text : u'{' + tags + u':' + run.text + u'}';
    }
    return out;
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
        { u"<ftp://files.example/x|files>"_s, { mention(u"files"_s) } },
        { u"<https://exa mple.com|broken>"_s, { mention(u"broken"_s) } },
        { u"<@U1|alice> pinged <@U2>"_s,
            { mention(u"@alice"_s), text(u" pinged "_s), mention(u"@U2"_s) } },
        { u"x <> y"_s, { text(u"x  y"_s) } },
        // The first "<" pairs with the first ">": what lies between is not a link.
        { u"1 < 2 <https://a.example|A> 3 > 2"_s,
            { text(u"1 "_s), mention(u"A"_s), text(u" 3 > 2"_s) } },
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
            { link(u"a <b> & c"_s, u"https://g.example/d?a=1&b=2"_s), text(u" "_s),
                mention(u"@x & y"_s) } },
        { u"&lt;https://a.example&gt;"_s, { text(u"<https://a.example>"_s) } },
        // Runs of entities: each decoded once, none missed.
        { u"&&amp;"_s, { text(u"&&"_s) } },
        { u"&amp;amp;"_s, { text(u"&amp;"_s) } },
        { u"&lt;&gt;&amp;"_s, { text(u"<>&"_s) } },
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(SlackText::segments(input), expected) << qPrintable(input);
}

TEST(SlackTextAndEmoji, LinearOnHostileInput)
{
    // Many "<" with no ">" used to mean one search to the end per "<".
    const QString opens(200'000, u'<');
    const auto segments = SlackText::segments(opens);
    ASSERT_EQ(segments.size(), 1);
    EXPECT_EQ(std::get<SlackText::Text>(segments[0]).text.size(), opens.size());
    EXPECT_EQ(SlackText::plainText(u"<@U1|a>"_s.repeated(50'000)), u"@a"_s.repeated(50'000));
    // Marks that never close, or close far away, are each looked at a bounded number of times.
    for (const QString& unit : { u"*a _b ~c `d "_s, u"```x"_s, u"*_~`a"_s, u"<@U1>*"_s })
        EXPECT_FALSE(SlackText::attributedText(unit.repeated(50'000 / unit.size())).isEmpty());
    const QString colons(300'000, u':');
    EXPECT_EQ(SlackEmoji::replacingShortcodes(colons, kTable), colons);
    EXPECT_EQ(
        SlackEmoji::replacingShortcodes(u":fire:"_s.repeated(50'000), kTable).size(), 50'000 * 2);
}

TEST(SlackTextAttributedText, SlackMarksOpenAndCloseWhereSlackLetsThem)
{
    const std::pair<QString, QString> cases[] = {
        { u"*bold* _it_ ~gone~ `code`"_s, u"{b:bold} {i:it} {s:gone} {c:code}"_s },
        { u"2*3*4 snake_case_name a~b~c"_s, u"2*3*4 snake_case_name a~b~c"_s },
        { u"* not bold * and *not bold *"_s, u"* not bold * and *not bold *"_s },
        { u"*a\nb* _c\nd_ `e\nf`"_s, u"*a\nb* _c\nd_ `e\nf`"_s },
        { u"*_both_* *bold _and it_*"_s, u"{bi:both} {b:bold }{bi:and it}"_s },
        { u"*a*_b_~c~ (*d*)."_s, u"{b:a}{i:b}{s:c} ({b:d})."_s },
        { u"**"_s, u"**"_s },
        // Inside code and brackets a mark is a character; around them it still applies.
        { u"`a *b* _c_` *x `y*` z*"_s, u"{c:a *b* _c_} {b:x }{bc:y*}{b: z}"_s },
        { u"*see <https://a.example/*x*|a*b> now* <https://a.example|_no_>"_s,
            u"{b:see }{bL:a*b}{b: now} {L:_no_}"_s },
        { u"<@U1|*x*> *<@U1|y>* `:fire:` :fire:"_s, u"@*x* {b:@y} {c::fire:} 🔥"_s },
        // A block keeps its lines and marks as typed and stands on lines of its own.
        { u"before\n```\nline *1*\n  _2_\n```\nafter"_s, u"before\n{C:line *1*\n  _2_}\nafter"_s },
        { u"see ```x = *y*``` now ``````"_s, u"see \n{C:x = *y*}\n now ``````"_s },
        { u"```open *b*"_s, u"```open {b:b}"_s },
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(compact(SlackText::attributedText(input, {})), expected) << qPrintable(input);
}

TEST(SlackTextAttributedText, MentionsShowNamesWhenKnownAndTheirIdOtherwise)
{
    const QHash<QString, QString> users { { u"U1"_s, u"Dana"_s }, { u"U3"_s, u"_x_"_s } };
    const QHash<QString, QString> channels { { u"C1"_s, u"ops"_s } };
    const QString input = u"<@U1> <@U9> <@U3>_ <#C1> <#C9> <#C9|war-room> <@U2|alice> <!here> "
                          u"<!channel|@channel> <!everyone> <!subteam^S1|@oncall> <!subteam^S2> "
                          u"<!date^1|Monday>"_s;
    EXPECT_EQ(SlackText::plainText(input, { &users, &channels }),
        u"@Dana @U9 @_x__ #ops #C9 #war-room @alice @here @channel @everyone @oncall @group "
        u"Monday"_s);
    EXPECT_EQ(SlackText::plainText(u"<@U1> <#C1>"_s), u"@U1 #C1"_s);
    // Labelled, repeated and malformed mentions need no lookup; the limit bounds the rest.
    EXPECT_EQ(SlackText::unlabelledMentions(QString(input + u" <@U1> <@u 1> <#C2> <@U4>"_s), 6),
        (SlackText::MentionedIds { { u"U1"_s, u"U9"_s, u"U3"_s }, { u"C1"_s, u"C9"_s, u"C2"_s } }));
}

// What a reader sees: no markup made, marks gone; links carry target, colour and underline.
// Entities: the segment table.
TEST(SlackTextAttributedText, PlainTextIsWhatAReaderSeesAndLinksAreMarked)
{
    EXPECT_EQ(SlackText::plainText(u"a < b & c\nd"_s), u"a < b & c\nd"_s);
    EXPECT_EQ(SlackText::plainText(u"*db1* at _94%_ `df -h`"_s), u"db1 at 94% df -h"_s);
    EXPECT_EQ(
        SlackText::attributedText(u"Hi <https://a.example/?q=%22x%22|<img src=x :+1:> done :+1:"_s),
        (StyledText { { u"Hi "_s, {}, {}, false },
            { u"<img src=x 👍"_s, QUrl(u"https://a.example/?q=%22x%22"_s), accentColor, true },
            { u" done 👍"_s, {}, {}, false } }));
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

// The shipped table has Slack's names, skin tones included, and every name is a shortcode.
TEST(SlackEmojiShortcode, CharactersAndTheShippedTable)
{
    EXPECT_EQ(SlackEmoji::replacingShortcodes(u":white_check_mark: :+1::skin-tone-3: :eyes:"_s),
        u"✅ 👍🏼 👀"_s);
    for (auto it = SlackEmoji::table().cbegin(); it != SlackEmoji::table().cend(); ++it)
        EXPECT_TRUE(SlackEmoji::isShortcode(it.key()) && !it.value().isEmpty())
            << qPrintable(it.key());
    EXPECT_TRUE(SlackEmoji::isShortcode(QString(64, u'z'))); // the shipped names are the others
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
    // A list, a cut-off object, a value that is no text.
    for (const char* bytes : { "[\"fire\"]", "{\"fire\":\"x", "{\"fire\":\"x\",\"bad\":1}" })
        EXPECT_TRUE(SlackEmoji::loadTable(write(u"damaged.json"_s, bytes)).isEmpty()) << bytes;
    EXPECT_EQ(SlackEmoji::loadTable(write(u"good.json"_s, "{\"fire\":\"x\"}")),
        (SlackEmoji::Table { { u"fire"_s, u"x"_s } }));
}

#include "slack/text/slacktext.h"

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

} // namespace

TEST(SlackTextSegments, LinksMentionsAndPlainText)
{
    struct Case {
        QString input;
        Segments expected;
    } cases[] = {
        { u"See <https://status.example/x|the page :fire:> now"_s,
            { text(u"See "_s), link(u"the page :fire:"_s, u"https://status.example/x"_s),
                text(u" now"_s) } },
        { u"<https://a.example/b>"_s,
            { link(u"https://a.example/b"_s, u"https://a.example/b"_s) } },
        { u"<mailto:ops@example.com|Mail ops>"_s,
            { link(u"Mail ops"_s, u"mailto:ops@example.com"_s) } },
        { u"<HTTPS://EXAMPLE.COM/Path|up>"_s, { link(u"up"_s, u"HTTPS://EXAMPLE.COM/Path"_s) } },
        { u"<Http://example.com>"_s, { link(u"Http://example.com"_s, u"Http://example.com"_s) } },
        { u"<https://x.example/a|b|c>"_s, { link(u"b|c"_s, u"https://x.example/a"_s) } },
        { u"<https://x.example/a|>"_s, { link(u""_s, u"https://x.example/a"_s) } },
        { u"<ftp://files.example/x|files>"_s, { text(u"files"_s) } },
        { u"<slack://open>"_s, { text(u"slack://open"_s) } },
        { u"<https://exa mple.com|broken>"_s, { text(u"broken"_s) } },
        { u"<https://exa mple.com>"_s, { text(u"https://exa mple.com"_s) } },
        { u"<@U1|alice> pinged <@U2>"_s, { text(u"alice pinged @U2"_s) } },
        { u"<!here> <#C1|ops> <!subteam^S1|@oncall>"_s, { text(u"!here ops @oncall"_s) } },
        { u"a < b"_s, { text(u"a < b"_s) } },
        { u"x <> y"_s, { text(u"x  y"_s) } },
        { u"<>"_s, {} },
        { u""_s, {} },
        // The first "<" pairs with the first ">": what lies between is not a link.
        { u"1 < 2 <https://a.example|A> 3 > 2"_s, { text(u"1 A 3 > 2"_s) } },
        { u"&lt;b&gt; *bold* `code`"_s, { text(u"&lt;b&gt; *bold* `code`"_s) } },
        { u"<https://a.example|A><https://b.example|B>"_s,
            { link(u"A"_s, u"https://a.example"_s), link(u"B"_s, u"https://b.example"_s) } },
        { u"trailing <https://a.example|A"_s, { text(u"trailing <https://a.example|A"_s) } },
        // A bracket carrying a combining mark is another character, not markup.
        { u"<\u0338https://a.example>"_s, { text(u"<\u0338https://a.example>"_s) } },
        { u"<https://a.example|A>\u0338x>"_s, { link(u"A>\u0338x"_s, u"https://a.example"_s) } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(SlackText::segments(c.input), c.expected) << qPrintable(c.input);
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

    // Shortcodes are replaced within one segment only; a target is never altered.
    const auto split
        = SlackText::attributedText(u"a :white_<https://x.example/:fire:|L>check_mark:"_s);
    ASSERT_EQ(split.size(), 3);
    EXPECT_EQ(split[0].text, u"a :white_"_s);
    EXPECT_EQ(split[1].link, QUrl(u"https://x.example/:fire:"_s));
    EXPECT_EQ(split[2].text, u"check_mark:"_s);
}

TEST(SlackTextAttributedText, HtmlEscapesMessageContent)
{
    const auto html
        = [](const QString& input) { return SlackText::toHtml(SlackText::attributedText(input)); };
    EXPECT_EQ(html(u"a < b & c\nd"_s), u"a &lt; b &amp; c<br>d"_s);
    EXPECT_EQ(html(u"<https://a.example/|<img src=x onerror=alert(1)>"_s),
        u"<a href=\"https://a.example/\" style=\"color:#f5a624;text-decoration:underline;\">"
        u"&lt;img src=x onerror=alert(1)</a>"_s);
    EXPECT_EQ(html(u"<https://a.example/?q=%22x%22&b=1|A & B>"_s),
        u"<a href=\"https://a.example/?q=%22x%22&amp;b=1\" "
        u"style=\"color:#f5a624;text-decoration:underline;\">A &amp; B</a>"_s);
}

#include "slack/text/slacktext.h"

#include "slack/events/delimiterscanner.h"
#include "slack/text/slackemoji.h"

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// Whether the target, lower-cased, begins with the scheme prefix as whole characters.
bool hasSchemePrefix(
    QStringView target, QStringView prefix, qsizetype targetStart, const DelimiterScanner& scanner)
{
    if (target.size() < prefix.size())
        return false;
    if (target.first(prefix.size()).toString().toLower() != prefix)
        return false;
    return scanner.isCharacterBoundary(targetStart + prefix.size());
}

std::optional<QUrl> linkTarget(
    QStringView target, qsizetype targetStart, const DelimiterScanner& scanner)
{
    static constexpr QStringView prefixes[] = { u"https://", u"http://", u"mailto:" };
    for (QStringView prefix : prefixes) {
        if (hasSchemePrefix(target, prefix, targetStart, scanner)) {
            QUrl url(target.toString(), QUrl::StrictMode);
            if (url.isValid())
                return url;
            return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace

QList<SlackText::Segment> SlackText::segments(QStringView text)
{
    QList<Segment> out;
    QString buffer;
    const DelimiterScanner scanner(text);
    const auto closeBuffer = [&] {
        if (!buffer.isEmpty())
            out.append(Text { std::exchange(buffer, QString()) });
    };

    qsizetype position = 0;
    while (position < text.size()) {
        const qsizetype open = scanner.indexOf(u'<', position);
        if (open < 0)
            break;
        buffer += text.sliced(position, open - position);
        const qsizetype close = scanner.indexOf(u'>', open + 1);
        if (close < 0) {
            // No ">" follows this "<", so none follows any later one either: the rest is text.
            position = open;
            break;
        }
        const qsizetype innerStart = open + 1;
        const QStringView inner = text.sliced(innerStart, close - innerStart);
        const qsizetype pipe = scanner.indexOf(u'|', innerStart, close);
        const QStringView target = pipe < 0 ? inner : text.sliced(innerStart, pipe - innerStart);
        const QStringView label = pipe < 0 ? inner : text.sliced(pipe + 1, close - pipe - 1);

        if (auto url = linkTarget(target, innerStart, scanner)) {
            closeBuffer();
            out.append(Link { label.toString(), std::move(*url) });
        } else {
            buffer += label;
        }
        position = close + 1;
    }
    if (position < text.size())
        buffer += text.sliced(position);
    closeBuffer();
    return out;
}

StyledText SlackText::attributedText(QStringView text)
{
    StyledText runs;
    for (const Segment& segment : segments(text)) {
        if (const auto* plain = std::get_if<Text>(&segment)) {
            runs.append(StyledRun { SlackEmoji::replacingShortcodes(plain->text), {}, {}, false });
        } else {
            const auto& link = std::get<Link>(segment);
            runs.append(StyledRun {
                SlackEmoji::replacingShortcodes(link.label), link.url, accentColor, true });
        }
    }
    return runs;
}

QString SlackText::toHtml(const StyledText& runs)
{
    QString html;
    for (const StyledRun& run : runs) {
        QString text = run.text.toHtmlEscaped();
        text.replace(u'\n', u"<br>"_s);
        QString style;
        if (run.foreground)
            style += u"color:" + run.foreground->hexName() + u';';
        if (run.underline)
            style += u"text-decoration:underline;"_s;
        if (run.link) {
            html += u"<a href=\"" + run.link->toString(QUrl::FullyEncoded).toHtmlEscaped()
                + u"\" style=\"" + style + u"\">" + text + u"</a>";
        } else if (!style.isEmpty()) {
            html += u"<span style=\"" + style + u"\">" + text + u"</span>";
        } else {
            html += text;
        }
    }
    return html;
}

} // namespace halyard

#include "slack/text/slacktext.h"

#include "slack/events/delimiterscanner.h"
#include "slack/text/slackemoji.h"

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// Slack writes "&", "<" and ">" in message text as "&amp;", "&lt;" and "&gt;" so that they cannot
// be taken for its markup. Only those three are decoded, in one pass, so "&amp;lt;" becomes
// "&lt;"; every other entity stays as typed.
QString decodeEntities(QStringView text)
{
    qsizetype amp = text.indexOf(u'&');
    if (amp < 0)
        return text.toString();
    static constexpr std::pair<QStringView, char16_t> entities[]
        = { { u"&amp;", u'&' }, { u"&lt;", u'<' }, { u"&gt;", u'>' } };
    QString out;
    out.reserve(text.size());
    qsizetype done = 0;
    while (amp >= 0) {
        const QStringView rest = text.sliced(amp);
        for (const auto& [entity, character] : entities) {
            if (rest.startsWith(entity)) {
                out += text.sliced(done, amp - done);
                out += QChar(character);
                done = amp + entity.size();
                break;
            }
        }
        amp = text.indexOf(u'&', std::max(done, amp + 1));
    }
    out += text.sliced(done);
    return out;
}

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
            QUrl url(decodeEntities(target), QUrl::StrictMode);
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
        // Entities are decoded piece by piece after the split on angle brackets, so a decoded
        // "<" or ">" is text and never markup.
        buffer += decodeEntities(text.sliced(position, open - position));
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
            out.append(Link { decodeEntities(label), std::move(*url) });
        } else {
            buffer += decodeEntities(label);
        }
        position = close + 1;
    }
    if (position < text.size())
        buffer += decodeEntities(text.sliced(position));
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

QString SlackText::plainText(QStringView text)
{
    QString plain;
    for (const StyledRun& run : attributedText(text))
        plain += run.text;
    return plain;
}

} // namespace halyard

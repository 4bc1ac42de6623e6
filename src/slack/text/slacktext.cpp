#include "slack/text/slacktext.h"

#include "slack/events/delimiterscanner.h"
#include "slack/text/slackemoji.h"

#include <algorithm>
#include <vector>

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

// Slack's IDs are short runs of capitals and digits; anything else is never looked up.
bool isSlackId(QStringView id)
{
    return !id.isEmpty() && id.size() <= 32 && std::ranges::all_of(id, [](QChar c) {
        return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
    });
}

struct Bracket {
    QStringView target;
    // Empty when the bracket has none.
    QStringView label;
    std::optional<QUrl> url;
};

// Calls onText with the raw text between brackets and onBracket for each bracket, in order.
template <typename OnText, typename OnBracket>
void forEachBracket(QStringView text, OnText onText, OnBracket onBracket)
{
    const DelimiterScanner scanner(text);
    qsizetype position = 0;
    while (position < text.size()) {
        const qsizetype open = scanner.indexOf(u'<', position);
        if (open < 0)
            break;
        onText(text.sliced(position, open - position));
        const qsizetype close = scanner.indexOf(u'>', open + 1);
        if (close < 0) {
            // No ">" follows this "<", so none follows any later one either: the rest is text.
            position = open;
            break;
        }
        const qsizetype innerStart = open + 1;
        const qsizetype pipe = scanner.indexOf(u'|', innerStart, close);
        Bracket bracket;
        bracket.target = text.sliced(innerStart, (pipe < 0 ? close : pipe) - innerStart);
        if (pipe >= 0)
            bracket.label = text.sliced(pipe + 1, close - pipe - 1);
        bracket.url = linkTarget(bracket.target, innerStart, scanner);
        onBracket(bracket);
        position = close + 1;
    }
    if (position < text.size())
        onText(text.sliced(position));
}

// "@" or "#" and the label, else the known name, else the ID as sent.
QString namedMention(const Bracket& bracket, QChar sign, const QHash<QString, QString>* names)
{
    if (!bracket.label.isEmpty()) {
        const QString label = decodeEntities(bracket.label);
        return label.startsWith(sign) ? label : sign + label;
    }
    if (names) {
        const QString id = bracket.target.sliced(1).toString();
        if (const auto it = names->constFind(id); it != names->cend() && !it->isEmpty())
            return sign + *it;
    }
    return decodeEntities(bracket.target);
}

QString shownBracket(const Bracket& bracket, const MentionNames& names)
{
    if (bracket.target.startsWith(u'@'))
        return namedMention(bracket, u'@', names.users);
    if (bracket.target.startsWith(u'#'))
        return namedMention(bracket, u'#', names.channels);
    for (QStringView special : { u"here", u"channel", u"everyone" }) {
        if (bracket.target.startsWith(u'!') && bracket.target.sliced(1) == special)
            return u'@' + special.toString();
    }
    if (bracket.target.startsWith(u"!subteam^")) {
        if (bracket.label.isEmpty())
            return u"@group"_s;
        const QString label = decodeEntities(bracket.label);
        return label.startsWith(u'@') ? label : u'@' + label;
    }
    // Other specials (dates among them) carry their fallback as the label.
    return decodeEntities(bracket.label.isEmpty() ? bracket.target : bracket.label);
}

// Per-character state of the mark pass: the style bits of TextStyle, and two of its own.
constexpr quint8 kStyleBits = 0x1F;
// The fences of a code block and the line breaks that belong to them.
constexpr quint8 kFence = 0x20;
constexpr quint8 kFromBracket = 0x40;
constexpr quint8 kHidden = 0x80;

// The shown text of the segments, one flag byte per character, and which characters belong to
// which link (the link's index, -1 for none).
struct FlatText {
    QString text;
    std::vector<quint8> flags;
    std::vector<std::pair<qsizetype, qsizetype>> linkRanges;
    QList<QUrl> links;
};

class MarkPass {
public:
    explicit MarkPass(FlatText& flat)
        : m_text(flat.text)
        , m_flags(flat.flags)
        , m_scanner(m_text)
    {
    }

    // Most messages carry few marks or none: a pass runs only when its mark occurs. Returns
    // whether any pass ran.
    bool run()
    {
        bool ran = false;
        if (m_text.contains(u'`')) {
            codeBlocks();
            inlineCode();
            ran = true;
        }
        for (const auto& [mark, style] : { std::pair { u'*', TextStyle::bold },
                 { u'_', TextStyle::italic }, { u'~', TextStyle::strike } }) {
            if (m_text.contains(QChar(mark))) {
                emphasis(mark, style);
                ran = true;
            }
        }
        return ran;
    }

private:
    bool isDelimiter(qsizetype i, char16_t c) const
    {
        return m_text[i] == QChar(c) && !(m_flags[i] & (kFromBracket | kHidden))
            && m_scanner.isCharacterBoundary(i) && m_scanner.isCharacterBoundary(i + 1);
    }

    void style(qsizetype from, qsizetype to, TextStyle style)
    {
        for (qsizetype i = from; i < to; ++i)
            m_flags[i] |= quint8(style);
    }

    bool inBlock(qsizetype i) const { return m_flags[i] & (quint8(TextStyle::codeBlock) | kFence); }

    // "```" opens a block the next "```" closes, across lines; a line break right inside either
    // fence belongs to the fence.
    void codeBlocks()
    {
        const qsizetype n = m_text.size();
        qsizetype open = -1;
        for (qsizetype i = 0; i + 2 < n;) {
            if (!(isDelimiter(i, u'`') && isDelimiter(i + 1, u'`') && isDelimiter(i + 2, u'`'))) {
                ++i;
                continue;
            }
            if (open < 0 || i == open + 3) {
                open = i;
                i += 3;
                continue;
            }
            qsizetype from = open + 3;
            qsizetype to = i;
            if (m_text[from] == u'\n' && from + 1 < to)
                m_flags[from++] |= kHidden | kFence;
            if (m_text[to - 1] == u'\n' && to - 1 > from)
                m_flags[--to] |= kHidden | kFence;
            style(from, to, TextStyle::codeBlock);
            for (qsizetype k = 0; k < 3; ++k) {
                m_flags[open + k] |= kHidden | kFence;
                m_flags[i + k] |= kHidden | kFence;
            }
            open = -1;
            i += 3;
        }
    }

    // "`" and the next "`" on the same line, with something between them.
    void inlineCode()
    {
        qsizetype open = -1;
        for (qsizetype i = 0; i < m_text.size(); ++i) {
            if (m_text[i] == u'\n' || inBlock(i)) {
                open = -1;
            } else if (isDelimiter(i, u'`')) {
                if (open < 0) {
                    open = i;
                } else if (i == open + 1) {
                    open = -1;
                } else {
                    style(open + 1, i, TextStyle::code);
                    m_flags[open] |= kHidden;
                    m_flags[i] |= kHidden;
                    open = -1;
                }
            }
        }
    }

    static bool isWordCharacter(QChar c) { return c.isLetterOrNumber(); }

    // A mark opens before a non-space and not after a letter or digit, and closes after a
    // non-space and not before one, so "2*3*4" and "snake_case" keep their characters. Marks
    // stay within a line and outside code; the first opening mark pairs with the first closing
    // one after it.
    void emphasis(char16_t mark, TextStyle markStyle)
    {
        const qsizetype n = m_text.size();
        qsizetype open = -1;
        for (qsizetype i = 0; i < n; ++i) {
            if (m_text[i] == u'\n' || inBlock(i)) {
                open = -1;
                continue;
            }
            if ((m_flags[i] & quint8(TextStyle::code)) || !isDelimiter(i, mark))
                continue;
            const QChar before = i > 0 ? m_text[i - 1] : QChar();
            const QChar after = i + 1 < n ? m_text[i + 1] : QChar();
            const bool hasBefore = i > 0;
            const bool hasAfter = i + 1 < n;
            if (open >= 0 && i > open + 1 && !before.isSpace()
                && (!hasAfter || (!isWordCharacter(after) && after != QChar(mark)))) {
                style(open + 1, i, markStyle);
                m_flags[open] |= kHidden;
                m_flags[i] |= kHidden;
                open = -1;
            } else if (open < 0 && (!hasBefore || !isWordCharacter(before)) && hasAfter
                && !after.isSpace()) {
                open = i;
            }
        }
    }

    const QString& m_text;
    std::vector<quint8>& m_flags;
    DelimiterScanner m_scanner;
};

FlatText flatten(const QList<SlackText::Segment>& segments)
{
    FlatText flat;
    const auto append = [&flat](const QString& text, quint8 flags) {
        flat.text += text;
        flat.flags.insert(flat.flags.end(), size_t(text.size()), flags);
    };
    for (const SlackText::Segment& segment : segments) {
        if (const auto* plain = std::get_if<SlackText::Text>(&segment)) {
            append(plain->text, 0);
        } else if (const auto* mention = std::get_if<SlackText::Mention>(&segment)) {
            append(mention->text, kFromBracket);
        } else {
            const auto& link = std::get<SlackText::Link>(segment);
            flat.linkRanges.emplace_back(flat.text.size(), flat.text.size() + link.label.size());
            flat.links.append(link.url);
            append(link.label, kFromBracket);
        }
    }
    return flat;
}

} // namespace

QList<SlackText::Segment> SlackText::segments(QStringView text, const MentionNames& names)
{
    QList<Segment> out;
    QString buffer;
    const auto closeBuffer = [&] {
        if (!buffer.isEmpty())
            out.append(Text { std::exchange(buffer, QString()) });
    };
    // Entities are decoded piece by piece after the split on angle brackets, so a decoded "<" or
    // ">" is text and never markup.
    forEachBracket(
        text, [&](QStringView plain) { buffer += decodeEntities(plain); },
        [&](const Bracket& bracket) {
            if (bracket.url) {
                closeBuffer();
                const QStringView label = bracket.label.isEmpty() ? bracket.target : bracket.label;
                out.append(Link { decodeEntities(label), *bracket.url });
            } else if (QString shown = shownBracket(bracket, names); !shown.isEmpty()) {
                closeBuffer();
                out.append(Mention { std::move(shown) });
            }
        });
    closeBuffer();
    return out;
}

StyledText SlackText::attributedText(QStringView text, const MentionNames& names)
{
    FlatText flat = flatten(segments(text, names));
    const bool marked = MarkPass(flat).run();

    // The shown text is gathered in one string, cut into runs at the end.
    struct Piece {
        qsizetype start;
        TextStyles styles;
        qsizetype link;
    };
    QList<Piece> pieces;
    QString shown;
    shown.reserve(flat.text.size());
    size_t nextLink = 0;
    const qsizetype n = flat.text.size();
    for (qsizetype i = 0; i < n;) {
        if (flat.flags[i] & kHidden) {
            ++i;
            continue;
        }
        while (nextLink < flat.linkRanges.size() && flat.linkRanges[nextLink].second <= i)
            ++nextLink;
        const bool inLink
            = nextLink < flat.linkRanges.size() && flat.linkRanges[nextLink].first <= i;
        const qsizetype link = inLink ? qsizetype(nextLink) : -1;
        const TextStyles styles = TextStyles::fromInt(flat.flags[i] & kStyleBits);
        if (pieces.isEmpty() || styles != pieces.last().styles || link != pieces.last().link) {
            // A code block stands on lines of its own; the break goes with the text beside it.
            const bool entering = styles.testFlag(TextStyle::codeBlock);
            const bool breakLine = !pieces.isEmpty()
                && pieces.last().styles.testFlag(TextStyle::codeBlock) != entering
                && shown.back() != u'\n' && flat.text[i] != u'\n';
            if (breakLine && entering)
                shown += u'\n';
            pieces.append({ shown.size(), styles, link });
            if (breakLine && !entering)
                shown += u'\n';
        }
        // Characters alike in flags and link are taken in one piece; without marks, everything
        // up to the next edge of a link.
        const qsizetype limit = inLink          ? flat.linkRanges[nextLink].second
            : nextLink < flat.linkRanges.size() ? flat.linkRanges[nextLink].first
                                                : n;
        qsizetype end = marked ? i + 1 : limit;
        while (end < limit && flat.flags[end] == flat.flags[i])
            ++end;
        shown += QStringView(flat.text).sliced(i, end - i);
        i = end;
    }

    StyledText runs;
    runs.reserve(pieces.size());
    for (qsizetype k = 0; k < pieces.size(); ++k) {
        const Piece& piece = pieces[k];
        const qsizetype end = k + 1 < pieces.size() ? pieces[k + 1].start : shown.size();
        const QStringView part = QStringView(shown).sliced(piece.start, end - piece.start);
        // Code is shown as typed, shortcodes included.
        QString runText = piece.styles.testAnyFlags(TextStyle::code | TextStyle::codeBlock)
            ? part.toString()
            : SlackEmoji::replacingShortcodes(part);
        if (piece.link >= 0)
            runs.append(
                { std::move(runText), flat.links[piece.link], accentColor, true, piece.styles });
        else
            runs.append({ std::move(runText), {}, {}, false, piece.styles });
    }
    return runs;
}

QString SlackText::plainText(QStringView text, const MentionNames& names)
{
    QString plain;
    for (const StyledRun& run : attributedText(text, names))
        plain += run.text;
    return plain;
}

SlackText::MentionedIds SlackText::unlabelledMentions(QStringView text, qsizetype limit)
{
    MentionedIds ids;
    forEachBracket(
        text, [](QStringView) {},
        [&](const Bracket& bracket) {
            if (!bracket.label.isEmpty() || bracket.url || bracket.target.size() < 2
                || ids.users.size() + ids.channels.size() >= limit)
                return;
            const QStringView id = bracket.target.sliced(1);
            QStringList* list = bracket.target.startsWith(u'@') ? &ids.users
                : bracket.target.startsWith(u'#')               ? &ids.channels
                                                                : nullptr;
            if (list && isSlackId(id) && !list->contains(id))
                list->append(id.toString());
        });
    return ids;
}

} // namespace halyard

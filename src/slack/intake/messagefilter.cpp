#include "slack/intake/messagefilter.h"

#include <QTextBoundaryFinder>

namespace halyard {

namespace {

// The length in UTF-16 units of the first `count` user-perceived characters of text, or absent
// when it has fewer.
std::optional<qsizetype> graphemePrefixLength(const QString& text, qsizetype count)
{
    if (count == 0)
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype seen = 0;
    while (finder.toNextBoundary() != -1) {
        if (++seen == count)
            return finder.position();
    }
    return std::nullopt;
}

qsizetype graphemeCount(const QString& text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

// The text after the prefix when the text starts with it, compared without case and by whole
// characters: an "e" prefix does not match an "é" written as e plus an accent.
std::optional<QString> stripPrefix(const QString& text, const QString& prefix)
{
    const auto length = graphemePrefixLength(text, graphemeCount(prefix));
    if (!length || text.left(*length).toLower() != prefix.toLower())
        return std::nullopt;
    return text.mid(*length);
}

} // namespace

std::optional<MessageEvent> acceptMessage(
    MessageEvent message, bool botsOnly, const QString& triggerPrefix)
{
    if (!triggerPrefix.isEmpty()) {
        if (const auto rest = stripPrefix(message.text, triggerPrefix)) {
            const QString text = rest->trimmed();
            if (text.isEmpty())
                return std::nullopt;
            message.text = text;
            return message;
        }
    }
    if (!botsOnly || message.isBot)
        return message;
    return std::nullopt;
}

bool hasAckReaction(const SlackEventDTO& message, const QString& emoji)
{
    qsizetype first = 0;
    qsizetype last = emoji.size();
    while (first < last && emoji[first] == u':')
        ++first;
    while (last > first && emoji[last - 1] == u':')
        --last;
    const QStringView name = QStringView(emoji).sliced(first, last - first);
    // An emoji field cleared while being edited must not match a reaction that lacks a name.
    if (name.isEmpty() || !message.reactions)
        return false;
    for (const auto& reaction : *message.reactions) {
        if (reaction.name.value_or(QString()) == name && reaction.count.value_or(0) > 0)
            return true;
    }
    return false;
}

} // namespace halyard

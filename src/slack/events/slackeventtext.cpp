#include "slack/events/slackevent.h"

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

using Block = SlackEventDTO::Block;

bool nonEmpty(const std::optional<QString>& value)
{
    return value && !value->isEmpty();
}

// Records built in code are not bounded by the decoder, so the walk keeps its own depth limit;
// anything deeper contributes no text.
QString inlineTextAt(const Block& container, int depth)
{
    if (!container.elements || depth > SlackEventDTO::kMaxBlockDepth)
        return {};
    QString out;
    for (const Block& element : *container.elements) {
        if (nonEmpty(element.plainText)) {
            out += *element.plainText;
        } else if (element.type == u"link"_s) {
            const QString label = inlineTextAt(element, depth + 1);
            if (!label.isEmpty())
                out += label;
            else if (nonEmpty(element.url))
                out += *element.url;
        } else if (element.elements) {
            out += inlineTextAt(element, depth + 1);
        }
    }
    return out;
}

void appendRichTextLines(const Block& block, int depth, QStringList& lines)
{
    if (!block.elements || depth > SlackEventDTO::kMaxBlockDepth)
        return;
    for (const Block& child : *block.elements) {
        if (child.type == u"rich_text_list"_s) {
            appendRichTextLines(child, depth + 1, lines);
        } else {
            QString line = inlineTextAt(child, depth + 1);
            if (!line.isEmpty())
                lines.append(std::move(line));
        }
    }
}

} // namespace

std::optional<QString> SlackEventDTO::displayText() const
{
    QStringList pieces;
    if (nonEmpty(text))
        pieces.append(*text);

    if (attachments) {
        for (const Attachment& attachment : *attachments) {
            for (const auto* piece : { &attachment.pretext, &attachment.title, &attachment.text }) {
                if (nonEmpty(*piece))
                    pieces.append(**piece);
            }
            if (!attachment.fields)
                continue;
            for (const Attachment::Field& field : *attachment.fields) {
                if (!nonEmpty(field.value))
                    continue;
                pieces.append(
                    nonEmpty(field.title) ? *field.title + u": " + *field.value : *field.value);
            }
        }
    }

    if (pieces.isEmpty() && blocks) {
        for (const Block& block : *blocks) {
            if (block.text && nonEmpty(block.text->text))
                pieces.append(*block.text->text);
            appendRichTextLines(block, 1, pieces);
        }
    }

    if (pieces.isEmpty() && attachments) {
        for (const Attachment& attachment : *attachments) {
            if (nonEmpty(attachment.fallback))
                pieces.append(*attachment.fallback);
        }
    }

    if (pieces.isEmpty())
        return std::nullopt;
    return pieces.join(u'\n');
}

} // namespace halyard

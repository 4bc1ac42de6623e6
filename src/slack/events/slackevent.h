#pragma once

#include "common/decodeerror.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace halyard {

// One Slack event payload as Slack sends it: a live event inside a Socket Mode envelope, a
// message of conversations.history or the message of reactions.get. Field names are Slack's
// keys. Only decoded, never encoded.
struct SlackEventDTO {
    struct BotProfile {
        std::optional<QString> name;

        friend bool operator==(const BotProfile&, const BotProfile&) = default;
    };

    // A legacy attachment.
    struct Attachment {
        struct Field {
            std::optional<QString> title;
            std::optional<QString> value;

            friend bool operator==(const Field&, const Field&) = default;
        };

        std::optional<QString> fallback;
        std::optional<QString> pretext;
        std::optional<QString> title;
        std::optional<QString> text;
        std::optional<QList<Field>> fields;

        friend bool operator==(const Attachment&, const Attachment&) = default;
    };

    // The message a reaction was added to.
    struct ReactionItem {
        std::optional<QString> type;
        std::optional<QString> channel;
        std::optional<QString> ts;

        friend bool operator==(const ReactionItem&, const ReactionItem&) = default;
    };

    struct ReactionSummary {
        std::optional<QString> name;
        std::optional<qint64> count;

        friend bool operator==(const ReactionSummary&, const ReactionSummary&) = default;
    };

    // One record for top-level blocks, rich-text containers and inline rich-text elements.
    // Slack's "text" key holds a text object in blocks and a plain string in rich-text
    // elements; at most one of `text` and `plainText` is set.
    struct Block {
        struct BlockText {
            std::optional<QString> type;
            std::optional<QString> text;

            friend bool operator==(const BlockText&, const BlockText&) = default;
        };

        std::optional<QString> type;
        std::optional<BlockText> text;
        std::optional<QList<Block>> elements;
        std::optional<QString> plainText;
        std::optional<QString> url;

        // Written out: a defaulted comparison of a record that holds a list of itself makes
        // QList's equality check its element type while that type is still incomplete.
        friend bool operator==(const Block& a, const Block& b);
    };

    // Blocks nested deeper than this (a top-level block is level 1) are read without their
    // elements: real rich text is a handful of levels deep, and hostile nesting must neither
    // exhaust the stack nor fail the whole message.
    static constexpr int kMaxBlockDepth = 32;

    QString type;
    std::optional<QString> subtype;
    std::optional<QString> channel;
    std::optional<QString> user;
    std::optional<QString> bot_id;
    std::optional<QString> text;
    std::optional<QString> ts;
    std::optional<QString> username;
    std::optional<BotProfile> bot_profile;
    std::optional<QList<Attachment>> attachments;
    std::optional<QList<Block>> blocks;
    std::optional<QString> reaction;
    std::optional<ReactionItem> item;
    std::optional<QList<ReactionSummary>> reactions;

    // The text to show for the message: the plain text and the attachments' content, else the
    // blocks' text, else the attachments' fallbacks, one piece per line. Absent when the
    // payload carries no usable text.
    std::optional<QString> displayText() const;

    friend bool operator==(const SlackEventDTO&, const SlackEventDTO&) = default;
};

// Decodes one event payload from the bytes of a JSON object. An absent key and null are both
// absent and unknown keys are ignored. A value of the wrong JSON type in what the intake needs
// (type, subtype, channel, user, bot_id, ts, reaction, item) fails the whole payload with its key
// path; in what only feeds the display (text, username, bot_profile, attachments, blocks,
// reactions) it counts as absent, and an array element that is not an object is left out.
json::Decoded<SlackEventDTO> decodeSlackEventDTO(QByteArrayView json);

} // namespace halyard

#pragma once

#include "slack/text/accentcolor.h"

#include <QFlags>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QUrl>

#include <optional>
#include <variant>

namespace halyard {

// The marks Slack renders: *bold*, _italics_, ~strikethrough~, `code` and ```code blocks```.
enum class TextStyle : quint8 {
    bold = 0x01,
    italic = 0x02,
    strike = 0x04,
    code = 0x08,
    codeBlock = 0x10,
};
Q_DECLARE_FLAGS(TextStyles, TextStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(TextStyles)

// One run of styled text. Link runs carry their target, the accent colour and a single
// underline; every run carries the marks that apply to it.
struct StyledRun {
    QString text;
    std::optional<QUrl> link;
    std::optional<RgbColor> foreground;
    bool underline = false;
    TextStyles styles = {};

    friend bool operator==(const StyledRun&, const StyledRun&) = default;
};

using StyledText = QList<StyledRun>;

// Where mentions without a label find the names to show. A missing map or ID leaves the ID.
struct MentionNames {
    const QHash<QString, QString>* users = nullptr;
    const QHash<QString, QString>* channels = nullptr;
};

// Slack message markup: links and mentions in angle brackets, and Slack's marks. Only http,
// https and mailto targets become links; mentions show "@" or "#" and their label or the known
// name, else their ID. Slack's escapes of "&", "<" and ">" ("&amp;", "&lt;", "&gt;") are decoded
// in text, labels and link targets; other entities stay as typed. What came in brackets is shown
// as it reads: a mark inside a link label or a name neither opens nor closes.
class SlackText {
public:
    struct Text {
        QString text;

        friend bool operator==(const Text&, const Text&) = default;
    };

    struct Link {
        QString label;
        QUrl url;

        friend bool operator==(const Link&, const Link&) = default;
    };

    // A mention or any other bracket that is not a link, as shown.
    struct Mention {
        QString text;

        friend bool operator==(const Mention&, const Mention&) = default;
    };

    using Segment = std::variant<Text, Link, Mention>;

    // IDs of the users and channels that are mentioned without a label.
    struct MentionedIds {
        QStringList users;
        QStringList channels;

        friend bool operator==(const MentionedIds&, const MentionedIds&) = default;
    };

    SlackText() = delete;

    // No text segment or mention is empty and no two text segments are adjacent.
    static QList<Segment> segments(QStringView text, const MentionNames& names = {});

    // The segments styled by Slack's marks, emoji shortcodes replaced outside code; link
    // targets stay as sent. Linear in the length of the text.
    static StyledText attributedText(QStringView text, const MentionNames& names = {});

    // What a reader sees, without styles or marks: link labels, names, emoji and the escaped
    // characters as typed. For places that show plain text only, such as banners.
    static QString plainText(QStringView text, const MentionNames& names = {});

    // The first `limit` distinct unlabelled mentions, each list in order of appearance.
    static MentionedIds unlabelledMentions(QStringView text, qsizetype limit);
};

} // namespace halyard

#pragma once

#include "slack/text/accentcolor.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <optional>
#include <variant>

namespace halyard {

// One run of styled text. Link runs carry their target, the accent colour and a single
// underline; plain runs carry nothing.
struct StyledRun {
    QString text;
    std::optional<QUrl> link;
    std::optional<RgbColor> foreground;
    bool underline = false;

    friend bool operator==(const StyledRun&, const StyledRun&) = default;
};

using StyledText = QList<StyledRun>;

// Slack message markup: links and mentions in angle brackets. Only http, https and mailto
// targets become links; mentions show their label or raw text. Slack's escapes of "&", "<" and
// ">" ("&amp;", "&lt;", "&gt;") are decoded in text, labels and link targets; every other mark
// (other entities, bold, code) stays as typed.
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

    using Segment = std::variant<Text, Link>;

    SlackText() = delete;

    // No text segment is empty and no two text segments are adjacent.
    static QList<Segment> segments(QStringView text);

    // The segments with emoji shortcodes replaced inside each one; link targets stay as sent.
    static StyledText attributedText(QStringView text);

    // What a reader sees, without styles: link labels, emoji and the escaped characters as
    // typed. For places that show plain text only, such as banners.
    static QString plainText(QStringView text);
};

} // namespace halyard

#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

namespace halyard {

// Slack's colon-delimited emoji shortcodes (":white_check_mark:") and the emoji they stand
// for, from the table compiled into the program. Skin tones are entries of their own
// ("skin-tone-3"), so ":+1::skin-tone-3:" becomes a toned thumbs-up.
class SlackEmoji {
public:
    using Table = QHash<QString, QString>;

    SlackEmoji() = delete;

    // The text with every known shortcode replaced; anything else, colons included, stays.
    static QString replacingShortcodes(QStringView text);
    static QString replacingShortcodes(QStringView text, const Table& table);

    // Whether the text may name a shortcode: 1 to 64 of a-z, 0-9, "_", "-" and "+".
    static bool isShortcode(QStringView text);

    // The program's table, loaded from the ":/slack-emoji.json" resource on first use and kept;
    // empty when the resource is missing or damaged.
    static const Table& table();

    // Reads a JSON object of strings; anything else gives an empty table.
    static Table loadTable(const QString& path);
};

} // namespace halyard

#pragma once

#include <QString>
#include <QStringView>

namespace halyard {

// Text that a server chose (Slack's error codes, a proxy's error page, a close reason) reaches
// errors and log lines only in bounded form, so a hostile or broken answer can neither flood the
// log nor put a megabyte into a status line.

// Enough for any error or name a person reads in a window.
inline constexpr qsizetype kDisplayTextLimit = 300;
// What a desktop banner shows of its title or body.
inline constexpr qsizetype kBannerTextLimit = 140;
// A version number, suffix included; longer text is no version.
inline constexpr qsizetype kVersionTextLimit = 64;
// Error descriptions keep at most this many characters of server text.
inline constexpr qsizetype kMaxExcerptLength = 200;
// Log lines keep at most this many characters of each piece of server text.
inline constexpr qsizetype kMaxLoggedTextLength = 2000;

// A short, single-line excerpt: every run of whitespace and control characters becomes one
// space, the ends are trimmed, and text longer than `maxLength` characters is cut to that length,
// "…" included.
QString excerpt(QStringView text, qsizetype maxLength = kMaxExcerptLength);

// The text itself when it has at most `limit` user-perceived characters; otherwise its first
// `limit - 1` of them and "…", line breaks kept. Never splits a character made of several code
// points.
QString cutText(const QString& text, qsizetype limit = kDisplayTextLimit);

// The text cut to kMaxLoggedTextLength characters (marked "…" when cut), for a log argument.
QString logCut(QStringView text);

// Whether the text is a Slack message timestamp as Slack writes it: digits, a dot, digits.
bool isSlackTimestamp(QStringView ts);

} // namespace halyard

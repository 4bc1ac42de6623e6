#pragma once

#include <QString>
#include <QStringView>

namespace halyard {

// Text that a server chose (Slack's error codes, a proxy's error page, a close reason) reaches
// errors and log lines only in bounded form, so a hostile or broken answer can neither flood the
// log nor put a megabyte into a status line.

// Error descriptions keep at most this many characters of server text.
inline constexpr qsizetype kMaxExcerptLength = 200;
// Log lines keep at most this many characters of each piece of server text.
inline constexpr qsizetype kMaxLoggedTextLength = 2000;

// A short, single-line excerpt: every run of whitespace and control characters becomes one
// space, the ends are trimmed, and text beyond `maxLength` characters is cut and marked "…".
QString excerpt(QStringView text, qsizetype maxLength = kMaxExcerptLength);

// The text cut to kMaxLoggedTextLength characters (marked "…" when cut), for a log argument.
QString logCut(QStringView text);

// Whether the text is a Slack message timestamp as Slack writes it: digits, a dot, digits.
bool isSlackTimestamp(QStringView ts);

} // namespace halyard

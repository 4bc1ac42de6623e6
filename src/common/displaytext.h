#pragma once

#include <QString>

namespace halyard {

// Text that came over the network (Slack's replies, a proxy's error page, the update feed) can
// be of any length. What the program shows of it, and logs, is cut with these.

// Enough for any error or name a person reads in a window or a log line.
inline constexpr qsizetype kDisplayTextLimit = 300;
// What a desktop banner shows of its title or body.
inline constexpr qsizetype kBannerTextLimit = 140;
// A version number, suffix included; longer text is no version.
inline constexpr qsizetype kVersionTextLimit = 64;

// The text itself when it has at most `limit` user-perceived characters; otherwise its first
// `limit - 1` of them and "…". Never splits a character made of several code points.
QString excerpt(const QString& text, qsizetype limit = kDisplayTextLimit);

// The same for a place that shows one line: every run of white space, line breaks included,
// becomes one space first.
QString oneLine(const QString& text, qsizetype limit = kDisplayTextLimit);

} // namespace halyard

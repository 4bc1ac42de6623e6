#pragma once

#include "slack/slacktext.h"

#include <QString>

#include <ostream>

// Readable failure messages: gtest would otherwise print Qt strings as raw bytes.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << qUtf8Printable(text) << '"';
}

namespace halyard {

inline void PrintTo(const SlackText::Text& segment, std::ostream* out)
{
    *out << "Text(\"" << qUtf8Printable(segment.text) << "\")";
}

inline void PrintTo(const SlackText::Link& segment, std::ostream* out)
{
    *out << "Link(\"" << qUtf8Printable(segment.label) << "\", "
         << qUtf8Printable(segment.url.toString()) << ')';
}

} // namespace halyard

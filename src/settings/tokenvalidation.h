#pragma once

#include <QString>

#include <optional>

namespace halyard {

// The two tokens the tokens command reads.
enum class TokenField { bot, app };

// What to tell the user about the text pasted into a token field: nothing for empty input or a
// token with the right prefix, otherwise a message naming what is wrong (a link, spaces, the
// other field's token, a user token, an unknown prefix). Purely local: whether a well-formed
// token works is up to Slack.
std::optional<QString> tokenValidationMessage(const QString& text, TokenField field);

} // namespace halyard

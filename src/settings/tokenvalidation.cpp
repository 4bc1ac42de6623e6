#include "settings/tokenvalidation.h"

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

bool isUserToken(const QString& text)
{
    return text.startsWith(u"xoxp-"_s) || text.startsWith(u"xoxc-"_s)
        || text.startsWith(u"xoxd-"_s);
}

bool looksLikeLink(const QString& text)
{
    return text.contains(u"://"_s) || text.startsWith(u"api.slack.com"_s)
        || text.contains(u"slack.com/apps"_s);
}

bool containsWhitespace(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); });
}

QString botFieldMessage(const QString& token)
{
    if (token.startsWith(u"xapp-"_s)) {
        return u"That's the App-Level Token — it goes in the field below. This field wants the "
               u"Bot User OAuth Token (xoxb-…), from OAuth & Permissions."_s;
    }
    if (isUserToken(token)) {
        return u"That's a user token. Halyard needs the Bot User OAuth Token (xoxb-…) — on OAuth "
               u"& Permissions, copy the one under \"Bot User OAuth Token\"."_s;
    }
    return u"Slack bot tokens start with xoxb-. Double-check the copy from OAuth & Permissions."_s;
}

QString appFieldMessage(const QString& token)
{
    if (token.startsWith(u"xoxb-"_s)) {
        return u"That's the Bot token — it goes in the field above. This field wants the "
               u"App-Level Token (xapp-…), from Basic Information → App-Level Tokens."_s;
    }
    if (isUserToken(token)) {
        return u"That's a user token. This field wants the App-Level Token (xapp-…), from Basic "
               u"Information → App-Level Tokens."_s;
    }
    return u"App-Level Tokens start with xapp-. Double-check the copy from Basic Information → "
           u"App-Level Tokens."_s;
}

} // namespace

std::optional<QString> tokenValidationMessage(const QString& text, TokenField field)
{
    const QString token = text.trimmed();
    if (token.isEmpty())
        return std::nullopt;
    const QString expectedPrefix = field == TokenField::bot ? u"xoxb-"_s : u"xapp-"_s;
    if (looksLikeLink(token)) {
        return u"That looks like a link, not a token. Copy the token value itself — it starts "
               u"with "
            + expectedPrefix + u'.';
    }
    if (containsWhitespace(token)) {
        return u"The token contains spaces — it looks like a partial or doubled copy. Re-copy the "
               u"whole value."_s;
    }
    if (token.startsWith(expectedPrefix))
        return std::nullopt;
    return field == TokenField::bot ? botFieldMessage(token) : appFieldMessage(token);
}

} // namespace halyard

#include "settings/tokenvalidation.h"

#include <QCoreApplication>

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
        return QCoreApplication::translate("halyard::TokenValidation",
            "That's the App-Level Token — it goes in the field below. This field wants the Bot "
            "User OAuth Token (xoxb-…), from OAuth & Permissions.");
    }
    if (isUserToken(token)) {
        return QCoreApplication::translate("halyard::TokenValidation",
            "That's a user token. Halyard needs the Bot User OAuth Token (xoxb-…) — on OAuth & "
            "Permissions, copy the one under \"Bot User OAuth Token\".");
    }
    return QCoreApplication::translate("halyard::TokenValidation",
        "Slack bot tokens start with xoxb-. Double-check the copy from OAuth & Permissions.");
}

QString appFieldMessage(const QString& token)
{
    if (token.startsWith(u"xoxb-"_s)) {
        return QCoreApplication::translate("halyard::TokenValidation",
            "That's the Bot token — it goes in the field above. This field wants the App-Level "
            "Token (xapp-…), from Basic Information → App-Level Tokens.");
    }
    if (isUserToken(token)) {
        return QCoreApplication::translate("halyard::TokenValidation",
            "That's a user token. This field wants the App-Level Token (xapp-…), from Basic "
            "Information → App-Level Tokens.");
    }
    return QCoreApplication::translate("halyard::TokenValidation",
        "App-Level Tokens start with xapp-. Double-check the copy from Basic Information → "
        "App-Level Tokens.");
}

} // namespace

std::optional<QString> tokenValidationMessage(const QString& text, TokenField field)
{
    const QString token = text.trimmed();
    if (token.isEmpty())
        return std::nullopt;
    const QString expectedPrefix = field == TokenField::bot ? u"xoxb-"_s : u"xapp-"_s;
    if (looksLikeLink(token)) {
        return QCoreApplication::translate("halyard::TokenValidation",
            "That looks like a link, not a token. Copy the token value itself — it starts with "
            "%1.")
            .arg(expectedPrefix);
    }
    if (containsWhitespace(token)) {
        return QCoreApplication::translate("halyard::TokenValidation",
            "The token contains spaces — it looks like a partial or doubled copy. Re-copy the "
            "whole value.");
    }
    if (token.startsWith(expectedPrefix))
        return std::nullopt;
    return field == TokenField::bot ? botFieldMessage(token) : appFieldMessage(token);
}

} // namespace halyard

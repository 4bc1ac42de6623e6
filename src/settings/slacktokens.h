#pragma once

#include "settings/keychainservice.h"

#include <QMetaType>
#include <QString>

#include <expected>
#include <optional>

namespace halyard {

// The two Slack credentials. Never log or print them; maskedToken() gives a safe hint.
struct SlackTokens {
    // Bot User OAuth Token ("xoxb-"), for the Web API.
    QString botToken;
    // App-Level Token ("xapp-"), for Socket Mode.
    QString appToken;

    friend bool operator==(const SlackTokens&, const SlackTokens&) = default;
};

// The credential-store accounts that hold the two tokens.
inline constexpr QStringView kBotTokenAccount = u"slack.botToken";
inline constexpr QStringView kAppTokenAccount = u"slack.appToken";

// Both tokens, or absent when either is missing or cannot be read.
std::optional<SlackTokens> loadSlackTokens(KeychainService& keychain);

// Writes the bot token, then the app token; the first failure ends the operation (an app-token
// failure leaves the new bot token stored).
std::expected<void, KeychainError> storeSlackTokens(
    KeychainService& keychain, const SlackTokens& tokens);

// Deletes the bot token, then the app token; a missing item is no failure, any other failure
// ends the operation.
std::expected<void, KeychainError> deleteSlackTokens(KeychainService& keychain);

// The first characters of a token followed by "…", enough to tell tokens apart: nine characters
// of a real token, never more than half of a short one, so the whole value is never shown.
QString maskedToken(const QString& token);

} // namespace halyard

Q_DECLARE_METATYPE(halyard::SlackTokens)

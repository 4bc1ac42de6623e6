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

// The keychain must outlive the returned task.

// Both tokens, or absent when either is missing. A failed or unfinished read is an error, so
// that it is never mistaken for "nothing stored".
QCoro::Task<std::expected<std::optional<SlackTokens>, KeychainError>> loadSlackTokens(
    KeychainService* keychain);

// Writes the bot token, then the app token; the first failure ends the operation (an app-token
// failure leaves the new bot token stored).
QCoro::Task<std::expected<void, KeychainError>> storeSlackTokens(
    KeychainService* keychain, SlackTokens tokens);

// Deletes the bot token, then the app token; a missing item is no failure, any other failure
// ends the operation.
QCoro::Task<std::expected<void, KeychainError>> deleteSlackTokens(KeychainService* keychain);

// The first characters of a token followed by "…", enough to tell tokens apart: nine characters
// of a real token, never more than half of a short one, so the whole value is never shown.
QString maskedToken(const QString& token);

} // namespace halyard

Q_DECLARE_METATYPE(halyard::SlackTokens)

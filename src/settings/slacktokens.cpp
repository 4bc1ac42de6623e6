#include "settings/slacktokens.h"

using namespace Qt::Literals::StringLiterals;

namespace halyard {

std::optional<SlackTokens> loadSlackTokens(KeychainService& keychain)
{
    const auto bot = keychain.get(kBotTokenAccount.toString());
    const auto app = keychain.get(kAppTokenAccount.toString());
    if (!bot || !app || !bot->has_value() || !app->has_value())
        return std::nullopt;
    return SlackTokens { **bot, **app };
}

std::expected<void, KeychainError> storeSlackTokens(
    KeychainService& keychain, const SlackTokens& tokens)
{
    if (auto stored = keychain.set(tokens.botToken, kBotTokenAccount.toString()); !stored)
        return stored;
    return keychain.set(tokens.appToken, kAppTokenAccount.toString());
}

std::expected<void, KeychainError> deleteSlackTokens(KeychainService& keychain)
{
    if (auto deleted = keychain.remove(kBotTokenAccount.toString()); !deleted)
        return deleted;
    return keychain.remove(kAppTokenAccount.toString());
}

QString maskedToken(const QString& token)
{
    constexpr qsizetype kShown = 9;
    return token.left(std::min(kShown, token.size() / 2)) + u'…';
}

} // namespace halyard

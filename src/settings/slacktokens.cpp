#include "settings/slacktokens.h"

using namespace Qt::Literals::StringLiterals;

namespace halyard {

QCoro::Task<std::expected<std::optional<SlackTokens>, KeychainError>> loadSlackTokens(
    KeychainService* keychain)
{
    const auto bot = co_await keychain->get(kBotTokenAccount.toString());
    if (!bot)
        co_return std::unexpected(bot.error());
    const auto app = co_await keychain->get(kAppTokenAccount.toString());
    if (!app)
        co_return std::unexpected(app.error());
    if (!bot->has_value() || !app->has_value())
        co_return std::optional<SlackTokens>();
    co_return SlackTokens { **bot, **app };
}

QCoro::Task<std::expected<void, KeychainError>> storeSlackTokens(
    KeychainService* keychain, SlackTokens tokens)
{
    if (auto stored = co_await keychain->set(tokens.botToken, kBotTokenAccount.toString()); !stored)
        co_return stored;
    co_return co_await keychain->set(tokens.appToken, kAppTokenAccount.toString());
}

QCoro::Task<std::expected<void, KeychainError>> deleteSlackTokens(KeychainService* keychain)
{
    if (auto deleted = co_await keychain->remove(kBotTokenAccount.toString()); !deleted)
        co_return deleted;
    co_return co_await keychain->remove(kAppTokenAccount.toString());
}

QString maskedToken(const QString& token)
{
    constexpr qsizetype kShown = 9;
    return token.left(std::min(kShown, token.size() / 2)) + u'…';
}

} // namespace halyard

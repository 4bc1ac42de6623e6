#pragma once

#include "common/problem.h"

#include <QCoroTask>
#include <QString>

#include <expected>
#include <functional>
#include <optional>

namespace halyard {

// Whom a bot token speaks for, as Slack names them; either name may be missing from the answer.
struct TokenOwner {
    std::optional<QString> team;
    std::optional<QString> user;

    friend bool operator==(const TokenOwner&, const TokenOwner&) = default;
};

// A token test's outcome: the owner, or why there is none.
using TokenTestResult = std::expected<TokenOwner, Problem>;

// What the settings window asks of the Slack connection. The program passes the Slack service's
// calls and its own Web API client; tests pass fakes. Any of them may be empty.
struct SlackControls {
    using TokenTester = std::function<QCoro::Task<TokenTestResult>(QString botToken)>;

    std::function<void()> disconnect {};
    // Starts a connection; the window does not wait for it.
    std::function<void()> connect {};
    // Tests a bot token that is neither saved nor used for the connection.
    TokenTester testToken {};
};

} // namespace halyard

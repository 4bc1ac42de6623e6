#include "app/tokenscommand.h"

#include "bus/remotecontrol.h"
#include "service/profile.h"
#include "settings/connectionstate.h"
#include "settings/keychainservice.h"
#include "settings/slacktokens.h"
#include "settings/tokenvalidation.h"
#include "slack/webapi/slackwebapi.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <expected>
#include <iterator>
#include <optional>
#include <termios.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// A credential-store service other than the user's own (hidden; for isolated runs).
const QString kServiceOption = u"keychain-service"_s;

// The terminal as it was before the prompt, for the signal handler: it may run at any moment.
termios g_savedTerminal {};
volatile sig_atomic_t g_echoOff = 0;

extern "C" void onSignalAtPrompt(int signal)
{
    // Only async-signal-safe calls: the terminal gets its echo back, the line ends and the
    // program ends with the shell's status for the signal (130 for Ctrl+C).
    if (g_echoOff)
        tcsetattr(STDIN_FILENO, TCSANOW, &g_savedTerminal);
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, "\n", 1);
    _exit(128 + signal);
}

// Turns terminal echo off while tokens are typed, so they never show on screen; an interrupt
// at the prompt leaves the terminal as it found it.
class EchoOff {
public:
    explicit EchoOff(bool active)
    {
        if (!active || tcgetattr(STDIN_FILENO, &g_savedTerminal) != 0)
            return;
        struct sigaction action { };
        action.sa_handler = onSignalAtPrompt;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            sigaction(kSignals[i], &action, &m_previous[i]);
        m_handlers = true;
        termios quiet = g_savedTerminal;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        g_echoOff = tcsetattr(STDIN_FILENO, TCSANOW, &quiet) == 0;
    }
    ~EchoOff()
    {
        if (g_echoOff)
            tcsetattr(STDIN_FILENO, TCSANOW, &g_savedTerminal);
        g_echoOff = 0;
        if (m_handlers) {
            for (std::size_t i = 0; i < std::size(kSignals); ++i)
                sigaction(kSignals[i], &m_previous[i], nullptr);
        }
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    static constexpr int kSignals[] = { SIGINT, SIGTERM, SIGHUP, SIGQUIT };
    struct sigaction m_previous[std::size(kSignals)] {};
    bool m_handlers = false;
};

std::optional<QString> readToken(
    QTextStream& in, QTextStream& err, bool interactive, const QString& prompt)
{
    if (interactive)
        err << prompt << Qt::flush;
    QString line;
    const bool read = in.readLineInto(&line);
    if (interactive)
        err << Qt::endl;
    if (!read)
        return std::nullopt;
    return line.trimmed();
}

// Advice only: a token that looks wrong is still stored; Slack has the last word.
void warnAbout(const QString& token, TokenField field, QTextStream& err)
{
    if (const auto message = tokenValidationMessage(token, field))
        err << QCoreApplication::translate("halyard::TokensCommand", "Warning: %1").arg(*message)
            << Qt::endl;
}

// `line` holds the error's description as %1 and what the service needs as %2.
QString failureLine(const QString& line, const KeychainError& error)
{
    // Without a reachable Secret Service every write fails with a bare status; say what is
    // missing, since that is the usual cause on a desktop without a keyring.
    return line.arg(problemText(error.problem()), KeychainError::serviceHint());
}

// Tells a running copy about the change; says whether one took it up, so that nobody restarts
// what already uses the new tokens, or waits for a copy that does not.
void tellRunningCopy(const TokensCommandIo& io)
{
    if (!io.tellRunningCopy)
        return;
    *io.out << (io.tellRunningCopy() ? QCoreApplication::translate(
                    "halyard::TokensCommand", "The running Halyard picked up the change.")
                                     : QCoreApplication::translate("halyard::TokensCommand",
                                         "No running Halyard uses these tokens; they apply when it "
                                         "starts."))
            << Qt::endl;
}

QCoro::Task<int> setTokens(TokensCommandIo io)
{
    QTextStream& in = *io.in;
    QTextStream& err = *io.err;
    std::optional<QString> bot;
    std::optional<QString> app;
    {
        // Off for both lines, so that a pasted pair never shows either.
        EchoOff echoOff(io.interactive);
        bot = readToken(in, err, io.interactive,
            QCoreApplication::translate(
                "halyard::TokensCommand", "Bot User OAuth Token (xoxb-…): "));
        if (bot)
            app = readToken(in, err, io.interactive,
                QCoreApplication::translate(
                    "halyard::TokensCommand", "App-Level Token (xapp-…): "));
    }
    if (!bot || !app) {
        err << QCoreApplication::translate("halyard::TokensCommand",
            "halyard: tokens set reads two lines from standard input: the bot "
            "token, then the app-level token; nothing was stored")
            << Qt::endl;
        co_return 1;
    }
    // An empty line would replace a stored token with nothing.
    if (bot->isEmpty() || app->isEmpty()) {
        err << (bot->isEmpty() ? QCoreApplication::translate(
                    "halyard::TokensCommand", "halyard: the bot token is empty; nothing was stored")
                               : QCoreApplication::translate("halyard::TokensCommand",
                                   "halyard: the app-level token is empty; nothing was stored"))
            << Qt::endl;
        co_return 1;
    }
    warnAbout(*bot, TokenField::bot, err);
    warnAbout(*app, TokenField::app, err);

    const SlackTokens tokens { *bot, *app };
    if (const auto stored = co_await storeSlackTokens(io.keychain, tokens); !stored) {
        err << failureLine(QCoreApplication::translate("halyard::TokensCommand",
                               "halyard: could not store the tokens: %1 — %2"),
            stored.error())
            << Qt::endl;
        co_return 1;
    }
    *io.out << QCoreApplication::translate(
        "halyard::TokensCommand", "Stored bot token %1 and app-level token %2")
                   .arg(maskedToken(tokens.botToken), maskedToken(tokens.appToken))
            << Qt::endl;
    tellRunningCopy(io);
    co_return 0;
}

QCoro::Task<int> clearTokens(TokensCommandIo io)
{
    if (const auto deleted = co_await deleteSlackTokens(io.keychain); !deleted) {
        *io.err << failureLine(QCoreApplication::translate("halyard::TokensCommand",
                                   "halyard: could not clear the tokens: %1 — %2"),
            deleted.error())
                << Qt::endl;
        co_return 1;
    }
    *io.out << QCoreApplication::translate("halyard::TokensCommand", "Tokens cleared.") << Qt::endl;
    tellRunningCopy(io);
    co_return 0;
}

// The kind ("xoxb-") and the last four characters: enough to tell two tokens apart. A value too
// short for that shows less, so that never more than half of it appears.
QString maskedEnds(const QString& token)
{
    constexpr qsizetype kTail = 4;
    const qsizetype dash = token.indexOf(u'-');
    const qsizetype head = dash >= 0 && dash < 5 ? dash + 1 : 0;
    if (head + kTail > token.size() / 2)
        return maskedToken(token);
    return token.left(head) + u'…' + token.right(kTail);
}

// One token's line; false when none is stored.
bool showToken(
    const QString& label, const std::optional<QString>& token, TokenField field, QTextStream& out)
{
    if (!token || token->isEmpty()) {
        out << label.arg(QCoreApplication::translate("halyard::TokensCommand", "not stored"))
            << Qt::endl;
        return false;
    }
    const auto advice = tokenValidationMessage(*token, field);
    out << label.arg(maskedEnds(*token) + u" — "_s
        + advice.value_or(QCoreApplication::translate("halyard::TokensCommand", "looks valid")))
        << Qt::endl;
    return true;
}

// Both tokens masked, whether each looks right, and whether Slack takes them: auth.test for
// the bot token, apps.connections.open (a Socket Mode address that is never used) for the
// app-level one. 0 only when both work.
QCoro::Task<int> showStatus(TokensCommandIo io)
{
    QTextStream& out = *io.out;
    const auto bot = co_await io.keychain->get(kBotTokenAccount.toString());
    std::expected<std::optional<QString>, KeychainError> app = bot;
    if (bot)
        app = co_await io.keychain->get(kAppTokenAccount.toString());
    if (!app) {
        *io.err << failureLine(QCoreApplication::translate("halyard::TokensCommand",
                                   "halyard: could not read the tokens: %1 — %2"),
            app.error())
                << Qt::endl;
        co_return 1;
    }
    const bool haveBot
        = showToken(QCoreApplication::translate("halyard::TokensCommand", "Bot token: %1"), *bot,
            TokenField::bot, out);
    const bool haveApp
        = showToken(QCoreApplication::translate("halyard::TokensCommand", "App-level token: %1"),
            *app, TokenField::app, out);
    if (!haveBot || !haveApp)
        co_return 1;

    const SlackWebAPI api(io.network, io.slackApiUrl);
    bool works = false;
    const auto auth = co_await api.authTest(**bot);
    if (!auth)
        out << QCoreApplication::translate("halyard::TokensCommand", "auth.test: %1")
                   .arg(problemText(auth.error().problem()))
            << Qt::endl;
    else if (!auth->ok)
        out << QCoreApplication::translate("halyard::TokensCommand", "auth.test: %1")
                   .arg(problemText(Problem::of(
                       Problem::Kind::slackRefused, {}, 0, auth->error.value_or(u"unknown"_s))))
            << Qt::endl;
    else {
        out << QCoreApplication::translate("halyard::TokensCommand", "auth.test: team %1, bot %2")
                   .arg(auth->team.value_or(u"?"_s), auth->user.value_or(u"?"_s))
            << Qt::endl;
        works = true;
    }
    const auto socket = co_await api.connectionsOpen(**app);
    out << QCoreApplication::translate("halyard::TokensCommand", "apps.connections.open: %1")
               .arg(socket ? QCoreApplication::translate("halyard::TokensCommand", "works")
                           : problemText(socket.error().problem()))
        << Qt::endl;
    co_return works&& socket ? 0 : 1;
}

} // namespace

void addTokensCommandOptions(QCommandLineParser& parser)
{
    QCommandLineOption service(kServiceOption,
        QCoreApplication::translate("halyard::TokensCommand", "Credential-store service name."),
        QCoreApplication::translate("halyard::TokensCommand", "name"),
        KeychainService::kDefaultService.toString());
    service.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(service);
}

bool isTokensCommand(const QStringList& words)
{
    return words.size() == 1
        && (words[0] == u"set"_s || words[0] == u"clear"_s || words[0] == u"status"_s);
}

int runTokensCommand(const QCommandLineParser& parser)
{
    const auto profile = Profile::user();
    if (!profile) {
        QTextStream(stderr) << profile.error() << Qt::endl;
        return 2;
    }
    KeychainService keychain(parser.value(kServiceOption));
    QNetworkAccessManager network;
    QTextStream in(stdin);
    QTextStream out(stdout);
    QTextStream err(stderr);
    TokensCommandIo io { &keychain, &in, &out, &err, isatty(STDIN_FILENO) == 1, &network,
        profile->slackApiUrl,
        [&keychain] { return tellRunningCopyToReloadTokens(keychain.service()); } };
    const QStringList arguments = parser.positionalArguments().mid(1);
    // Started from the running loop, so that a command that ends before its first wait still
    // ends the loop: exit() before exec() would be lost.
    QMetaObject::invokeMethod(
        qApp,
        [&] {
            QCoro::connect(runTokensCommand(arguments, io), qApp,
                [](int status) { QCoreApplication::exit(status); });
        },
        Qt::QueuedConnection);
    return QCoreApplication::exec();
}

QCoro::Task<int> runTokensCommand(QStringList arguments, TokensCommandIo io)
{
    if (arguments == QStringList { u"set"_s })
        co_return co_await setTokens(io);
    if (arguments == QStringList { u"clear"_s })
        co_return co_await clearTokens(io);
    if (arguments == QStringList { u"status"_s })
        co_return co_await showStatus(io);
    *io.err << QCoreApplication::translate("halyard::TokensCommand",
        "halyard: use \"halyard tokens set\", \"halyard tokens clear\" or "
        "\"halyard tokens status\"")
            << Qt::endl;
    co_return 2;
}

} // namespace halyard

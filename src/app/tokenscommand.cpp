#include "app/tokenscommand.h"

#include "settings/keychainservice.h"
#include "settings/slacktokens.h"
#include "settings/tokenvalidation.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <optional>
#include <termios.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// A credential-store service other than the user's own (hidden; for isolated runs).
const QString kServiceOption = u"keychain-service"_s;

// Turns terminal echo off while tokens are typed, so they never show on screen.
class EchoOff {
public:
    explicit EchoOff(bool active)
    {
        if (!active || tcgetattr(STDIN_FILENO, &m_saved) != 0)
            return;
        termios quiet = m_saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        m_active = tcsetattr(STDIN_FILENO, TCSANOW, &quiet) == 0;
    }
    ~EchoOff()
    {
        if (m_active)
            tcsetattr(STDIN_FILENO, TCSANOW, &m_saved);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    termios m_saved {};
    bool m_active = false;
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
    return line.arg(error.description(), KeychainError::serviceHint());
}

QCoro::Task<int> setTokens(KeychainService* keychain, QTextStream* inStream, QTextStream* outStream,
    QTextStream* errStream, bool interactive)
{
    QTextStream& in = *inStream;
    QTextStream& err = *errStream;
    std::optional<QString> bot;
    std::optional<QString> app;
    {
        // Off for both lines, so that a pasted pair never shows either.
        EchoOff echoOff(interactive);
        bot = readToken(in, err, interactive,
            QCoreApplication::translate(
                "halyard::TokensCommand", "Bot User OAuth Token (xoxb-…): "));
        if (bot)
            app = readToken(in, err, interactive,
                QCoreApplication::translate(
                    "halyard::TokensCommand", "App-Level Token (xapp-…): "));
    }
    if (!bot || !app) {
        err << QCoreApplication::translate("halyard::TokensCommand",
            "halyard: tokens set reads two lines from standard input: the bot token, "
            "then the app-level token; nothing was stored")
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
    if (const auto stored = co_await storeSlackTokens(keychain, tokens); !stored) {
        *errStream << failureLine(QCoreApplication::translate("halyard::TokensCommand",
                                      "halyard: could not store the tokens: %1 — %2"),
            stored.error())
                   << Qt::endl;
        co_return 1;
    }
    *outStream << QCoreApplication::translate(
        "halyard::TokensCommand", "Stored bot token %1 and app-level token %2")
                      .arg(maskedToken(tokens.botToken), maskedToken(tokens.appToken))
               << Qt::endl;
    co_return 0;
}

QCoro::Task<int> clearTokens(KeychainService* keychain, QTextStream* out, QTextStream* err)
{
    if (const auto deleted = co_await deleteSlackTokens(keychain); !deleted) {
        *err << failureLine(QCoreApplication::translate("halyard::TokensCommand",
                                "halyard: could not clear the tokens: %1 — %2"),
            deleted.error())
             << Qt::endl;
        co_return 1;
    }
    *out << QCoreApplication::translate("halyard::TokensCommand", "Tokens cleared.") << Qt::endl;
    co_return 0;
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

int runTokensCommand(const QCommandLineParser& parser)
{
    KeychainService keychain(parser.value(kServiceOption));
    QTextStream in(stdin);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList arguments = parser.positionalArguments().mid(1);
    const bool interactive = isatty(STDIN_FILENO) == 1;
    // Started from the running loop, so that a command that ends before its first wait still
    // ends the loop: exit() before exec() would be lost.
    QMetaObject::invokeMethod(
        qApp,
        [&] {
            QCoro::connect(runTokensCommand(arguments, &keychain, &in, &out, &err, interactive),
                qApp, [](int status) { QCoreApplication::exit(status); });
        },
        Qt::QueuedConnection);
    return QCoreApplication::exec();
}

QCoro::Task<int> runTokensCommand(QStringList arguments, KeychainService* keychain, QTextStream* in,
    QTextStream* out, QTextStream* err, bool interactive)
{
    if (arguments == QStringList { u"set"_s })
        co_return co_await setTokens(keychain, in, out, err, interactive);
    if (arguments == QStringList { u"clear"_s })
        co_return co_await clearTokens(keychain, out, err);
    *err << QCoreApplication::translate("halyard::TokensCommand",
        "halyard: use \"halyard tokens set\" (two lines on standard input: the bot "
        "token, then the app-level token) or \"halyard tokens clear\"")
         << Qt::endl;
    co_return 1;
}

} // namespace halyard

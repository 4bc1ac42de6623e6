#include "halyard-sim/fakeslack.h"
#include "settings/keychainservice.h"
#include "settings/slacktokens.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {
namespace {

struct Outcome {
    int exitCode = -1;
    QString out, err;
};

// Drives "halyard tokens …" as a separate process against the session's real Secret Service
// (scripts/test.sh provides a private, unlocked GNOME Keyring) under a service name of the
// test's own, then checks what this process reads back from the same store.
class TokensCommandTest : public ::testing::Test {
protected:
    void TearDown() override { (void)QCoro::waitFor(deleteSlackTokens(&m_keychain)); }
    Outcome run(const QStringList& words, const QByteArray& input = {},
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) const
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(HALYARD_BINARY),
            words + QStringList { u"--keychain-service"_s, m_keychain.service() });
        if (!process.waitForStarted())
            return {};
        process.write(input);
        process.closeWriteChannel();
        // The event loop runs meanwhile, so that a fake Slack in this process answers.
        if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 60000))
            process.kill();
        process.waitForFinished();
        return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError()) };
    }
    std::optional<SlackTokens> storedTokens()
    {
        const auto tokens = QCoro::waitFor(loadSlackTokens(&m_keychain));
        EXPECT_TRUE(tokens.has_value());
        return tokens.value_or(std::nullopt);
    }

    // Diagnostics for a failed expectation, with any made-up token blanked out.
    static std::string redacted(QString text)
    {
        static const QRegularExpression token(u"x(ox.|app)-[0-9a-f]{32}"_s);
        return text.replace(token, u"<token>"_s).toStdString();
    }
    static QString madeUpToken(const QString& prefix)
    {
        return prefix + QUuid::createUuid().toString(QUuid::Id128);
    }

    // Neither output may ever hold a whole token.
    static void expectNoToken(const Outcome& outcome, const SlackTokens& tokens)
    {
        for (const QString& token : { tokens.botToken, tokens.appToken }) {
            EXPECT_FALSE(outcome.out.contains(token));
            EXPECT_FALSE(outcome.err.contains(token));
        }
    }
    KeychainService m_keychain { u"com.corvane.Halyard.test-"_s
        + QUuid::createUuid().toString(QUuid::Id128) };
};

// Trimmed tokens are stored for the next process; swapped ones too, with a warning for each.
TEST_F(TokensCommandTest, SetStoresBothTrimmedTokensForTheNextProcess)
{
    const SlackTokens tokens { madeUpToken(u"xoxb-"_s), madeUpToken(u"xapp-"_s) };
    Outcome outcome = run({ u"tokens"_s, u"set"_s },
        "  " + tokens.botToken.toUtf8() + " \r\n\t" + tokens.appToken.toUtf8() + "\n");
    EXPECT_EQ(outcome.exitCode, 0) << redacted(outcome.err);
    EXPECT_TRUE(outcome.out.startsWith(u"Stored bot token "_s + tokens.botToken.left(9)
        + u"… and app-level token "_s + tokens.appToken.left(9) + u"…\n"_s))
        << redacted(outcome.out);
    EXPECT_EQ(outcome.err, QString());
    expectNoToken(outcome, tokens);
    EXPECT_TRUE(storedTokens() == tokens);
    const SlackTokens swapped { tokens.appToken, tokens.botToken };
    outcome
        = run({ u"tokens"_s, u"set"_s }, (swapped.botToken + u'\n' + swapped.appToken).toUtf8());
    EXPECT_EQ(outcome.exitCode, 0);
    const QStringList warnings = outcome.err.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(warnings.size(), 2) << redacted(outcome.err);
    EXPECT_TRUE(warnings[0].startsWith(u"Warning: That's the App-Level Token"_s));
    EXPECT_TRUE(warnings[1].startsWith(u"Warning: That's the Bot token"_s));
    EXPECT_TRUE(storedTokens() == swapped);
}

TEST_F(TokensCommandTest, IncompleteInputStoresNothing)
{
    const SlackTokens kept { madeUpToken(u"xoxb-"_s), madeUpToken(u"xapp-"_s) };
    ASSERT_TRUE(QCoro::waitFor(storeSlackTokens(&m_keychain, kept)).has_value());
    const QString other = madeUpToken(u"xoxb-"_s);
    const QByteArray line = other.toUtf8();
    for (const QByteArray& input : { QByteArray(), QByteArray(line + "\n"),
             QByteArray(line + "\n   \n"), QByteArray("\n" + line + "\n") }) {
        SCOPED_TRACE(input.size());
        const Outcome outcome = run({ u"tokens"_s, u"set"_s }, input);
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_TRUE(outcome.err.startsWith(u"halyard: "_s)) << redacted(outcome.err);
        EXPECT_TRUE(outcome.err.contains(u"nothing was stored"_s));
        EXPECT_FALSE(outcome.err.contains(other));
        EXPECT_TRUE(storedTokens() == kept);
    }
}

TEST_F(TokensCommandTest, MissingSecretServiceIsNamedAndFails)
{
    QTemporaryDir nowhere;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path="_s + nowhere.filePath(u"bus"_s));
    const SlackTokens tokens { madeUpToken(u"xoxb-"_s), madeUpToken(u"xapp-"_s) };
    const QByteArray input = (tokens.botToken + u'\n' + tokens.appToken + u'\n').toUtf8();
    const Outcome outcomes[] = {
        run({ u"tokens"_s, u"set"_s }, input, environment),
        run({ u"tokens"_s, u"clear"_s }, {}, environment),
    };
    for (const Outcome& outcome : outcomes) {
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_EQ(outcome.out, QString());
        EXPECT_EQ(outcome.err.count(u'\n'), 1) << redacted(outcome.err);
        EXPECT_TRUE(outcome.err.contains(u"Secret Service (org.freedesktop.secrets"_s));
        EXPECT_TRUE(outcome.err.contains(u"The keyring failed (status "_s))
            << redacted(outcome.err);
        expectNoToken(outcome, tokens);
    }
}

// Refused before anything runs (a display and the Web API address included): status 2 and the
// reason on standard error.
TEST_F(TokensCommandTest, UsageErrorsExitWithTwoWithoutADisplay)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : { u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s })
        environment.remove(name);
    environment.insert(u"HALYARD_SLACK_API_URL"_s, u"http://192.0.2.1/api/"_s);
    const std::pair<QStringList, QString> cases[] = {
        { { u"--bogus"_s }, u"Unknown option 'bogus'"_s },
        { { u"--demo"_s, u"tokens"_s, u"status"_s }, u"tokens and --demo exclude each other"_s },
        { { u"tokens"_s, u"show"_s }, u"use \"halyard tokens set\""_s },
        { { u"ack"_s }, u"ack needs alert ids or --all"_s },
        { { u"status"_s, u"--format"_s, u"xml"_s }, u"--format is waybar, i3bar or text"_s },
        { { u"status"_s, u"--all"_s }, u"--all belongs to \"halyard ack\", \"halyard list\""_s },
        { { u"snooze"_s, u"C1:1.0"_s, u"15x"_s }, u"snooze takes an alert id and a duration"_s },
        { { u"history"_s, u"C1"_s }, u"history takes no arguments"_s },
        { { u"list"_s, u"--channel"_s, u"C1"_s }, u"--channel belongs to \"halyard history\""_s },
        { { u"report"_s, u"--since"_s, u"soon"_s }, u"--since is a span (30m, 12h, 7d)"_s },
        { { u"report"_s, u"--format"_s, u"html"_s }, u"--format is markdown or text"_s },
        { { u"--headless"_s }, u"HALYARD_SLACK_API_URL must be an https URL"_s },
    };
    for (const auto& [arguments, reason] : cases) {
        const Outcome outcome = run(arguments, {}, environment);
        EXPECT_EQ(outcome.exitCode, 2);
        EXPECT_TRUE(outcome.err.startsWith(u"halyard: "_s + reason) && outcome.out.isEmpty())
            << outcome.err.toStdString();
    }
}

// The credential-store service is for tests and packagers: no help tells of it, though each case
// here runs under it.
TEST_F(TokensCommandTest, HelpIsAnsweredAfterAnyWordsAndLeavesOutTheKeychainServiceOption)
{
    for (const QStringList& help : { QStringList { u"tokens"_s, u"set"_s, u"--help"_s },
             QStringList { u"tokens"_s, u"--help"_s }, QStringList { u"--help-all"_s } }) {
        const Outcome outcome = run(help);
        EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
        EXPECT_TRUE(outcome.out.contains(u"--version"_s)) << outcome.out.toStdString();
        EXPECT_FALSE(outcome.out.contains(u"keychain"_s) || outcome.out.contains(u"Credential"_s));
    }
}

// Ctrl+C at the prompt gives the terminal its echo back and ends with the shell's 130.
TEST_F(TokensCommandTest, InterruptAtThePromptRestoresEchoAndExitsWith130)
{
    int terminal = -1;
    const QByteArray service = m_keychain.service().toUtf8();
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
        execl(HALYARD_BINARY, HALYARD_BINARY, "tokens", "set", "--keychain-service",
            service.constData(), nullptr);
        _exit(127);
    }
    ASSERT_GT(child, 0);
    // The prompt shows once echo is off.
    QByteArray shown(4096, 0);
    for (qsizetype size = 0; !shown.left(size).contains("Token (xoxb-");) {
        pollfd ready { terminal, POLLIN, 0 };
        const ssize_t got = poll(&ready, 1, 30000) > 0
            ? read(terminal, shown.data() + size, shown.size() - size)
            : -1;
        ASSERT_GT(got, 0) << shown.left(size).toStdString();
        size += got;
    }
    termios settings {};
    ASSERT_EQ(tcgetattr(terminal, &settings), 0);
    EXPECT_FALSE(settings.c_lflag & ECHO);
    ASSERT_EQ(write(terminal, "xoxb-half\x03", 10), 10);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 130) << status;
    ASSERT_EQ(tcgetattr(terminal, &settings), 0);
    EXPECT_TRUE(settings.c_lflag & ECHO);
    close(terminal);
}

// Masked tokens, what Slack says of each, and 0 only when both work; then cleared for good.
TEST_F(TokensCommandTest, StatusShowsWhatSlackSaysOfBothTokens)
{
    test::FakeSlack fake;
    ASSERT_TRUE(fake.listen());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HALYARD_SLACK_API_URL"_s, fake.apiUrl().toString());
    const QString bot = fake.workspace().botToken;
    const QString app = fake.workspace().appToken;
    const QString wrongBot = madeUpToken(u"xoxb-"_s);
    const struct {
        SlackTokens tokens;
        int exitCode;
        QStringList lines;
    } cases[] = {
        { { bot, app }, 0,
            { u"Bot token: xoxb-…"_s + bot.right(4) + u" — looks valid"_s,
                u"App-level token: xapp-…"_s + app.right(4) + u" — looks valid"_s,
                u"auth.test: team Fake Team, bot halyard"_s, u"apps.connections.open: works"_s } },
        { { wrongBot, app }, 1,
            { u"Bot token: xoxb-…"_s + wrongBot.right(4) + u" — looks valid"_s,
                u"auth.test: Slack did not accept the token (invalid_auth)"_s,
                u"apps.connections.open: works"_s } },
        { { QString(), app }, 1, { u"Bot token: not stored\n"_s } },
    };
    for (const auto& [tokens, exitCode, lines] : cases) {
        SCOPED_TRACE(exitCode);
        ASSERT_TRUE(QCoro::waitFor(storeSlackTokens(&m_keychain, tokens)).has_value());
        const Outcome outcome = run({ u"tokens"_s, u"status"_s }, {}, environment);
        EXPECT_EQ(outcome.exitCode, exitCode) << redacted(outcome.err);
        for (const QString& line : lines)
            EXPECT_TRUE(outcome.out.contains(line)) << redacted(outcome.out);
    }
    // Clearing twice succeeds; nothing is left.
    for (const QString& command : { u"clear"_s, u"clear"_s, u"status"_s })
        EXPECT_EQ(
            run({ u"tokens"_s, command }, {}, environment).exitCode, command == u"clear"_s ? 0 : 1);
    EXPECT_EQ(storedTokens(), std::nullopt);
}

} // namespace
} // namespace halyard

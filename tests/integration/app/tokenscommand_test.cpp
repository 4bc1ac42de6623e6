#include "settings/keychainservice.h"
#include "settings/slacktokens.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

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
            QStringList { u"tokens"_s } + words
                + QStringList { u"--keychain-service"_s, m_keychain.service() });
        if (!process.waitForStarted())
            return {};
        process.write(input);
        process.closeWriteChannel();
        if (!process.waitForFinished(60000))
            process.kill();
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
    Outcome outcome = run({ u"set"_s },
        "  " + tokens.botToken.toUtf8() + " \r\n\t" + tokens.appToken.toUtf8() + "\n");
    EXPECT_EQ(outcome.exitCode, 0) << redacted(outcome.err);
    EXPECT_EQ(outcome.out,
        u"Stored bot token "_s + tokens.botToken.left(9) + u"… and app-level token "_s
            + tokens.appToken.left(9) + u"…\n"_s);
    EXPECT_EQ(outcome.err, QString());
    expectNoToken(outcome, tokens);
    EXPECT_TRUE(storedTokens() == tokens);
    const SlackTokens swapped { tokens.appToken, tokens.botToken };
    outcome = run({ u"set"_s }, (swapped.botToken + u'\n' + swapped.appToken).toUtf8());
    EXPECT_EQ(outcome.exitCode, 0);
    const QStringList warnings = outcome.err.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(warnings.size(), 2) << redacted(outcome.err);
    EXPECT_TRUE(warnings[0].startsWith(u"Warning: That's the App-Level Token"_s));
    EXPECT_TRUE(warnings[1].startsWith(u"Warning: That's the Bot token"_s));
    expectNoToken(outcome, swapped);
    EXPECT_TRUE(storedTokens() == swapped);
}

TEST_F(TokensCommandTest, IncompleteInputStoresNothing)
{
    const SlackTokens kept { madeUpToken(u"xoxb-"_s), madeUpToken(u"xapp-"_s) };
    ASSERT_TRUE(QCoro::waitFor(storeSlackTokens(&m_keychain, kept)).has_value());
    const QString other = madeUpToken(u"xoxb-"_s);
    const QByteArray line = other.toUtf8();
    for (const QByteArray& input :
        { QByteArray(), QByteArray(line + "\n   \n"), QByteArray("\n" + line + "\n") }) {
        SCOPED_TRACE(input.size());
        const Outcome outcome = run({ u"set"_s }, input);
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_TRUE(outcome.err.startsWith(u"halyard: "_s)) << redacted(outcome.err);
        EXPECT_TRUE(outcome.err.contains(u"nothing was stored"_s));
        EXPECT_FALSE(outcome.err.contains(other));
        EXPECT_TRUE(storedTokens() == kept);
    }
}

TEST_F(TokensCommandTest, ClearDeletesBothTokensAndSucceedsWhenNoneAreStored)
{
    ASSERT_TRUE(QCoro::waitFor(
        storeSlackTokens(&m_keychain, { madeUpToken(u"xoxb-"_s), madeUpToken(u"xapp-"_s) })));
    for (int round = 0; round < 2; ++round) {
        const Outcome outcome = run({ u"clear"_s });
        EXPECT_EQ(outcome.exitCode, 0) << redacted(outcome.err);
        EXPECT_EQ(outcome.out, u"Tokens cleared.\n"_s);
        EXPECT_EQ(storedTokens(), std::nullopt);
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
        run({ u"set"_s }, input, environment),
        run({ u"clear"_s }, {}, environment),
    };
    for (const Outcome& outcome : outcomes) {
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_EQ(outcome.out, QString());
        EXPECT_EQ(outcome.err.count(u'\n'), 1) << redacted(outcome.err);
        EXPECT_TRUE(outcome.err.contains(u"Secret Service (org.freedesktop.secrets"_s));
        EXPECT_TRUE(outcome.err.contains(u"Keychain error: "_s));
        expectNoToken(outcome, tokens);
    }
}

} // namespace
} // namespace halyard

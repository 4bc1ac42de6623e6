// The credential store against the session's real Secret Service (scripts/test.sh provides a
// private, unlocked GNOME Keyring), under a service name of the test's own.
#include "settings/keychainservice.h"
#include "settings/slacktokens.h"

#include <QEventLoop>
#include <QUuid>
#include <qt6keychain/keychain.h>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {
namespace {

// One item per account, replaced by a second write, removed idempotently; values come back
// exactly: nothing, non-ASCII text, surrounding whitespace, a byte-order mark. Bytes that are
// not text are an error, never a value.
TEST(KeychainServiceTest, ValuesComeBackExactly)
{
    KeychainService keychain(
        u"com.corvane.Halyard.test-"_s + QUuid::createUuid().toString(QUuid::Id128));
    const QString account = kBotTokenAccount.toString();
    const auto get = [&] { return QCoro::waitFor(keychain.get(account)); };
    const auto first = get();
    ASSERT_TRUE(first.has_value()) << "needs an unlocked Secret Service (scripts/test.sh): "
                                   << qPrintable(first.error().description());
    EXPECT_EQ(*first, std::nullopt);
    EXPECT_TRUE(QCoro::waitFor(keychain.remove(account)).has_value());
    for (const QString& value : { QString(), u"ключ ✓ 🚀"_s, u"  padded\n"_s, u"\uFEFFmarked"_s }) {
        ASSERT_TRUE(QCoro::waitFor(keychain.set(value, account)));
        EXPECT_EQ(get().value(), std::optional(value)) << qPrintable(value);
    }
    EXPECT_TRUE(QCoro::waitFor(keychain.remove(account)).has_value());
    EXPECT_EQ(get().value(), std::nullopt) << "a second write left no older item behind";
    EXPECT_TRUE(QCoro::waitFor(keychain.remove(account)).has_value());

    // Bytes that are not UTF-8, planted the way another program could: raw bytes through
    // QtKeychain's binary form.
    QKeychain::WritePasswordJob job(keychain.service());
    job.setAutoDelete(false);
    job.setKey(account);
    job.setBinaryData(QByteArray("\xff\xfe\x00x", 4));
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    ASSERT_EQ(job.error(), QKeychain::NoError);
    const auto value = get();
    ASSERT_FALSE(value.has_value());
    EXPECT_EQ(value.error().kind(), KeychainError::Kind::unexpectedData);
    EXPECT_EQ(value.error().description(), u"Keychain returned unexpected data"_s);
    EXPECT_TRUE(QCoro::waitFor(keychain.remove(account)).has_value());
}

} // namespace
} // namespace halyard

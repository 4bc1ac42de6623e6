#include "settings/keychainservice.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QEventLoop>
#include <QUuid>
#include <qt6keychain/keychain.h>

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {
namespace {

// Runs against the session's real Secret Service (scripts/test.sh provides a private, unlocked
// GNOME Keyring), under a service name of its own that it empties again afterwards.
class KeychainServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto probe = set(u"probe"_s, u"probe"_s);
        ASSERT_TRUE(probe.has_value())
            << "these tests need an unlocked Secret Service on the session bus (run them "
               "through scripts/test.sh): "
            << probe.error().description().toStdString() << ", "
            << probe.error().platformMessage().toStdString();
        use(u"probe"_s);
    }

    void TearDown() override
    {
        for (const QString& account : std::as_const(m_accounts))
            (void)remove(account);
    }

    // The calls, each awaited in a local event loop (a test may block; the program never does).
    std::expected<void, KeychainError> set(const QString& value, const QString& account)
    {
        return QCoro::waitFor(m_keychain.set(value, account));
    }
    std::expected<std::optional<QString>, KeychainError> get(const QString& account)
    {
        return QCoro::waitFor(m_keychain.get(account));
    }
    std::expected<void, KeychainError> remove(const QString& account)
    {
        return QCoro::waitFor(m_keychain.remove(account));
    }

    // Marks an account for removal when the test ends.
    QString use(const QString& account)
    {
        m_accounts.append(account);
        return account;
    }

    // How many Secret Service items exist for one account of this test's service.
    int itemCount(const QString& account) const
    {
        qDBusRegisterMetaType<QMap<QString, QString>>();
        QDBusMessage call = QDBusMessage::createMethodCall(u"org.freedesktop.secrets"_s,
            u"/org/freedesktop/secrets"_s, u"org.freedesktop.Secret.Service"_s, u"SearchItems"_s);
        call << QVariant::fromValue(
            QMap<QString, QString> { { u"server"_s, m_service }, { u"user"_s, account } });
        const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2)
            return -1;
        int count = 0;
        for (const QVariant& paths : reply.arguments())
            count += int(qdbus_cast<QList<QDBusObjectPath>>(paths).size());
        return count;
    }

    const QString m_service
        = u"com.corvane.Halyard.test-"_s + QUuid::createUuid().toString(QUuid::Id128);
    KeychainService m_keychain { m_service };
    QStringList m_accounts;
};

// One item per account, replaced by a second write, removed idempotently; values come back
// exactly: nothing, non-ASCII text, surrounding whitespace, a byte-order mark. Bytes that are
// not text are an error, never a value.
TEST_F(KeychainServiceTest, OneItemPerAccountWithItsValueExactly)
{
    const QString account = use(u"slack.botToken"_s);
    EXPECT_EQ(get(account).value(), std::nullopt);
    EXPECT_TRUE(remove(account).has_value());
    for (const QString& value : { QString(), u"ключ ✓ 🚀"_s, u"  padded\n"_s, u"\uFEFFmarked"_s }) {
        SCOPED_TRACE(value.toStdString());
        ASSERT_TRUE(set(value, account));
        EXPECT_EQ(get(account).value(), std::optional(value));
        EXPECT_EQ(itemCount(account), 1);
    }
    EXPECT_TRUE(remove(account).has_value());
    EXPECT_EQ(get(account).value(), std::nullopt);
    EXPECT_EQ(itemCount(account), 0);
    EXPECT_TRUE(remove(account).has_value());

    // Bytes that are not UTF-8, planted the way another program could: raw bytes through
    // QtKeychain's binary form.
    QKeychain::WritePasswordJob job(m_service);
    job.setAutoDelete(false);
    job.setKey(use(u"binary"_s));
    job.setBinaryData(QByteArray("\xff\xfe\x00x", 4));
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    ASSERT_EQ(job.error(), QKeychain::NoError);

    const auto value = get(u"binary"_s);
    ASSERT_FALSE(value.has_value());
    EXPECT_EQ(value.error().kind(), KeychainError::Kind::unexpectedData);
    EXPECT_EQ(value.error().description(), u"Keychain returned unexpected data"_s);
}

} // namespace
} // namespace halyard

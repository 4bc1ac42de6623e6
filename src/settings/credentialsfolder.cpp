#include "settings/credentialsfolder.h"

#include "settings/slacktokens.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <cerrno>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {
// A token is some hundred bytes; anything far larger is not one.
constexpr qint64 kMaxFileSize = 4096;

KeychainError readOnly()
{
    return KeychainError::fileError(EROFS, u"the service manager's credentials are read-only"_s);
}
} // namespace

CredentialsFolder::CredentialsFolder(QString folder)
    : KeychainService(u"credentials"_s)
    , m_folder(std::move(folder))
{
}

QString CredentialsFolder::fileName(QStringView account)
{
    if (account == kBotTokenAccount)
        return u"slack-bot-token"_s;
    if (account == kAppTokenAccount)
        return u"slack-app-token"_s;
    return {};
}

std::unique_ptr<KeychainService> CredentialsFolder::fromEnvironment()
{
    const QString folder = qEnvironmentVariable("CREDENTIALS_DIRECTORY");
    if (folder.isEmpty())
        return nullptr;
    const QDir dir(folder);
    if (!dir.exists(fileName(kBotTokenAccount)) || !dir.exists(fileName(kAppTokenAccount)))
        return nullptr;
    return std::make_unique<CredentialsFolder>(folder);
}

QCoro::Task<std::expected<void, KeychainError>> CredentialsFolder::set(QString, QString)
{
    co_return std::unexpected(readOnly());
}

QCoro::Task<std::expected<void, KeychainError>> CredentialsFolder::remove(QString)
{
    co_return std::unexpected(readOnly());
}

QCoro::Task<std::expected<std::optional<QString>, KeychainError>> CredentialsFolder::get(
    QString account)
{
    const QString name = fileName(account);
    if (name.isEmpty())
        co_return std::optional<QString>();
    QFile file(QDir(m_folder).filePath(name));
    if (!file.exists())
        co_return std::optional<QString>();
    if (!file.open(QIODevice::ReadOnly))
        co_return std::unexpected(
            KeychainError::fileError(qint32(file.error()), file.errorString()));
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize)
        co_return std::unexpected(KeychainError::unexpectedData());
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        co_return std::unexpected(KeychainError::unexpectedData());
    co_return std::optional<QString>(text.trimmed());
}

} // namespace halyard

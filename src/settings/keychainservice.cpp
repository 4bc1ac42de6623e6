#include "settings/keychainservice.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QStringDecoder>
#include <qt6keychain/keychain.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// QtKeychain only offers asynchronous jobs, yet every caller here needs the answer before it can
// go on: start-up reads the tokens before it decides to connect, the Save button and the tokens
// command report the outcome of the write. These calls are few (a handful per run) and short, so
// each job runs in a local event loop. It serves timers, sockets and D-Bus traffic while the
// Secret Service answers and returns the moment the job finishes, so the program's own event
// loop is never held up longer than the job takes. User input waits until then, which keeps a
// second click from starting a second write halfway through the first. Making the calls
// coroutines instead would turn the settings store's construction and every caller into
// asynchronous code for no gain.
void runJob(QKeychain::Job& job)
{
    job.setAutoDelete(false);
    bool finished = false;
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    job.start();
    if (!finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

KeychainError errorOf(const QKeychain::Job& job)
{
    return KeychainError::unhandledError(qint32(job.error()), job.errorString());
}

} // namespace

KeychainService::KeychainService(QString service)
    : m_service(std::move(service))
{
}

KeychainService::~KeychainService() = default;

std::expected<void, KeychainError> KeychainService::set(
    const QString& value, const QString& account)
{
    // Text mode keeps the item's secret as the plain UTF-8 bytes of the value. The Secret Service
    // replaces an item with the same attributes, so a second write updates the first item.
    QKeychain::WritePasswordJob job(m_service);
    job.setKey(account);
    job.setTextData(value);
    runJob(job);
    if (job.error() != QKeychain::NoError)
        return std::unexpected(errorOf(job));
    return {};
}

std::expected<std::optional<QString>, KeychainError> KeychainService::get(const QString& account)
{
    QKeychain::ReadPasswordJob job(m_service);
    job.setKey(account);
    runJob(job);
    switch (job.error()) {
    case QKeychain::NoError:
        break;
    case QKeychain::EntryNotFound:
        return std::optional<QString>();
    default:
        return std::unexpected(errorOf(job));
    }
    // binaryData() holds the item's bytes whichever form it was stored in; they must be UTF-8,
    // taken exactly (a leading byte-order mark included).
    const QByteArray bytes = job.binaryData();
    QStringDecoder decoder(QStringDecoder::Utf8,
        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::unexpected(KeychainError::unexpectedData());
    return std::optional<QString>(std::move(text));
}

std::expected<void, KeychainError> KeychainService::remove(const QString& account)
{
    QKeychain::DeletePasswordJob job(m_service);
    job.setKey(account);
    runJob(job);
    if (job.error() != QKeychain::NoError && job.error() != QKeychain::EntryNotFound)
        return std::unexpected(errorOf(job));
    return {};
}

} // namespace halyard

#include "settings/keychainservice.h"

#include <QCoreApplication>
#include <QPointer>
#include <QStringDecoder>
#include <qt6keychain/keychain.h>

#include <coroutine>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

// Starts a job and resumes the awaiting coroutine when it finishes, when it is destroyed first,
// or when the application quits while it waits; the result says whether it really finished.
// QCoro's signal awaiter would never resume in the last two cases.
class JobAwaiter {
public:
    explicit JobAwaiter(QKeychain::Job* job)
        : m_job(job)
    {
    }
    // QCoro moves the awaiter before awaiting it; it connects nothing until await_suspend.
    JobAwaiter(JobAwaiter&&) = default;
    JobAwaiter& operator=(JobAwaiter&&) = delete;
    // A coroutine destroyed while it waits must not be resumed later.
    ~JobAwaiter() { disconnectAll(); }

    bool await_ready() const noexcept { return m_job == nullptr; }

    bool await_suspend(std::coroutine_handle<> awaiting)
    {
        m_connections[0] = QObject::connect(m_job, &QKeychain::Job::finished, m_job, [this] {
            m_finished = true;
            wake();
        });
        m_connections[1] = QObject::connect(m_job, &QObject::destroyed, [this] { wake(); });
        if (auto* app = QCoreApplication::instance())
            m_connections[2]
                = QObject::connect(app, &QCoreApplication::aboutToQuit, [this] { wake(); });
        m_job->start();
        // Some backends answer inside start(); then there is nothing to wait for.
        if (m_finished || !m_job) {
            disconnectAll();
            return false;
        }
        m_awaiting = awaiting;
        return true;
    }

    bool await_resume() const noexcept { return m_finished && m_job; }

private:
    void wake()
    {
        disconnectAll();
        if (auto awaiting = std::exchange(m_awaiting, nullptr))
            awaiting.resume();
    }

    void disconnectAll()
    {
        for (auto& connection : m_connections)
            QObject::disconnect(connection);
    }

    QPointer<QKeychain::Job> m_job;
    QMetaObject::Connection m_connections[3];
    std::coroutine_handle<> m_awaiting;
    bool m_finished = false;
};

// The job deletes itself once it has finished (QtKeychain's auto-delete); a job that never
// finishes is left to the backend, which may still call back into it.
template <typename JobType> JobType* newJob(const QString& service, const QString& account)
{
    auto* job = new JobType(service);
    job->setKey(account);
    return job;
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

QCoro::Task<std::expected<void, KeychainError>> KeychainService::set(QString value, QString account)
{
    // Text mode keeps the item's secret as the plain UTF-8 bytes of the value. The Secret Service
    // replaces an item with the same attributes, so a second write updates the first item.
    QPointer job = newJob<QKeychain::WritePasswordJob>(m_service, account);
    job->setTextData(value);
    if (!co_await JobAwaiter(job))
        co_return std::unexpected(KeychainError::unfinished());
    if (job->error() != QKeychain::NoError)
        co_return std::unexpected(errorOf(*job));
    co_return std::expected<void, KeychainError> {};
}

QCoro::Task<std::expected<std::optional<QString>, KeychainError>> KeychainService::get(
    QString account)
{
    QPointer job = newJob<QKeychain::ReadPasswordJob>(m_service, account);
    if (!co_await JobAwaiter(job))
        co_return std::unexpected(KeychainError::unfinished());
    switch (job->error()) {
    case QKeychain::NoError:
        break;
    case QKeychain::EntryNotFound:
        co_return std::optional<QString>();
    default:
        co_return std::unexpected(errorOf(*job));
    }
    // binaryData() holds the item's bytes whichever form it was stored in; they must be UTF-8,
    // taken exactly (a leading byte-order mark included).
    const QByteArray bytes = job->binaryData();
    QStringDecoder decoder(QStringDecoder::Utf8,
        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        co_return std::unexpected(KeychainError::unexpectedData());
    co_return std::optional<QString>(std::move(text));
}

QCoro::Task<std::expected<void, KeychainError>> KeychainService::remove(QString account)
{
    QPointer job = newJob<QKeychain::DeletePasswordJob>(m_service, account);
    if (!co_await JobAwaiter(job))
        co_return std::unexpected(KeychainError::unfinished());
    if (job->error() != QKeychain::NoError && job->error() != QKeychain::EntryNotFound)
        co_return std::unexpected(errorOf(*job));
    co_return std::expected<void, KeychainError> {};
}

} // namespace halyard

#pragma once

#include "settings/keychainservice.h"

#include <QMap>
#include <QSet>
#include <QStringList>

namespace halyard::test {

// An in-memory credential store that records every call and fails on request per account.
// Every call answers before it returns, so QCoro::waitFor() on it never spins an event loop.
class FakeKeychain : public KeychainService {
public:
    FakeKeychain()
        : KeychainService(QStringLiteral("com.corvane.Halyard.fake"))
    {
    }

    QCoro::Task<std::expected<void, KeychainError>> set(QString value, QString account) override
    {
        calls.append(QStringLiteral("set ") + account);
        if (failingWrites.contains(account))
            co_return std::unexpected(KeychainError::unhandledError(kFailure));
        items.insert(account, value);
        co_return std::expected<void, KeychainError> {};
    }

    QCoro::Task<std::expected<std::optional<QString>, KeychainError>> get(QString account) override
    {
        calls.append(QStringLiteral("get ") + account);
        if (failingReads.contains(account))
            co_return std::unexpected(KeychainError::unhandledError(kFailure));
        if (!items.contains(account))
            co_return std::optional<QString>();
        co_return std::optional<QString>(items.value(account));
    }

    QCoro::Task<std::expected<void, KeychainError>> remove(QString account) override
    {
        calls.append(QStringLiteral("remove ") + account);
        if (failingDeletes.contains(account))
            co_return std::unexpected(KeychainError::unhandledError(kFailure));
        items.remove(account);
        co_return std::expected<void, KeychainError> {};
    }

    static constexpr qint32 kFailure = -25308;

    QMap<QString, QString> items;
    QSet<QString> failingWrites;
    QSet<QString> failingReads;
    QSet<QString> failingDeletes;
    QStringList calls;
};

} // namespace halyard::test

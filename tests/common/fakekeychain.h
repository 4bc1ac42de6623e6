#pragma once

#include "settings/keychainservice.h"

#include <QMap>
#include <QSet>
#include <QStringList>

namespace halyard::test {

// An in-memory credential store that records every call and fails on request per account.
class FakeKeychain : public KeychainService {
public:
    FakeKeychain()
        : KeychainService(QStringLiteral("com.corvane.Halyard.fake"))
    {
    }

    std::expected<void, KeychainError> set(const QString& value, const QString& account) override
    {
        calls.append(QStringLiteral("set ") + account);
        if (failingWrites.contains(account))
            return std::unexpected(KeychainError::unhandledError(kFailure));
        items.insert(account, value);
        return {};
    }

    std::expected<std::optional<QString>, KeychainError> get(const QString& account) override
    {
        calls.append(QStringLiteral("get ") + account);
        if (failingReads.contains(account))
            return std::unexpected(KeychainError::unhandledError(kFailure));
        if (!items.contains(account))
            return std::optional<QString>();
        return std::optional<QString>(items.value(account));
    }

    std::expected<void, KeychainError> remove(const QString& account) override
    {
        calls.append(QStringLiteral("remove ") + account);
        if (failingDeletes.contains(account))
            return std::unexpected(KeychainError::unhandledError(kFailure));
        items.remove(account);
        return {};
    }

    static constexpr qint32 kFailure = -25308;

    QMap<QString, QString> items;
    QSet<QString> failingWrites;
    QSet<QString> failingReads;
    QSet<QString> failingDeletes;
    QStringList calls;
};

} // namespace halyard::test

#pragma once

#include "settings/keychainservice.h"

#include <QMap>

namespace halyard {

// A credential store that lives and dies with the process: the demo's tokens must never reach
// the user's keyring.
class MemoryKeychain : public KeychainService {
public:
    explicit MemoryKeychain(QMap<QString, QString> items = {})
        : KeychainService(QStringLiteral("com.corvane.Halyard.memory"))
        , m_items(std::move(items))
    {
    }

    QCoro::Task<std::expected<void, KeychainError>> set(QString value, QString account) override
    {
        m_items.insert(account, value);
        co_return std::expected<void, KeychainError> {};
    }

    QCoro::Task<std::expected<std::optional<QString>, KeychainError>> get(QString account) override
    {
        if (!m_items.contains(account))
            co_return std::optional<QString>();
        co_return std::optional<QString>(m_items.value(account));
    }

    QCoro::Task<std::expected<void, KeychainError>> remove(QString account) override
    {
        m_items.remove(account);
        co_return std::expected<void, KeychainError> {};
    }

private:
    QMap<QString, QString> m_items;
};

} // namespace halyard

#pragma once

#include "settings/keychainerror.h"

#include <QString>

#include <expected>
#include <optional>

namespace halyard {

// One UTF-8 string per account name in the user's credential store (the Secret Service, through
// QtKeychain), all under one service name. Stateless apart from that name; logs nothing, since
// what passes through it is secret.
//
// Every call returns only when the store has answered (see runJob in the .cpp for how). The
// operations are virtual so that tests can inject failures.
class KeychainService {
public:
    static constexpr QStringView kDefaultService = u"com.corvane.Halyard";

    explicit KeychainService(QString service = kDefaultService.toString());
    virtual ~KeychainService();

    const QString& service() const { return m_service; }

    // Stores the value, replacing any stored one.
    virtual std::expected<void, KeychainError> set(const QString& value, const QString& account);
    // The stored value, or absent when there is no item. Bytes that are not UTF-8 fail with
    // unexpectedData.
    virtual std::expected<std::optional<QString>, KeychainError> get(const QString& account);
    // Removes the item; removing a missing one succeeds.
    virtual std::expected<void, KeychainError> remove(const QString& account);

private:
    QString m_service;
};

} // namespace halyard

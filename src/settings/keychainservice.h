#pragma once

#include "settings/keychainerror.h"

#include <QCoroTask>
#include <QString>

#include <expected>
#include <optional>

namespace halyard {

// One UTF-8 string per account name in the user's credential store (the Secret Service, through
// QtKeychain), all under one service name. Stateless apart from that name; logs nothing, since
// what passes through it is secret.
//
// Every call is a coroutine that resumes when the store has answered. A job that ends without
// an answer (destroyed first, or the application quit while it waited) is an `unfinished`
// error, never a value. Parameters are taken by value because they outlive the caller's frame.
// The operations are virtual so that another store (one in memory, say) can stand in.
class KeychainService {
public:
    static constexpr QStringView kDefaultService = u"com.corvane.Halyard";

    explicit KeychainService(QString service = kDefaultService.toString());
    virtual ~KeychainService();

    const QString& service() const { return m_service; }

    // Stores the value, replacing any stored one.
    virtual QCoro::Task<std::expected<void, KeychainError>> set(QString value, QString account);
    // The stored value, or absent when there is no item. Bytes that are not UTF-8 fail with
    // unexpectedData.
    virtual QCoro::Task<std::expected<std::optional<QString>, KeychainError>> get(QString account);
    // Removes the item; removing a missing one succeeds.
    virtual QCoro::Task<std::expected<void, KeychainError>> remove(QString account);

private:
    QString m_service;
};

} // namespace halyard

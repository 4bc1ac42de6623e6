#pragma once

#include "common/problem.h"

#include <QString>

namespace halyard {

// A failure of the credential store. The description is the text that logs and status lines
// show; it carries `platformMessage`, the backend's own explanation, when there is one.
class KeychainError {
public:
    enum class Kind { unhandledError, fileError, unexpectedData, unfinished };

    static KeychainError unhandledError(qint32 status, QString platformMessage = {});
    // A credentials file that could not be read; `status` is the file error, not a keyring's.
    static KeychainError fileError(qint32 status, QString platformMessage);
    static KeychainError unexpectedData();
    // The request ended without an answer (the program quit while it waited, say).
    static KeychainError unfinished();

    Kind kind() const { return m_kind; }
    // The backend's status code; 0 for the other kinds.
    qint32 status() const { return m_status; }
    const QString& platformMessage() const { return m_platformMessage; }

    // "Keychain error: <platform message> (<status>)" ("Keychain error: <status>" without a
    // message), "Keychain returned unexpected data" or "Keychain request did not finish".
    QString description() const;
    // What the user can do about it: the usual cause on a desktop is a Secret Service that is
    // missing or locked, and the bare status does not say so.
    static QString serviceHint();
    // For a person: worded where it is shown (a locked keyring and a missing one apart).
    Problem problem() const;

    friend bool operator==(const KeychainError& a, const KeychainError& b)
    {
        return a.m_kind == b.m_kind && a.m_status == b.m_status;
    }

private:
    KeychainError(Kind kind, qint32 status, QString platformMessage);

    Kind m_kind;
    qint32 m_status;
    QString m_platformMessage;
};

} // namespace halyard

#include "settings/keychainerror.h"

#include <QCoreApplication>
#include <qt6keychain/keychain.h>

using namespace Qt::Literals::StringLiterals;

namespace halyard {

KeychainError::KeychainError(Kind kind, qint32 status, QString platformMessage)
    : m_kind(kind)
    , m_status(status)
    , m_platformMessage(std::move(platformMessage))
{
}

KeychainError KeychainError::unhandledError(qint32 status, QString platformMessage)
{
    return KeychainError(Kind::unhandledError, status, std::move(platformMessage));
}

KeychainError KeychainError::fileError(qint32 status, QString platformMessage)
{
    return KeychainError(Kind::fileError, status, std::move(platformMessage));
}

KeychainError KeychainError::unexpectedData()
{
    return KeychainError(Kind::unexpectedData, 0, {});
}

KeychainError KeychainError::unfinished()
{
    return KeychainError(Kind::unfinished, 0, {});
}

QString KeychainError::serviceHint()
{
    return QCoreApplication::translate("halyard::KeychainError",
        "the tokens are kept by a Secret Service (org.freedesktop.secrets, such as GNOME Keyring "
        "or KWallet) that must be running and unlocked in this D-Bus session");
}

QString KeychainError::description() const
{
    switch (m_kind) {
    case Kind::unhandledError:
    case Kind::fileError:
        // The store's own words say what to do ("No keyring daemon"); the number alone does not.
        if (!m_platformMessage.trimmed().isEmpty())
            return u"Keychain error: "_s + m_platformMessage.trimmed() + u" ("_s
                + QString::number(m_status) + u')';
        return u"Keychain error: "_s + QString::number(m_status);
    case Kind::unfinished:
        return u"Keychain request did not finish"_s;
    case Kind::unexpectedData:
        break;
    }
    return u"Keychain returned unexpected data"_s;
}

Problem KeychainError::problem() const
{
    using P = Problem::Kind;
    switch (m_kind) {
    case Kind::unhandledError:
        switch (m_status) {
        case QKeychain::AccessDeniedByUser:
        case QKeychain::AccessDenied:
            return Problem::of(P::keychainDenied, description(), m_status);
        case QKeychain::NoBackendAvailable:
            return Problem::of(P::keychainMissing, description(), m_status);
        default:
            return Problem::of(P::keychainFailed, description(), m_status);
        }
    case Kind::fileError:
        return Problem::of(P::keychainFailed, description(), m_status);
    case Kind::unfinished:
        return Problem::of(P::keychainUnfinished, description());
    case Kind::unexpectedData:
        break;
    }
    return Problem::of(P::keychainUnexpected, description());
}

} // namespace halyard

#pragma once

#include <QMetaType>
#include <QString>

namespace halyard {

// Where the Slack connection stands, as the views show it. Only the Slack service changes it.
// Two states are equal when they are the same case and, for error, carry the same message.
class ConnectionState {
public:
    enum class Kind { error, disconnected, connecting, connected };

    // The initial state.
    ConnectionState() = default;

    static ConnectionState error(QString message);
    static ConnectionState disconnected() { return ConnectionState(); }
    static ConnectionState connecting() { return ConnectionState(Kind::connecting, {}); }
    static ConnectionState connected() { return ConnectionState(Kind::connected, {}); }

    Kind kind() const { return m_kind; }
    bool isError() const { return m_kind == Kind::error; }
    // The error's description; empty for every other case.
    const QString& errorMessage() const { return m_errorMessage; }

    friend bool operator==(const ConnectionState&, const ConnectionState&) = default;

private:
    ConnectionState(Kind kind, QString errorMessage);

    Kind m_kind = Kind::disconnected;
    QString m_errorMessage;
};

} // namespace halyard

Q_DECLARE_METATYPE(halyard::ConnectionState)

#pragma once

#include "common/problem.h"

#include <QMetaType>
#include <QString>

namespace halyard {

// Where the Slack connection stands, as the views show it. Only the Slack service changes it.
// Two states are equal when they are the same case and, for error, a person would read the same
// problem.
class ConnectionState {
public:
    enum class Kind { error, disconnected, connecting, connected };

    // The initial state.
    ConnectionState() = default;

    static ConnectionState error(Problem problem);
    static ConnectionState disconnected() { return ConnectionState(); }
    static ConnectionState connecting() { return ConnectionState(Kind::connecting, {}); }
    static ConnectionState connected() { return ConnectionState(Kind::connected, {}); }

    Kind kind() const { return m_kind; }
    bool isError() const { return m_kind == Kind::error; }
    // What went wrong; meaningful for error only.
    const Problem& problem() const { return m_problem; }

    friend bool operator==(const ConnectionState&, const ConnectionState&) = default;

private:
    ConnectionState(Kind kind, Problem problem);

    Kind m_kind = Kind::disconnected;
    Problem m_problem;
};

// The sentence a person reads for a problem, in the user's language: one wording for the
// panel, the settings window and the command line alike.
QString problemText(const Problem& problem);

} // namespace halyard

Q_DECLARE_METATYPE(halyard::ConnectionState)

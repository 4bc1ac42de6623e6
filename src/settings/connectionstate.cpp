#include "settings/connectionstate.h"

namespace halyard {

ConnectionState::ConnectionState(Kind kind, QString errorMessage)
    : m_kind(kind)
    , m_errorMessage(std::move(errorMessage))
{
}

ConnectionState ConnectionState::error(QString message)
{
    return ConnectionState(Kind::error, std::move(message));
}

} // namespace halyard

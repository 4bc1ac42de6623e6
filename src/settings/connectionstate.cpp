#include "settings/connectionstate.h"

#include <QCoreApplication>

namespace halyard {

ConnectionState::ConnectionState(Kind kind, Problem problem)
    : m_kind(kind)
    , m_problem(std::move(problem))
{
}

ConnectionState ConnectionState::error(Problem problem)
{
    return ConnectionState(Kind::error, std::move(problem));
}

namespace {

class ProblemWording {
    Q_DECLARE_TR_FUNCTIONS(halyard::Problem)
public:
    static QString text(const Problem& problem);
};

QString ProblemWording::text(const Problem& problem)
{
    using K = Problem::Kind;
    switch (problem.kind) {
    case K::slackRefused:
        if (problem.code == QLatin1String("invalid_auth")
            || problem.code == QLatin1String("not_authed")
            || problem.code == QLatin1String("token_revoked")
            || problem.code == QLatin1String("account_inactive"))
            return tr("Slack did not accept the token (%1)").arg(problem.code);
        return tr("Slack refused the request (%1)").arg(problem.code);
    case K::httpStatus:
        if (problem.number == 401 || problem.number == 403)
            return tr("Slack did not accept the token (HTTP %1)").arg(problem.number);
        return tr("Slack answered with HTTP status %1").arg(problem.number);
    case K::rateLimited:
        if (problem.number > 0)
            return tr("Slack limits the rate; trying again in %1 s").arg(problem.number);
        return tr("Slack limits the rate; trying again later");
    case K::unexpectedReply:
        return tr("Slack's answer could not be read");
    case K::tokensMissing:
        return tr("No Slack tokens are set");
    case K::unsafeToken:
        return tr("A token contains a line break or another control character");
    case K::offline:
        return tr("No network");
    case K::hostNotFound:
        return tr("Slack's server could not be found");
    case K::cannotConnect:
        return tr("Slack's server could not be reached");
    case K::timedOut:
        return tr("Slack did not answer in time");
    case K::connectionLost:
        return tr("The connection to Slack was lost");
    case K::network:
        return tr("Network error");
    case K::heartbeatMissed:
        return tr("Slack stopped answering (no heartbeat for %1 s)").arg(problem.number);
    case K::keychainDenied:
        return tr("The keyring is locked or refused access");
    case K::keychainMissing:
        return tr("No keyring is running in this session");
    case K::keychainFailed:
        return tr("The keyring failed (status %1)").arg(problem.number);
    case K::keychainUnexpected:
        return tr("The keyring returned unexpected data");
    case K::keychainUnfinished:
        return tr("The keyring did not answer");
    case K::feedMissing:
        return tr("No update feed is configured");
    case K::feedInsecure:
        return tr("The update feed must be read over https");
    case K::feedUnreachable:
        return tr("The update feed could not be fetched");
    case K::feedUnreadable:
        return tr("The update feed could not be read");
    case K::cancelled:
        return tr("Cancelled");
    }
    return tr("Unknown error");
}

} // namespace

QString problemText(const Problem& problem)
{
    return ProblemWording::text(problem);
}

} // namespace halyard

#include "slack/webapi/slackerror.h"

#include "common/servertext.h"

using namespace Qt::Literals::StringLiterals;

namespace halyard {

namespace {

SlackError::TransportKind classify(QNetworkReply::NetworkError code, bool timedOut)
{
    using K = SlackError::TransportKind;
    switch (code) {
    case QNetworkReply::RemoteHostClosedError:
        return K::connectionLost;
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
        return K::notConnected;
    case QNetworkReply::TimeoutError:
        return K::timedOut;
    case QNetworkReply::OperationCanceledError:
        return timedOut ? K::timedOut : K::other;
    case QNetworkReply::HostNotFoundError:
        return K::hostNotFound;
    case QNetworkReply::ConnectionRefusedError:
        return K::cannotConnect;
    case QNetworkReply::ServiceUnavailableError:
    case QNetworkReply::UnknownNetworkError:
        return K::resourceUnavailable;
    default:
        return K::other;
    }
}

} // namespace

SlackError SlackError::authFailed(QStringView message)
{
    SlackError error(Kind::authFailed);
    error.m_message = excerpt(message);
    return error;
}

SlackError SlackError::socketModeFailed(QStringView message)
{
    SlackError error(Kind::socketModeFailed);
    error.m_message = excerpt(message);
    return error;
}

SlackError SlackError::httpError(qint64 status, const std::optional<QString>& body,
    std::optional<std::chrono::seconds> retryAfter)
{
    SlackError error(Kind::httpError);
    error.m_status = status;
    if (body)
        error.m_body = excerpt(*body);
    error.m_retryAfter = retryAfter;
    return error;
}

SlackError SlackError::decodingFailed(QStringView message)
{
    SlackError error(Kind::decodingFailed);
    error.m_message = excerpt(message);
    return error;
}

SlackError SlackError::missingTokens()
{
    return SlackError(Kind::missingTokens);
}

SlackError SlackError::transport(
    QNetworkReply::NetworkError code, QStringView errorText, bool timedOut)
{
    SlackError error(Kind::transport);
    error.m_networkError = code;
    error.m_transportKind = classify(code, timedOut);
    error.m_message = excerpt(errorText);
    return error;
}

SlackError SlackError::cancelled()
{
    return SlackError(Kind::cancelled);
}

bool SlackError::isTransient() const
{
    switch (m_kind) {
    case Kind::transport:
        return m_transportKind != TransportKind::other;
    case Kind::httpError:
        return m_status == 429 || (m_status >= 500 && m_status <= 599);
    default:
        return false;
    }
}

QString SlackError::description() const
{
    switch (m_kind) {
    case Kind::authFailed:
        return u"Authentication failed: "_s + m_message;
    case Kind::socketModeFailed:
        return u"Socket Mode failed: "_s + m_message;
    case Kind::httpError:
        if (m_body)
            return u"HTTP "_s + QString::number(m_status) + u": " + *m_body;
        return u"HTTP "_s + QString::number(m_status);
    case Kind::decodingFailed:
        return u"Decoding failed: "_s + m_message;
    case Kind::missingTokens:
        return u"Slack tokens not configured"_s;
    case Kind::transport:
        if (m_message.isEmpty())
            return u"Network error "_s + QString::number(int(m_networkError));
        return m_message;
    case Kind::cancelled:
        return u"Cancelled"_s;
    }
    return {};
}

Problem SlackError::problem() const
{
    using P = Problem::Kind;
    const QString log = description();
    switch (m_kind) {
    case Kind::authFailed:
        return Problem::of(P::unsafeToken, log);
    case Kind::socketModeFailed:
        return Problem::of(P::slackRefused, log, 0, m_message);
    case Kind::httpError:
        if (m_status == 0)
            return Problem::of(P::slackRefused, log, 0, m_body.value_or(QString()));
        if (m_status == 429)
            return Problem::of(P::rateLimited, log, m_retryAfter ? m_retryAfter->count() : 0);
        return Problem::of(P::httpStatus, log, m_status);
    case Kind::decodingFailed:
        return Problem::of(P::unexpectedReply, log);
    case Kind::missingTokens:
        return Problem::of(P::tokensMissing, log);
    case Kind::cancelled:
        return Problem::of(P::cancelled, log);
    case Kind::transport:
        break;
    }
    switch (m_transportKind) {
    case TransportKind::connectionLost:
        return Problem::of(P::connectionLost, log);
    case TransportKind::notConnected:
        return Problem::of(P::offline, log);
    case TransportKind::timedOut:
        return Problem::of(P::timedOut, log);
    case TransportKind::hostNotFound:
        return Problem::of(P::hostNotFound, log);
    case TransportKind::cannotConnect:
        return Problem::of(P::cannotConnect, log);
    case TransportKind::resourceUnavailable:
    case TransportKind::other:
        break;
    }
    return Problem::of(P::network, log);
}

} // namespace halyard

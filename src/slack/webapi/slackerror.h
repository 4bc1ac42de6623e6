#pragma once

#include "common/problem.h"

#include <QMetaType>
#include <QNetworkReply>
#include <QString>

#include <chrono>
#include <expected>
#include <optional>

namespace halyard {

// The error of the Slack connectivity subsystem: what Slack or the HTTP exchange said was wrong
// (the first five kinds), a transport failure as Qt reported it, or a cancelled call.
// description() is the text every log line and status line shows; isTransient() alone decides
// whether a Web API call is retried. Texts that come with an error (a body, Slack's error code, a
// transport message) are kept only as a short single-line excerpt: a proxy's error page must not
// become a status line.
class SlackError {
public:
    enum class Kind {
        authFailed,
        socketModeFailed,
        httpError,
        decodingFailed,
        missingTokens,
        transport,
        cancelled,
    };

    // The transport failures that may pass by themselves; everything else is `other`.
    enum class TransportKind {
        connectionLost, // RemoteHostClosedError
        notConnected, // NetworkSessionFailedError, TemporaryNetworkFailureError
        timedOut, // TimeoutError, or the transfer time-out
        hostNotFound, // HostNotFoundError (also DNS failures)
        cannotConnect, // ConnectionRefusedError
        resourceUnavailable, // ServiceUnavailableError, UnknownNetworkError
        other,
    };

    static SlackError authFailed(QStringView message);
    static SlackError socketModeFailed(QStringView message);
    // `retryAfter` is the Retry-After of the answer in seconds, as the server gave it.
    static SlackError httpError(qint64 status, const std::optional<QString>& body = std::nullopt,
        std::optional<std::chrono::seconds> retryAfter = std::nullopt);
    static SlackError decodingFailed(QStringView message);
    static SlackError missingTokens();
    // A reply that failed below HTTP. `timedOut` marks an OperationCanceledError that came from
    // the transfer time-out rather than from an abort by the program.
    static SlackError transport(
        QNetworkReply::NetworkError code, QStringView errorText, bool timedOut = false);
    static SlackError cancelled();

    Kind kind() const { return m_kind; }
    // authFailed, socketModeFailed, decodingFailed: the message; transport: the reply's text.
    const QString& message() const { return m_message; }
    // httpError only.
    qint64 httpStatus() const { return m_status; }
    // httpError only: the reply's text; with status 0, Slack's error code of an "ok": false.
    const std::optional<QString>& body() const { return m_body; }
    // How long the server asked the program to stay away, when the answer said so in seconds
    // (an HTTP-date or an unreadable value is not kept). Unbounded: callers cap it themselves.
    std::optional<std::chrono::seconds> retryAfter() const { return m_retryAfter; }
    // HTTP 429: Slack's rate limit; retryAfter() usually says for how long.
    bool isRateLimited() const { return m_kind == Kind::httpError && m_status == 429; }
    // transport only.
    QNetworkReply::NetworkError networkError() const { return m_networkError; }
    TransportKind transportKind() const { return m_transportKind; }

    // Transient transport kinds and HTTP 429 and 5xx; never decoding failures, other statuses
    // (the status 0 of a Slack "ok": false included), the other kinds or cancellation.
    bool isTransient() const;

    // For the log, in English.
    QString description() const;
    // For a person: the kind and the figures its sentence needs, worded where it is shown.
    Problem problem() const;

    friend bool operator==(const SlackError&, const SlackError&) = default;

private:
    explicit SlackError(Kind kind)
        : m_kind(kind)
    {
    }

    Kind m_kind;
    QString m_message;
    qint64 m_status = 0;
    std::optional<QString> m_body;
    std::optional<std::chrono::seconds> m_retryAfter;
    QNetworkReply::NetworkError m_networkError = QNetworkReply::NoError;
    TransportKind m_transportKind = TransportKind::other;
};

template <typename T> using SlackResult = std::expected<T, SlackError>;

} // namespace halyard

Q_DECLARE_METATYPE(halyard::SlackError)

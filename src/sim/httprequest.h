#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace halyard::sim {

// One HTTP request as the simulated Slack read it off the wire.
struct HttpRequest {
    QByteArray method; // "GET", "POST"
    QByteArray target; // the request target exactly as sent: "/api/users.info?user=U1"
    QString path; // the decoded path: "/api/users.info"
    QString apiMethod; // the Web API method: "users.info"; empty outside /api/
    std::optional<QByteArray> query; // the raw text after "?", absent when there is no "?"
    QList<std::pair<QByteArray, QByteArray>> headers; // in the order sent, names as sent
    QByteArray body;

    // The first value of a header, names compared without case; absent when not sent.
    std::optional<QByteArray> header(QByteArrayView name) const;

    // The parameters Slack would read: the query's, then a form body's, each decoded the way a
    // form is ("+" is a space, then percent-decoding).
    QList<std::pair<QString, QString>> params() const;
    std::optional<QString> param(const QString& name) const;

    // The bearer token of the Authorization header, else a "token" parameter.
    std::optional<QString> token() const;
};

} // namespace halyard::sim

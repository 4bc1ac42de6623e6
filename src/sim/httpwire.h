#pragma once

#include "sim/httprequest.h"

#include <QByteArray>
#include <QList>

#include <utility>
#include <variant>

// The simulated server's HTTP/1.1 on the wire: reading one request from the bytes received so far,
// and writing one response.
namespace halyard::sim::http {

inline constexpr qsizetype kMaxHeaderBytes = 64 * 1024;
inline constexpr qsizetype kMaxBodyBytes = 8 * 1024 * 1024;

struct Incomplete { };
struct Malformed {
    int status; // 400, 411, 413, 431, 501
    QByteArray reason;
};
using ParseResult = std::variant<Incomplete, Malformed, HttpRequest>;

// Reads one request from the front of `buffer`, removing its bytes when complete.
ParseResult takeRequest(QByteArray& buffer);

// A complete response that closes the connection afterwards, so the client never reuses it.
QByteArray response(int status, const QByteArray& body, const QByteArray& contentType,
    const QList<std::pair<QByteArray, QByteArray>>& extraHeaders = {});

} // namespace halyard::sim::http

#include "sim/httpwire.h"

#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace halyard::sim::http {

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 101:
        return "Switching Protocols";
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 411:
        return "Length Required";
    case 413:
        return "Payload Too Large";
    case 429:
        return "Too Many Requests";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 501:
        return "Not Implemented";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

} // namespace

ParseResult takeRequest(QByteArray& buffer)
{
    const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0) {
        if (buffer.size() > kMaxHeaderBytes)
            return Malformed { 431, "header too large" };
        return Incomplete {};
    }
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    if (requestLine.size() != 3 || !requestLine[2].startsWith("HTTP/1."))
        return Malformed { 400, "bad request line" };

    HttpRequest request;
    request.method = requestLine[0];
    request.target = requestLine[1];
    qint64 contentLength = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return Malformed { 400, "bad header line" };
        const QByteArray name = line.left(colon).trimmed();
        const QByteArray value = line.mid(colon + 1).trimmed();
        request.headers.append({ name, value });
        if (name.compare("Content-Length", Qt::CaseInsensitive) == 0) {
            bool ok = false;
            contentLength = value.toLongLong(&ok);
            if (!ok || contentLength < 0)
                return Malformed { 400, "bad content length" };
        } else if (name.compare("Transfer-Encoding", Qt::CaseInsensitive) == 0) {
            return Malformed { 501, "chunked bodies are not supported" };
        }
    }
    if (contentLength > kMaxBodyBytes)
        return Malformed { 413, "body too large" };
    const qsizetype bodyStart = headerEnd + 4;
    if (buffer.size() - bodyStart < contentLength)
        return Incomplete {};

    request.body = buffer.mid(bodyStart, contentLength);
    buffer.remove(0, bodyStart + contentLength);

    const qsizetype mark = request.target.indexOf('?');
    const QByteArray rawPath = mark < 0 ? request.target : request.target.left(mark);
    if (mark >= 0)
        request.query = request.target.mid(mark + 1);
    request.path = QUrl::fromPercentEncoding(rawPath);
    if (request.path.startsWith(u"/api/"))
        request.apiMethod = request.path.mid(5);
    return request;
}

QByteArray response(int status, const QByteArray& body, const QByteArray& contentType,
    const QList<std::pair<QByteArray, QByteArray>>& extraHeaders)
{
    QByteArray out = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n";
    if (!contentType.isEmpty())
        out += "Content-Type: " + contentType + "\r\n";
    out += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    for (const auto& [name, value] : extraHeaders)
        out += name + ": " + value + "\r\n";
    out += "Connection: close\r\n\r\n";
    out += body;
    return out;
}

} // namespace halyard::sim::http

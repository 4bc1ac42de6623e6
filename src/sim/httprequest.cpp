#include "sim/httprequest.h"

using namespace Qt::Literals::StringLiterals;

namespace halyard::sim {

namespace {

// application/x-www-form-urlencoded text as name-value pairs, in order.
QList<std::pair<QString, QString>> decodeForm(QByteArrayView text)
{
    QList<std::pair<QString, QString>> out;
    const auto decode = [](QByteArray part) {
        part.replace('+', ' ');
        return QString::fromUtf8(QByteArray::fromPercentEncoding(part));
    };
    for (const QByteArray& piece : text.toByteArray().split('&')) {
        if (piece.isEmpty())
            continue;
        const qsizetype eq = piece.indexOf('=');
        if (eq < 0)
            out.append({ decode(piece), QString() });
        else
            out.append({ decode(piece.left(eq)), decode(piece.mid(eq + 1)) });
    }
    return out;
}

} // namespace

std::optional<QByteArray> HttpRequest::header(QByteArrayView name) const
{
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

QList<std::pair<QString, QString>> HttpRequest::params() const
{
    QList<std::pair<QString, QString>> out;
    if (query)
        out = decodeForm(*query);
    const QByteArray type = header("Content-Type").value_or(QByteArray()).toLower();
    if (type.startsWith("application/x-www-form-urlencoded"))
        out.append(decodeForm(body));
    return out;
}

std::optional<QString> HttpRequest::param(const QString& name) const
{
    for (const auto& [key, value] : params()) {
        if (key == name)
            return value;
    }
    return std::nullopt;
}

std::optional<QString> HttpRequest::token() const
{
    if (const auto authorization = header("Authorization")) {
        if (authorization->startsWith("Bearer "))
            return QString::fromUtf8(authorization->mid(7));
    }
    return param(u"token"_s);
}

} // namespace halyard::sim

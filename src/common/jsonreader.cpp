#include "common/jsonreader.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace halyard::json {

Decoded<QJsonObject> parseObject(const QByteArray& bytes)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        return std::unexpected(DecodeError { {},
            QStringLiteral("invalid JSON at offset %1: %2")
                .arg(parseError.offset)
                .arg(parseError.errorString()) });
    }
    if (!document.isObject())
        return std::unexpected(DecodeError { {}, QStringLiteral("expected a JSON object") });
    return document.object();
}

LocalObjectReader::LocalObjectReader(const QJsonObject& object, QString path)
    : m_object(object)
    , m_path(std::move(path))
{
}

QString LocalObjectReader::pathOf(QStringView key) const
{
    if (m_path.isEmpty())
        return key.toString();
    return m_path + u'.' + key;
}

void LocalObjectReader::fail(QStringView key, const QString& message)
{
    if (!m_error)
        m_error = DecodeError { pathOf(key), message };
}

void LocalObjectReader::wrongType(QStringView key, const char* expected)
{
    fail(key, u"expected " + QString::fromLatin1(expected));
}

std::optional<QJsonValue> LocalObjectReader::present(QStringView key)
{
    if (m_error)
        return std::nullopt;
    const auto it = m_object.constFind(key);
    if (it == m_object.constEnd() || it->isNull())
        return std::nullopt;
    return *it;
}

std::optional<QJsonValue> LocalObjectReader::required(QStringView key)
{
    if (m_error)
        return std::nullopt;
    auto value = present(key);
    if (!value)
        fail(key, QStringLiteral("missing required value"));
    return value;
}

QString LocalObjectReader::requiredString(QStringView key)
{
    if (auto value = optionalString(key))
        return *value;
    required(key);
    return {};
}

std::optional<QString> LocalObjectReader::optionalString(QStringView key)
{
    const auto value = present(key);
    if (!value)
        return std::nullopt;
    if (!value->isString()) {
        wrongType(key, "a string");
        return std::nullopt;
    }
    return value->toString();
}

bool LocalObjectReader::requiredBool(QStringView key)
{
    if (auto value = optionalBool(key))
        return *value;
    required(key);
    return false;
}

std::optional<bool> LocalObjectReader::optionalBool(QStringView key)
{
    const auto value = present(key);
    if (!value)
        return std::nullopt;
    if (!value->isBool()) {
        wrongType(key, "a boolean");
        return std::nullopt;
    }
    return value->toBool();
}

double LocalObjectReader::requiredDouble(QStringView key)
{
    if (auto value = optionalDouble(key))
        return *value;
    required(key);
    return 0.0;
}

std::optional<double> LocalObjectReader::optionalDouble(QStringView key)
{
    const auto value = present(key);
    if (!value)
        return std::nullopt;
    if (!value->isDouble()) {
        wrongType(key, "a number");
        return std::nullopt;
    }
    return value->toDouble();
}

std::optional<QJsonObject> LocalObjectReader::optionalObject(QStringView key)
{
    const auto value = present(key);
    if (!value)
        return std::nullopt;
    if (!value->isObject()) {
        wrongType(key, "an object");
        return std::nullopt;
    }
    return value->toObject();
}

std::optional<QJsonArray> LocalObjectReader::optionalArray(QStringView key)
{
    const auto value = present(key);
    if (!value)
        return std::nullopt;
    if (!value->isArray()) {
        wrongType(key, "an array");
        return std::nullopt;
    }
    return value->toArray();
}

} // namespace halyard::json

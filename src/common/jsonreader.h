#pragma once

#include "common/decodeerror.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// The reader of the program's own files (the queue file, preferences), over Qt's JSON classes.
// What comes from Slack is read by slack/events/payloadreader instead.
namespace halyard::json {

// Parses bytes that must hold one JSON object.
Decoded<QJsonObject> parseObject(const QByteArray& bytes);

// Reads typed fields from one JSON object of the program's own files (queue, preferences,
// reactions; Qt's JSON, small documents) with the program's decoding rules: an absent key and
// a JSON null both mean "absent"; a present value of the wrong JSON type fails the whole
// record; unknown keys are ignored. The first failure is kept and every later read returns a
// default value, so a decoder reads all its fields and checks once at the end with finish().
class LocalObjectReader {
public:
    explicit LocalObjectReader(const QJsonObject& object, QString path = {});

    QString requiredString(QStringView key);
    std::optional<QString> optionalString(QStringView key);
    bool requiredBool(QStringView key);
    std::optional<bool> optionalBool(QStringView key);
    double requiredDouble(QStringView key);
    std::optional<double> optionalDouble(QStringView key);
    std::optional<QJsonObject> optionalObject(QStringView key);
    std::optional<QJsonArray> optionalArray(QStringView key);

    // Nested records: decode(const QJsonValue&, const QString& path) -> Decoded<T>.
    template <typename T, typename Fn> std::optional<T> optionalWith(QStringView key, Fn&& decode)
    {
        const auto value = present(key);
        if (!value)
            return std::nullopt;
        return take<T>(decode(*value, pathOf(key)));
    }

    template <typename T, typename Fn> T requiredWith(QStringView key, Fn&& decode)
    {
        const auto value = required(key);
        if (!value)
            return T {};
        return take<T>(decode(*value, pathOf(key))).value_or(T {});
    }

    // Records a failure found by the caller (for example a string that is not a URL).
    void fail(QStringView key, const QString& message);

    bool ok() const { return !m_error.has_value(); }
    const std::optional<DecodeError>& error() const { return m_error; }
    QString pathOf(QStringView key) const;

    template <typename T> Decoded<T> finish(T value) const
    {
        if (m_error)
            return std::unexpected(*m_error);
        return value;
    }

private:
    std::optional<QJsonValue> present(QStringView key);
    std::optional<QJsonValue> required(QStringView key);
    void wrongType(QStringView key, const char* expected);

    QJsonObject m_object;
    QString m_path;
    std::optional<DecodeError> m_error;
};

// Decodes a value that must be a JSON object with the given record decoder:
// decodeObject(LocalObjectReader&) -> T, checked with finish().
template <typename T, typename Fn>
Decoded<T> decodeObject(const QJsonValue& value, const QString& path, Fn&& decodeFields)
{
    if (!value.isObject())
        return std::unexpected(DecodeError { path, QStringLiteral("expected an object") });
    LocalObjectReader reader(value.toObject(), path);
    T result = decodeFields(reader);
    return reader.finish(std::move(result));
}

} // namespace halyard::json

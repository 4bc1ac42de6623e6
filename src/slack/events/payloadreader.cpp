#include "slack/events/payloadreader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

using namespace Qt::Literals::StringLiterals;

namespace halyard::payload {

namespace {

QString fromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

void appendTo(QString& out, const Path& path)
{
    if (path.parent)
        appendTo(out, *path.parent);
    if (path.index >= 0) {
        out += u'[' + QString::number(path.index) + u']';
    } else if (!path.key.empty()) {
        if (!out.isEmpty())
            out += u'.';
        out += fromUtf8(path.key);
    }
}

// Integral values written with a fraction or an exponent count, as any JSON number whose value
// is an integer did before; 2^63 and beyond do not.
std::optional<qint64> integralValue(Value value)
{
    int64_t integer = 0;
    if (!value.get_int64().get(integer))
        return qint64(integer);
    double number = 0.0;
    if (value.is_double() && !value.get_double().get(number) && std::trunc(number) == number
        && number >= -0x1p63 && number < 0x1p63)
        return qint64(number);
    return std::nullopt;
}

} // namespace

QString Path::toString() const
{
    QString out;
    appendTo(out, *this);
    return out;
}

Decoded<Value> parseObject(QByteArrayView bytes)
{
    // A byte order mark is not JSON, but the frames and bodies read before were accepted with
    // one.
    if (bytes.startsWith("\xef\xbb\xbf"))
        bytes = bytes.sliced(3);
    // The parser and the input copy keep their memory between documents: one each per
    // thread, never shared.
    thread_local simdjson::dom::parser parser;
    thread_local std::string padded;
    // simdjson reads past the end in wide blocks, and only the caller's bytes are known to be
    // mapped, so the document is copied into a buffer with the padding it needs.
    const size_t size = size_t(bytes.size());
    padded.resize(size + simdjson::SIMDJSON_PADDING);
    if (size > 0)
        std::memcpy(padded.data(), bytes.data(), size);
    Value root;
    if (const auto error = parser.parse(padded.data(), size, false).get(root)) {
        return std::unexpected(DecodeError {
            {}, u"invalid JSON: "_s + QString::fromUtf8(simdjson::error_message(error)) });
    }
    if (!root.is_object())
        return std::unexpected(DecodeError { {}, u"expected a JSON object"_s });
    return root;
}

SlackObjectReader::SlackObjectReader(simdjson::dom::object object, const Path& path)
    : m_path(path)
{
    for (const auto field : object)
        m_fields.append(Field { field.key, field.value });
}

void SlackObjectReader::fail(std::string_view key, const QString& message)
{
    if (!m_error)
        m_error = DecodeError { m_path.member(key).toString(), message };
}

std::optional<Value> SlackObjectReader::present(std::string_view key)
{
    if (m_error)
        return std::nullopt;
    // From the end, not at_key(): of repeated keys the last one counts, as it always did.
    for (auto it = m_fields.crbegin(); it != m_fields.crend(); ++it) {
        // Keys are short: a length check settles most candidates without a library call.
        if (it->key.size() == key.size() && std::equal(key.begin(), key.end(), it->key.begin()))
            return it->value.is_null() ? std::nullopt : std::optional<Value>(it->value);
    }
    return std::nullopt;
}

std::optional<Value> SlackObjectReader::required(std::string_view key)
{
    auto value = present(key);
    if (!value)
        fail(key, u"missing required value"_s);
    return value;
}

QString SlackObjectReader::requiredString(std::string_view key)
{
    if (auto value = optionalString(key))
        return std::move(*value);
    required(key);
    return {};
}

std::optional<QString> SlackObjectReader::optionalString(std::string_view key)
{
    const auto value = present(key);
    if (!value)
        return std::nullopt;
    std::string_view text;
    if (value->get_string().get(text)) {
        fail(key, u"expected a string"_s);
        return std::nullopt;
    }
    return fromUtf8(text);
}

std::optional<QString> SlackObjectReader::displayString(std::string_view key)
{
    const auto value = present(key);
    std::string_view text;
    if (!value || value->get_string().get(text))
        return std::nullopt;
    return fromUtf8(text);
}

std::optional<bool> SlackObjectReader::displayBool(std::string_view key)
{
    const auto value = present(key);
    bool flag = false;
    if (!value || value->get_bool().get(flag))
        return std::nullopt;
    return flag;
}

std::optional<qint64> SlackObjectReader::displayInt64(std::string_view key)
{
    const auto value = present(key);
    return value ? integralValue(*value) : std::nullopt;
}

bool SlackObjectReader::requiredBool(std::string_view key)
{
    if (auto value = optionalBool(key))
        return *value;
    required(key);
    return false;
}

std::optional<bool> SlackObjectReader::optionalBool(std::string_view key)
{
    const auto value = present(key);
    if (!value)
        return std::nullopt;
    bool flag = false;
    if (value->get_bool().get(flag)) {
        fail(key, u"expected a boolean"_s);
        return std::nullopt;
    }
    return flag;
}

std::optional<qint64> SlackObjectReader::optionalInt64(std::string_view key)
{
    const auto value = present(key);
    if (!value)
        return std::nullopt;
    if (const auto integer = integralValue(*value))
        return integer;
    fail(key, u"expected a 64-bit integer"_s);
    return std::nullopt;
}

} // namespace halyard::payload

#pragma once

#include "common/decodeerror.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QVarLengthArray>

#include <optional>
#include <simdjson.h>
#include <string_view>
#include <type_traits>
#include <utility>

namespace halyard::payload {

using json::Decoded;
using json::DecodeError;
using Value = simdjson::dom::element;

// Where a value sits in a payload: a chain of stack-held segments back to the document root,
// rendered ("event.blocks[0].text") only when a value fails, so a payload that decodes builds
// no path strings.
struct Path {
    const Path* parent = nullptr;
    std::string_view key; // a member's key; empty for an array element
    qsizetype index = -1; // an array element's index

    Path member(std::string_view memberKey) const { return Path { this, memberKey, -1 }; }
    Path element(qsizetype elementIndex) const { return Path { this, {}, elementIndex }; }
    QString toString() const;
};

// Parses bytes that must hold one JSON object, with one parser per thread. The value stays
// valid until the same thread parses again, so decoders read it completely before returning.
Decoded<Value> parseObject(QByteArrayView bytes);

// Reads typed fields from one JSON object Slack sent (simdjson, on demand, for payloads of any
// size) with the program's decoding rules: an absent key and a
// JSON null both mean "absent"; a present value of the wrong JSON type fails the whole record,
// unless the member only feeds the display (the display reads); unknown keys are ignored; of
// repeated keys the last counts. The first failure is kept and every later read returns a default
// value, so a decoder reads all its fields in schema order and checks once at the end with
// finish().
class SlackObjectReader {
public:
    SlackObjectReader(simdjson::dom::object object, const Path& path);

    QString requiredString(std::string_view key);
    std::optional<QString> optionalString(std::string_view key);
    bool requiredBool(std::string_view key);
    std::optional<bool> optionalBool(std::string_view key);
    // Integral JSON numbers only, 1.0 and 1e2 included: a fraction, a string or an
    // out-of-range number fails.
    std::optional<qint64> optionalInt64(std::string_view key);

    // The raw value for decoders with rules of their own; absent for a missing key or null.
    std::optional<Value> present(std::string_view key);

    // Members that only feed the display: a value of the wrong JSON type counts as absent and
    // never fails the record, so one odd field costs that field and not the message.
    std::optional<QString> displayString(std::string_view key);
    std::optional<bool> displayBool(std::string_view key);
    std::optional<qint64> displayInt64(std::string_view key);

    // A display-only member that must be an object, read with read(SlackObjectReader&) -> T, whose
    // own reads are display reads too; absent when it is not an object.
    template <typename T, typename Fn>
    std::optional<T> displayObject(std::string_view key, Fn&& read)
    {
        const auto value = present(key);
        simdjson::dom::object object;
        if (!value || value->get_object().get(object))
            return std::nullopt;
        SlackObjectReader nested(object, m_path);
        return read(nested);
    }

    // A display-only array of objects, each read as displayObject() reads one; an element that
    // is not an object is left out, and a value that is not an array counts as absent.
    template <typename T, typename Fn>
    std::optional<QList<T>> displayObjectList(std::string_view key, Fn&& read)
    {
        const auto value = present(key);
        simdjson::dom::array array;
        if (!value || value->get_array().get(array))
            return std::nullopt;
        QList<T> out;
        out.reserve(qsizetype(array.size()));
        for (const Value element : array) {
            simdjson::dom::object object;
            if (element.get_object().get(object))
                continue;
            SlackObjectReader nested(object, m_path);
            out.append(read(nested));
        }
        return out;
    }

    // Nested records: decode(Value, const Path&) -> Decoded<T>.
    template <typename T, typename Fn>
    std::optional<T> optionalWith(std::string_view key, Fn&& decode)
    {
        const auto value = present(key);
        if (!value)
            return std::nullopt;
        return take<T>(decode(*value, m_path.member(key)));
    }

    template <typename T, typename Fn> T requiredWith(std::string_view key, Fn&& decode)
    {
        const auto value = required(key);
        if (!value)
            return T {};
        auto decoded = take<T>(decode(*value, m_path.member(key)));
        return decoded ? std::move(*decoded) : T {};
    }

    // An array whose elements that do not decode are left out: each is handed to
    // skipped(Value element, DecodeError) and the rest of the record reads on.
    template <typename T, typename Fn, typename Skip>
    std::optional<QList<T>> optionalListSkipping(
        std::string_view key, Fn&& decodeElement, Skip&& skipped)
    {
        const auto value = present(key);
        if (!value)
            return std::nullopt;
        simdjson::dom::array array;
        if (value->get_array().get(array)) {
            fail(key, QStringLiteral("expected an array"));
            return std::nullopt;
        }
        QList<T> out;
        out.reserve(qsizetype(array.size()));
        const Path base = m_path.member(key);
        qsizetype i = 0;
        for (const Value element : array) {
            auto decoded = decodeElement(element, base.element(i++));
            if (decoded)
                out.append(std::move(*decoded));
            else
                skipped(element, decoded.error());
        }
        return out;
    }

    // Records a failure found by the caller (for example a value of neither accepted type).
    void fail(std::string_view key, const QString& message);

    bool ok() const { return !m_error.has_value(); }

    template <typename T>
    requires(!std::is_lvalue_reference_v<T>) Decoded<T> finish(T&& value)
    const
    {
        if (m_error)
            return std::unexpected(*m_error);
        return Decoded<T>(std::in_place, std::move(value));
    }

private:
    std::optional<Value> required(std::string_view key);

    template <typename T> std::optional<T> take(Decoded<T>&& decoded)
    {
        if (decoded)
            return std::move(*decoded);
        if (!m_error)
            m_error = std::move(decoded.error());
        return std::nullopt;
    }

    struct Field {
        std::string_view key;
        Value value;
    };

    // The members in document order, collected in one walk: every read then compares keys
    // without walking the parsed document again. Slack's objects are mostly under 32 members.
    QVarLengthArray<Field, 32> m_fields;
    const Path& m_path;
    std::optional<DecodeError> m_error;
};

// Decodes a value that must be a JSON object with the given record decoder:
// decodeFields(SlackObjectReader&) -> T, checked with finish().
template <typename T, typename Fn>
Decoded<T> decodeObject(Value value, const Path& path, Fn&& decodeFields)
{
    simdjson::dom::object object;
    if (value.get_object().get(object))
        return std::unexpected(
            DecodeError { path.toString(), QStringLiteral("expected an object") });
    SlackObjectReader reader(object, path);
    T result = decodeFields(reader);
    return reader.finish(std::move(result));
}

// Parses bytes that must hold one JSON object and decodes it as T.
template <typename T, typename Fn> Decoded<T> decodeDocument(QByteArrayView bytes, Fn&& decode)
{
    const auto object = parseObject(bytes);
    if (!object)
        return std::unexpected(object.error());
    return decode(*object, Path {});
}

} // namespace halyard::payload

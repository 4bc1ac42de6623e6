#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace halyard {

// A pull reader over UTF-8 JSON for the fast path of payload decoding. It accepts a strict
// subset of JSON (no exponents, no raw control characters, no lone surrogates, no escaped
// keys, limited nesting) and gives up at the first thing outside it. Giving up is not an
// error: the caller then decodes the same bytes with the general parser, which has the last
// word on validity, so this reader only has to be right about what it accepts.
class StrictJsonCursor {
public:
    static constexpr int kMaxDepth = 64;

    explicit StrictJsonCursor(QByteArrayView bytes);

    bool ok() const { return m_ok; }
    void giveUp() { m_ok = false; }

    // The next significant byte, or 0 at the end; nothing is consumed.
    char peek();
    // Consumes "null" when it comes next.
    bool takeNull();
    bool readString(QString& out);
    // An integer of at most 18 digits without fraction or exponent.
    bool readInt64(qint64& out);
    // Consumes and checks one value of any type.
    bool skipValue();
    // Whether only whitespace remains.
    bool atEnd();

    // Object members: call beginObject, then nextMember until it returns false (the closing
    // brace is consumed, or the reader gave up). Keys are views into the input.
    bool beginObject();
    bool nextMember(QByteArrayView& key, bool& first);
    bool beginArray();
    bool nextElement(bool& first);

private:
    bool fail()
    {
        m_ok = false;
        return false;
    }
    bool scanString(QString* out);
    bool skipNumber();
    bool literal(QByteArrayView word);

    const char* m_pos;
    const char* m_end;
    int m_depth = 0;
    bool m_ok = true;
};

namespace strictjson {

// Reads an object, handing each key to `member`, which must read or skip its value.
template <typename Fn> bool readObject(StrictJsonCursor& cursor, Fn&& member)
{
    if (!cursor.beginObject())
        return false;
    bool first = true;
    QByteArrayView key;
    while (cursor.nextMember(key, first)) {
        if (!member(key))
            return false;
    }
    return cursor.ok();
}

// Known keys seen in one object. A repeated known key gives up: which occurrence counts is the
// general parser's business.
class SeenKeys {
public:
    bool firstTime(StrictJsonCursor& cursor, int bit)
    {
        const quint32 mask = quint32(1) << bit;
        if (m_bits & mask) {
            cursor.giveUp();
            return false;
        }
        m_bits |= mask;
        return true;
    }

private:
    quint32 m_bits = 0;
};

// Optional values: null is absent, any other JSON type than the expected one gives up.
inline bool readOptionalString(StrictJsonCursor& cursor, std::optional<QString>& field)
{
    if (cursor.takeNull())
        return cursor.ok();
    QString value;
    if (!cursor.readString(value))
        return false;
    field = std::move(value);
    return true;
}

inline bool readOptionalInt64(StrictJsonCursor& cursor, std::optional<qint64>& field)
{
    if (cursor.takeNull())
        return cursor.ok();
    qint64 value = 0;
    if (!cursor.readInt64(value))
        return false;
    field = value;
    return true;
}

template <typename T, typename Fn>
bool readOptionalObject(StrictJsonCursor& cursor, std::optional<T>& field, Fn&& readRecord)
{
    if (cursor.takeNull())
        return cursor.ok();
    T value;
    if (!readRecord(cursor, value))
        return false;
    field = std::move(value);
    return true;
}

template <typename T, typename Fn>
bool readOptionalList(StrictJsonCursor& cursor, std::optional<QList<T>>& field, Fn&& readElement)
{
    if (cursor.takeNull())
        return cursor.ok();
    if (!cursor.beginArray())
        return false;
    QList<T> list;
    bool first = true;
    while (cursor.nextElement(first)) {
        T value;
        if (!readElement(cursor, value))
            return false;
        list.append(std::move(value));
    }
    if (!cursor.ok())
        return false;
    field = std::move(list);
    return true;
}

} // namespace strictjson

} // namespace halyard

#include "slack/strictjsoncursor.h"

namespace halyard {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Length of the valid UTF-8 sequence at p (lead byte >= 0x80), or 0 when it is not one:
// overlong forms, encoded surrogates and code points past U+10FFFF are refused.
int utf8SequenceLength(const unsigned char* p, const unsigned char* end)
{
    const unsigned char lead = p[0];
    const auto continuation = [&](int i) { return p + i < end && (p[i] & 0xC0) == 0x80; };
    if (lead >= 0xC2 && lead <= 0xDF)
        return continuation(1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (!continuation(1) || !continuation(2))
            return 0;
        if (lead == 0xE0 && p[1] < 0xA0)
            return 0;
        if (lead == 0xED && p[1] >= 0xA0)
            return 0;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (!continuation(1) || !continuation(2) || !continuation(3))
            return 0;
        if (lead == 0xF0 && p[1] < 0x90)
            return 0;
        if (lead == 0xF4 && p[1] >= 0x90)
            return 0;
        return 4;
    }
    return 0;
}

} // namespace

StrictJsonCursor::StrictJsonCursor(QByteArrayView bytes)
    : m_pos(bytes.data())
    , m_end(bytes.data() + bytes.size())
{
}

char StrictJsonCursor::peek()
{
    while (m_pos < m_end && (*m_pos == ' ' || *m_pos == '\n' || *m_pos == '\r' || *m_pos == '\t'))
        ++m_pos;
    return m_ok && m_pos < m_end ? *m_pos : '\0';
}

bool StrictJsonCursor::atEnd()
{
    return m_ok && peek() == '\0' && m_pos == m_end;
}

bool StrictJsonCursor::literal(QByteArrayView word)
{
    if (m_end - m_pos < word.size() || QByteArrayView(m_pos, word.size()) != word)
        return fail();
    m_pos += word.size();
    return true;
}

bool StrictJsonCursor::takeNull()
{
    if (peek() != 'n')
        return false;
    return literal("null");
}

bool StrictJsonCursor::scanString(QString* out)
{
    if (peek() != '"')
        return fail();
    ++m_pos;
    const char* chunk = m_pos;
    QString built;
    bool escaped = false;
    const auto flush = [&](const char* upTo) {
        if (out && upTo > chunk)
            built += QString::fromUtf8(chunk, upTo - chunk);
    };
    while (m_pos < m_end) {
        const auto c = static_cast<unsigned char>(*m_pos);
        if (c == '"') {
            if (out) {
                if (escaped) {
                    flush(m_pos);
                    *out = std::move(built);
                } else {
                    *out = QString::fromUtf8(chunk, m_pos - chunk);
                }
            }
            ++m_pos;
            return true;
        }
        if (c < 0x20)
            return fail();
        if (c >= 0x80) {
            const int length = utf8SequenceLength(reinterpret_cast<const unsigned char*>(m_pos),
                reinterpret_cast<const unsigned char*>(m_end));
            if (length == 0)
                return fail();
            m_pos += length;
            continue;
        }
        if (c != '\\') {
            ++m_pos;
            continue;
        }
        flush(m_pos);
        escaped = true;
        if (m_end - m_pos < 2)
            return fail();
        const char kind = m_pos[1];
        m_pos += 2;
        char16_t unit = 0;
        switch (kind) {
        case '"':
        case '\\':
        case '/':
            unit = char16_t(kind);
            break;
        case 'b':
            unit = u'\b';
            break;
        case 'f':
            unit = u'\f';
            break;
        case 'n':
            unit = u'\n';
            break;
        case 'r':
            unit = u'\r';
            break;
        case 't':
            unit = u'\t';
            break;
        case 'u': {
            const auto hex4 = [&](char16_t& value) {
                if (m_end - m_pos < 4)
                    return false;
                int v = 0;
                for (int i = 0; i < 4; ++i) {
                    const int digit = hexValue(m_pos[i]);
                    if (digit < 0)
                        return false;
                    v = v * 16 + digit;
                }
                m_pos += 4;
                value = char16_t(v);
                return true;
            };
            if (!hex4(unit))
                return fail();
            if (QChar::isLowSurrogate(unit))
                return fail();
            if (QChar::isHighSurrogate(unit)) {
                char16_t low = 0;
                if (m_end - m_pos < 2 || m_pos[0] != '\\' || m_pos[1] != 'u')
                    return fail();
                m_pos += 2;
                if (!hex4(low) || !QChar::isLowSurrogate(low))
                    return fail();
                if (out)
                    built += QChar(unit);
                unit = low;
            }
            break;
        }
        default:
            return fail();
        }
        if (out)
            built += QChar(unit);
        chunk = m_pos;
    }
    return fail();
}

bool StrictJsonCursor::readString(QString& out)
{
    return scanString(&out);
}

bool StrictJsonCursor::skipNumber()
{
    // -?(0|[1-9][0-9]*)(\.[0-9]+)? and short enough that no parser can overflow on it.
    const char* start = m_pos;
    if (m_pos < m_end && *m_pos == '-')
        ++m_pos;
    if (m_pos >= m_end || !isDigit(*m_pos))
        return fail();
    if (*m_pos == '0') {
        ++m_pos;
    } else {
        while (m_pos < m_end && isDigit(*m_pos))
            ++m_pos;
    }
    if (m_pos < m_end && *m_pos == '.') {
        ++m_pos;
        if (m_pos >= m_end || !isDigit(*m_pos))
            return fail();
        while (m_pos < m_end && isDigit(*m_pos))
            ++m_pos;
    }
    if (m_pos < m_end && (*m_pos == 'e' || *m_pos == 'E'))
        return fail();
    if (m_pos - start > 20)
        return fail();
    return true;
}

bool StrictJsonCursor::readInt64(qint64& out)
{
    peek();
    const char* start = m_pos;
    if (!m_ok || !skipNumber())
        return fail();
    QByteArrayView token(start, m_pos - start);
    const qsizetype digits = token.size() - (token.startsWith('-') ? 1 : 0);
    if (token.contains('.') || digits > 18)
        return fail();
    bool ok = false;
    out = token.toLongLong(&ok);
    return ok || fail();
}

bool StrictJsonCursor::skipValue()
{
    switch (peek()) {
    case '"':
        return scanString(nullptr);
    case 't':
        return literal("true");
    case 'f':
        return literal("false");
    case 'n':
        return literal("null");
    case '{': {
        if (!beginObject())
            return false;
        bool first = true;
        QByteArrayView key;
        while (nextMember(key, first)) {
            if (!skipValue())
                return false;
        }
        return m_ok;
    }
    case '[': {
        if (!beginArray())
            return false;
        bool first = true;
        while (nextElement(first)) {
            if (!skipValue())
                return false;
        }
        return m_ok;
    }
    default:
        return skipNumber();
    }
}

bool StrictJsonCursor::beginObject()
{
    if (peek() != '{' || m_depth >= kMaxDepth)
        return fail();
    ++m_pos;
    ++m_depth;
    return true;
}

bool StrictJsonCursor::nextMember(QByteArrayView& key, bool& first)
{
    char c = peek();
    if (c == '}') {
        ++m_pos;
        --m_depth;
        return false;
    }
    if (!first) {
        if (c != ',')
            return fail();
        ++m_pos;
        c = peek();
    }
    first = false;
    if (c != '"')
        return fail();
    const char* start = ++m_pos;
    while (m_pos < m_end && *m_pos != '"') {
        // Escaped or non-ASCII keys are never ones the decoders know.
        if (*m_pos == '\\' || static_cast<unsigned char>(*m_pos) < 0x20
            || static_cast<unsigned char>(*m_pos) >= 0x80)
            return fail();
        ++m_pos;
    }
    if (m_pos >= m_end)
        return fail();
    key = QByteArrayView(start, m_pos - start);
    ++m_pos;
    if (peek() != ':')
        return fail();
    ++m_pos;
    return true;
}

bool StrictJsonCursor::beginArray()
{
    if (peek() != '[' || m_depth >= kMaxDepth)
        return fail();
    ++m_pos;
    ++m_depth;
    return true;
}

bool StrictJsonCursor::nextElement(bool& first)
{
    const char c = peek();
    if (c == ']') {
        ++m_pos;
        --m_depth;
        return false;
    }
    if (!first) {
        if (c != ',')
            return fail();
        ++m_pos;
    }
    first = false;
    return m_ok;
}

} // namespace halyard

#include "jsonstrictreader.h"

#include <cstring>
#include <string>

namespace {

class Reader
{
public:
    Reader(const char* begin, const char* end, int maxDepth, int maxItems)
        : m_pos(begin)
        , m_end(end)
        , m_maxDepth(maxDepth)
        , m_maxItems(maxItems)
    {
    }

    bool readDocument(Json::Value& root)
    {
        skipSpaces();
        if (!readValue(root, 0))
            return false;
        skipSpaces();
        return m_pos == m_end;
    }

private:
    void skipSpaces()
    {
        while (m_pos != m_end && (*m_pos == ' ' || *m_pos == '\t' || *m_pos == '\n' || *m_pos == '\r'))
            ++m_pos;
    }

    // Items are counted as the full reader's limit check counts them: every opening
    // bracket and every comma.
    bool countItem() { return ++m_items <= m_maxItems; }

    bool readValue(Json::Value& value, int depth)
    {
        if (m_pos == m_end)
            return false;
        switch (*m_pos) {
        case '{':
            return readObject(value, depth + 1);
        case '[':
            return readArray(value, depth + 1);
        case '"': {
            ++m_pos;
            std::string text;
            const char* plainEnd = nullptr;
            if (!readString(text, plainEnd))
                return false;
            // A string without escapes is taken straight from the text.
            value = plainEnd ? Json::Value(m_stringBegin, plainEnd) : Json::Value(text);
            return true;
        }
        case 't':
            return readLiteral("true", Json::Value(true), value);
        case 'f':
            return readLiteral("false", Json::Value(false), value);
        case 'n':
            return readLiteral("null", Json::Value(), value);
        default:
            return readInteger(value);
        }
    }

    bool readLiteral(const char* word, Json::Value literal, Json::Value& value)
    {
        const size_t length = std::strlen(word);
        if (size_t(m_end - m_pos) < length || std::memcmp(m_pos, word, length) != 0)
            return false;
        m_pos += length;
        value = std::move(literal);
        return true;
    }

    // -?(0|[1-9][0-9]*) with at most 18 digits, so it fits a 64-bit integer; a fraction, an
    // exponent or more digits are left to the full reader.
    bool readInteger(Json::Value& value)
    {
        const bool negative = *m_pos == '-';
        const char* digits = negative ? m_pos + 1 : m_pos;
        const char* p = digits;
        Json::Int64 magnitude = 0;
        while (p != m_end && *p >= '0' && *p <= '9') {
            if (p - digits == 18)
                return false;
            magnitude = magnitude * 10 + (*p - '0');
            ++p;
        }
        if (p == digits || (*digits == '0' && p - digits > 1))
            return false;
        if (p != m_end && (*p == '.' || *p == 'e' || *p == 'E'))
            return false;
        m_pos = p;
        value = Json::Value(negative ? -magnitude : magnitude);
        return true;
    }

    // Reads the string whose opening quote is behind. Without escapes, `plainEnd` points at
    // its closing quote and `text` stays empty; with them, `text` holds the decoded bytes.
    bool readString(std::string& text, const char*& plainEnd)
    {
        m_stringBegin = m_pos;
        const auto* quote = static_cast<const char*>(std::memchr(m_pos, '"', size_t(m_end - m_pos)));
        if (!quote)
            return false;
        const auto* escape = static_cast<const char*>(std::memchr(m_pos, '\\', size_t(quote - m_pos)));
        if (!escape) {
            plainEnd = quote;
            m_pos = quote + 1;
            return true;
        }
        plainEnd = nullptr;
        for (;;) {
            text.append(m_pos, escape);
            if (escape + 1 == m_end)
                return false;
            switch (escape[1]) {
            case '"': text += '"'; break;
            case '\\': text += '\\'; break;
            case '/': text += '/'; break;
            case 'b': text += '\b'; break;
            case 'f': text += '\f'; break;
            case 'n': text += '\n'; break;
            case 'r': text += '\r'; break;
            case 't': text += '\t'; break;
            default: return false; // \u and anything else
            }
            m_pos = escape + 2;
            // Only when the quote found before was the escaped one is the next looked for, so
            // each byte is scanned once however many escapes the string holds.
            if (m_pos > quote) {
                quote = static_cast<const char*>(std::memchr(m_pos, '"', size_t(m_end - m_pos)));
                if (!quote)
                    return false;
            }
            escape = static_cast<const char*>(std::memchr(m_pos, '\\', size_t(quote - m_pos)));
            if (!escape) {
                text.append(m_pos, quote);
                m_pos = quote + 1;
                return true;
            }
        }
    }

    // Enters an object or array whose opening bracket is at hand; `closed` tells that it was
    // empty and is already behind.
    bool open(Json::Value& value, Json::ValueType type, char close, int depth, bool& closed)
    {
        if (depth > m_maxDepth || !countItem())
            return false;
        ++m_pos;
        value = Json::Value(type);
        skipSpaces();
        closed = m_pos != m_end && *m_pos == close;
        if (closed)
            ++m_pos;
        return true;
    }

    // After a member or an element: a comma (then `closed` is false) or the closing bracket.
    bool next(char close, bool& closed)
    {
        skipSpaces();
        if (m_pos == m_end)
            return false;
        closed = *m_pos == close;
        if (closed) {
            ++m_pos;
            return true;
        }
        if (*m_pos != ',' || !countItem())
            return false;
        ++m_pos;
        skipSpaces();
        return true;
    }

    bool readObject(Json::Value& value, int depth)
    {
        bool closed = false;
        if (!open(value, Json::objectValue, '}', depth, closed))
            return false;
        while (!closed) {
            if (m_pos == m_end || *m_pos != '"')
                return false;
            ++m_pos;
            std::string key;
            const char* plainEnd = nullptr;
            if (!readString(key, plainEnd))
                return false;
            if (plainEnd)
                key.assign(m_stringBegin, plainEnd);
            skipSpaces();
            if (m_pos == m_end || *m_pos != ':')
                return false;
            ++m_pos;
            skipSpaces();
            // A repeated name keeps its last value, as in the full reader.
            if (!readValue(value[key], depth) || !next('}', closed))
                return false;
        }
        return true;
    }

    bool readArray(Json::Value& value, int depth)
    {
        bool closed = false;
        if (!open(value, Json::arrayValue, ']', depth, closed))
            return false;
        while (!closed) {
            if (!readValue(value.append(Json::Value()), depth) || !next(']', closed))
                return false;
        }
        return true;
    }

    const char* m_pos;
    const char* const m_end;
    const char* m_stringBegin = nullptr;
    const int m_maxDepth;
    const int m_maxItems;
    int m_items = 0;
};

} // namespace

bool JsonStrictReader::read(const char* begin, const char* end, Json::Value& root, int maxDepth, int maxItems)
{
    return Reader(begin, end, maxDepth, maxItems).readDocument(root);
}

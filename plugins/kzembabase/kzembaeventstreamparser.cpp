#include "kzembaeventstreamparser.h"

#include <cstring>

namespace {

const char* findByte(const char* from, const char* end, char byte)
{
    const void* hit = std::memchr(from, byte, static_cast<size_t>(end - from));
    return hit ? static_cast<const char*>(hit) : end;
}

} // namespace

KZembaEventStreamParser::KZembaEventStreamParser(qsizetype maxBufferedBytes)
    : m_maxBuffered(maxBufferedBytes)
{
}

bool KZembaEventStreamParser::feed(const char* data, qsizetype size)
{
    if (m_overflow)
        return false;
    const char* p = data;
    const char* const end = data + size;
    if (m_skipLf && p < end) {
        // The CR that ended the last chunk and this LF are one line end.
        if (*p == '\n')
            ++p;
        m_skipLf = false;
    }
    // The next CR and LF are each searched once and remembered until passed, so neither
    // search runs over the same bytes twice.
    const char* nextCr = findByte(p, end, '\r');
    const char* nextLf = findByte(p, end, '\n');
    while (p < end) {
        if (nextCr < p)
            nextCr = findByte(p, end, '\r');
        if (nextLf < p)
            nextLf = findByte(p, end, '\n');
        const char* lineEnd = nextCr < nextLf ? nextCr : nextLf;
        if (lineEnd == end)
            break;
        if (m_line.isEmpty()) {
            processLine(p, lineEnd - p);
        } else {
            m_line.append(p, int(lineEnd - p));
            processLine(m_line.constData(), m_line.size());
            m_line.clear();
        }
        p = lineEnd + 1;
        if (*lineEnd == '\r') {
            if (p == end)
                m_skipLf = true;
            else if (*p == '\n')
                ++p;
        }
    }
    if (p < end)
        m_line.append(p, int(end - p));
    if (m_line.size() + m_data.size() > m_maxBuffered) {
        m_overflow = true;
        m_line.clear();
        m_data.clear();
    }
    return !m_overflow;
}

QVector<KZembaEventStreamParser::Event> KZembaEventStreamParser::takeEvents()
{
    QVector<Event> events;
    events.swap(m_events);
    return events;
}

void KZembaEventStreamParser::processLine(const char* line, qsizetype size)
{
    if (m_firstLine) {
        m_firstLine = false;
        if (size >= 3 && std::memcmp(line, "\xEF\xBB\xBF", 3) == 0) {
            line += 3;
            size -= 3;
        }
    }
    if (size == 0) {
        dispatch();
        return;
    }
    if (line[0] == ':')
        return; // comment
    const char* colon = static_cast<const char*>(std::memchr(line, ':', static_cast<size_t>(size)));
    const qsizetype nameLength = colon ? colon - line : size;
    const char* value = colon ? colon + 1 : line + size;
    if (value < line + size && *value == ' ')
        ++value;
    const qsizetype valueLength = line + size - value;
    const auto isField = [line, nameLength](const char* name) {
        return qsizetype(std::strlen(name)) == nameLength && std::memcmp(line, name, size_t(nameLength)) == 0;
    };

    if (isField("data")) {
        m_data.append(value, int(valueLength));
        m_data.append('\n');
    } else if (isField("event")) {
        m_type = QByteArray(value, int(valueLength));
    } else if (isField("id")) {
        if (!std::memchr(value, '\0', size_t(valueLength)))
            m_lastId = QByteArray(value, int(valueLength));
    } else if (isField("retry")) {
        if (valueLength == 0 || valueLength > 18)
            return;
        qint64 retry = 0;
        for (qsizetype i = 0; i < valueLength; ++i) {
            if (value[i] < '0' || value[i] > '9')
                return;
            retry = retry * 10 + (value[i] - '0');
        }
        m_retry = retry;
    }
}

void KZembaEventStreamParser::dispatch()
{
    if (m_data.isEmpty()) {
        m_type.clear();
        return;
    }
    m_data.chop(1); // the LF after the last data line
    Event event;
    event.type = m_type.isEmpty() ? QStringLiteral("message") : QString::fromUtf8(m_type);
    event.id = QString::fromUtf8(m_lastId);
    event.data = QString::fromUtf8(m_data);
    m_events.append(event);
    m_data.clear();
    m_type.clear();
}

#include "ktesthttpanswer.h"

#include <zlib.h>

KTestHttpAnswer::KTestHttpAnswer(int status, const QByteArray& body)
    : m_status(status)
    , m_body(body)
{
}

KTestHttpAnswer KTestHttpAnswer::eventStream(const QList<QByteArray>& chunks, int intervalMs, bool keepOpen)
{
    KTestHttpAnswer answer(200);
    answer.setHeader("Content-Type", "text/event-stream")
        .setHeader("Cache-Control", "no-cache")
        .setChunks(chunks, intervalMs)
        .setKeepOpen(keepOpen);
    return answer;
}

KTestHttpAnswer KTestHttpAnswer::never()
{
    KTestHttpAnswer answer;
    answer.setNeverAnswer(true);
    return answer;
}

KTestHttpAnswer& KTestHttpAnswer::setStatus(int code, const QByteArray& reason)
{
    m_status = code;
    m_reason = reason;
    return *this;
}

KTestHttpAnswer& KTestHttpAnswer::setHeader(const QByteArray& name, const QByteArray& value)
{
    for (auto& header : m_headers) {
        if (qstricmp(header.first.constData(), name.constData()) == 0) {
            header.second = value;
            return *this;
        }
    }
    m_headers.append({name, value});
    return *this;
}

KTestHttpAnswer& KTestHttpAnswer::setBody(const QByteArray& body)
{
    m_body = body;
    return *this;
}

KTestHttpAnswer& KTestHttpAnswer::setEncoding(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Identity:
        return setEncoding(encoding, QByteArray());
    case Encoding::Zlib:
    case Encoding::RawDeflate:
        return setEncoding(encoding, "deflate");
    case Encoding::Gzip:
        return setEncoding(encoding, "gzip");
    }
    return *this;
}

KTestHttpAnswer& KTestHttpAnswer::setEncoding(Encoding encoding, const QByteArray& contentEncoding)
{
    m_encoding = encoding;
    m_contentEncoding = contentEncoding;
    return *this;
}

KTestHttpAnswer& KTestHttpAnswer::setDelay(int milliseconds)
{
    m_delay = milliseconds;
    return *this;
}

KTestHttpAnswer& KTestHttpAnswer::setDropAfter(int bytes)
{
    m_dropAfter = bytes;
    return *this;
}

KTestHttpAnswer& KTestHttpAnswer::setChunks(const QList<QByteArray>& chunks, int intervalMs)
{
    m_chunked = true;
    m_chunks = chunks;
    m_chunkInterval = intervalMs;
    return *this;
}

KTestHttpAnswer& KTestHttpAnswer::setKeepOpen(bool keepOpen)
{
    m_keepOpen = keepOpen;
    return *this;
}

KTestHttpAnswer& KTestHttpAnswer::setNeverAnswer(bool never)
{
    m_never = never;
    return *this;
}

KTestHttpAnswer& KTestHttpAnswer::setCloseConnection(bool close)
{
    m_close = close;
    return *this;
}

QByteArray KTestHttpAnswer::reasonPhrase() const
{
    return m_reason.isNull() ? standardReason(m_status) : m_reason;
}

QByteArray KTestHttpAnswer::header(const QByteArray& name) const
{
    for (const auto& header : m_headers) {
        if (qstricmp(header.first.constData(), name.constData()) == 0)
            return header.second;
    }
    return QByteArray();
}

bool KTestHttpAnswer::hasHeader(const QByteArray& name) const
{
    for (const auto& header : m_headers) {
        if (qstricmp(header.first.constData(), name.constData()) == 0)
            return true;
    }
    return false;
}

QByteArray KTestHttpAnswer::encodedBody() const
{
    return compress(m_body, m_encoding);
}

QByteArray KTestHttpAnswer::compress(const QByteArray& data, Encoding encoding)
{
    int windowBits = 0;
    switch (encoding) {
    case Encoding::Identity:
        return data;
    case Encoding::Zlib:
        windowBits = MAX_WBITS;
        break;
    case Encoding::RawDeflate:
        windowBits = -MAX_WBITS;
        break;
    case Encoding::Gzip:
        windowBits = MAX_WBITS + 16;
        break;
    }

    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return QByteArray();
    QByteArray out;
    // zlib takes uInt lengths; a test body never comes near that size.
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = static_cast<uInt>(data.size());
    char buffer[16384];
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof(buffer);
        status = deflate(&stream, Z_FINISH);
        out.append(buffer, static_cast<int>(sizeof(buffer) - stream.avail_out));
    }
    deflateEnd(&stream);
    return status == Z_STREAM_END ? out : QByteArray();
}

QByteArray KTestHttpAnswer::standardReason(int code)
{
    switch (code) {
    case 100: return "Continue";
    case 200: return "OK";
    case 201: return "Created";
    case 202: return "Accepted";
    case 204: return "No Content";
    case 206: return "Partial Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 304: return "Not Modified";
    case 307: return "Temporary Redirect";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 413: return "Payload Too Large";
    case 429: return "Too Many Requests";
    case 500: return "Internal Server Error";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    case 504: return "Gateway Timeout";
    default: return "Unknown";
    }
}

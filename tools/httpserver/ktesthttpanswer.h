#ifndef KZEMBA_TESTS_KTESTHTTPANSWER_H
#define KZEMBA_TESTS_KTESTHTTPANSWER_H

#include <QByteArray>
#include <QList>
#include <QPair>

/// What the local test server answers to one request: status line, headers and body, and
/// how the answer is delivered. The body is given plain; the server compresses it when an
/// encoding is chosen, so a test compares against the text it wrote. An answer can also be
/// delayed, cut off after part of its body, sent as a chunked stream with pauses between
/// chunks (optionally left open for the test to feed and finish), or never sent at all.
/// Setters return the answer so a test can build one in a single expression.
class KTestHttpAnswer
{
public:
    enum class Encoding
    {
        Identity,   // body sent as given
        Zlib,       // deflate data inside a zlib stream (header and Adler-32 trailer)
        RawDeflate, // bare deflate data, no zlib header
        Gzip,
    };

    explicit KTestHttpAnswer(int status = 200, const QByteArray& body = QByteArray());

    // A text/event-stream answer sent with chunked transfer encoding, one chunk every
    // `intervalMs`; with `keepOpen` the stream stays open after the last chunk until the
    // server is told to finish it or the client goes away.
    static KTestHttpAnswer eventStream(const QList<QByteArray>& chunks, int intervalMs = 0, bool keepOpen = false);
    // An answer that is never written; the connection stays open until the client leaves.
    static KTestHttpAnswer never();

    // A null `reason` means the usual phrase of the code; an empty one sends none.
    KTestHttpAnswer& setStatus(int code, const QByteArray& reason = QByteArray());
    // Replaces a header of the same name (any letter case). A scripted Content-Length,
    // Content-Encoding, Transfer-Encoding or Connection takes the place of the server's own.
    KTestHttpAnswer& setHeader(const QByteArray& name, const QByteArray& value);
    KTestHttpAnswer& setBody(const QByteArray& body);
    // Compresses the body on the way out and names the encoding "deflate" or "gzip".
    KTestHttpAnswer& setEncoding(Encoding encoding);
    // Same, with the Content-Encoding text chosen by the test; an empty text sends none.
    KTestHttpAnswer& setEncoding(Encoding encoding, const QByteArray& contentEncoding);
    KTestHttpAnswer& setDelay(int milliseconds);
    // Declares the whole body in Content-Length, sends only its first `bytes` bytes (after
    // encoding) and closes the connection. Negative: the whole body is sent.
    KTestHttpAnswer& setDropAfter(int bytes);
    // Sends the body as these chunks (chunked transfer encoding) instead of `body`.
    KTestHttpAnswer& setChunks(const QList<QByteArray>& chunks, int intervalMs = 0);
    KTestHttpAnswer& setKeepOpen(bool keepOpen);
    KTestHttpAnswer& setNeverAnswer(bool never);
    // Closes the connection after this answer even when the client would keep it.
    KTestHttpAnswer& setCloseConnection(bool close);

    int statusCode() const { return m_status; }
    QByteArray reasonPhrase() const;
    const QList<QPair<QByteArray, QByteArray>>& headers() const { return m_headers; }
    QByteArray header(const QByteArray& name) const;
    bool hasHeader(const QByteArray& name) const;
    const QByteArray& body() const { return m_body; }
    Encoding encoding() const { return m_encoding; }
    bool hasContentEncoding() const { return !m_contentEncoding.isEmpty(); }
    QByteArray contentEncoding() const { return m_contentEncoding; }
    int delay() const { return m_delay; }
    int dropAfter() const { return m_dropAfter; }
    bool isChunked() const { return m_chunked; }
    const QList<QByteArray>& chunks() const { return m_chunks; }
    int chunkInterval() const { return m_chunkInterval; }
    bool keepsOpen() const { return m_keepOpen; }
    bool neverAnswers() const { return m_never; }
    bool closesConnection() const { return m_close; }

    // The body as it goes on the wire, compressed as scripted.
    QByteArray encodedBody() const;
    // Compresses `data` with zlib in one of the three deflate framings; Identity returns it.
    static QByteArray compress(const QByteArray& data, Encoding encoding);
    static QByteArray standardReason(int code);

private:
    int m_status;
    QByteArray m_reason;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    QByteArray m_body;
    Encoding m_encoding = Encoding::Identity;
    QByteArray m_contentEncoding;
    int m_delay = 0;
    int m_dropAfter = -1;
    bool m_chunked = false;
    QList<QByteArray> m_chunks;
    int m_chunkInterval = 0;
    bool m_keepOpen = false;
    bool m_never = false;
    bool m_close = false;
};

#endif

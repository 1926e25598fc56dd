#include "ktesthttpconnection.h"

#include <QTcpSocket>

#include <cctype>
#include <sys/socket.h>

namespace {

// Bounds that keep a broken or hostile client from growing the buffers without end.
constexpr int kMaxHeadSize = 64 * 1024;
constexpr int kMaxLineSize = 8 * 1024;
constexpr qint64 kMaxBodySize = 64 * 1024 * 1024;
// How long a closing connection waits for the client to close its side.
constexpr int kLingerMs = 2000;

bool isTokenChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
        || QByteArray("!#$%&'*+-.^_`|~").contains(c);
}

bool isToken(const QByteArray& text)
{
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (!isTokenChar(c))
            return false;
    }
    return true;
}

bool hasToken(const QByteArray& list, const char* token)
{
    for (const QByteArray& item : list.split(',')) {
        if (qstricmp(item.trimmed().constData(), token) == 0)
            return true;
    }
    return false;
}

// Takes one line ending in LF (a CR before it is dropped); null when no whole line is there.
QByteArray takeLine(QByteArray& buffer)
{
    const int end = buffer.indexOf('\n');
    if (end < 0)
        return QByteArray();
    QByteArray line = buffer.left(end);
    buffer.remove(0, end + 1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line.isNull() ? QByteArray("") : line;
}

} // namespace

KTestHttpConnection::KTestHttpConnection(QTcpSocket* socket, int id, QObject* parent)
    : QObject(parent)
    , m_socket(socket)
    , m_id(id)
{
    socket->setParent(this);
    m_delayTimer.setSingleShot(true);
    m_chunkTimer.setSingleShot(true);
    m_lingerTimer.setSingleShot(true);
    m_lingerTimer.setInterval(kLingerMs);
    connect(&m_delayTimer, &QTimer::timeout, this, &KTestHttpConnection::writeAnswer);
    connect(&m_chunkTimer, &QTimer::timeout, this, &KTestHttpConnection::sendNextChunk);
    connect(&m_lingerTimer, &QTimer::timeout, this, &KTestHttpConnection::drop);
    connect(socket, &QTcpSocket::bytesWritten, this, &KTestHttpConnection::shutdownWhenWritten);
    connect(socket, &QTcpSocket::readyRead, this, &KTestHttpConnection::onReadyRead);
    connect(socket, &QTcpSocket::disconnected, this, &KTestHttpConnection::onDisconnected);
    connect(socket, &QAbstractSocket::errorOccurred, this, [this] {
        if (m_socket && m_socket->state() == QAbstractSocket::UnconnectedState)
            onDisconnected();
    });
    // Bytes may have arrived before the server took the socket.
    if (socket->bytesAvailable() > 0)
        QTimer::singleShot(0, this, &KTestHttpConnection::onReadyRead);
}

KTestHttpConnection::~KTestHttpConnection()
{
    // The socket aborts in its destructor; nothing of this half-destroyed object may hear it.
    if (m_socket)
        m_socket->disconnect(this);
}

void KTestHttpConnection::answer(const KTestHttpAnswer& answer)
{
    if (m_state != State::Answering)
        return;
    m_answer = answer;
    m_closeAfter = m_clientWantsClose || answer.closesConnection() || hasToken(answer.header("Connection"), "close");
    if (answer.neverAnswers())
        return;
    if (answer.delay() > 0)
        m_delayTimer.start(answer.delay());
    else
        writeAnswer();
}

void KTestHttpConnection::pushChunk(const QByteArray& chunk)
{
    if (!isOpenStream())
        return;
    m_pendingChunks.append(chunk);
    if (!m_chunkTimer.isActive())
        sendNextChunk();
}

void KTestHttpConnection::finishStream()
{
    if (!isOpenStream())
        return;
    m_streamOpen = false;
    if (!m_chunkTimer.isActive())
        sendNextChunk();
}

void KTestHttpConnection::drop()
{
    if (m_state == State::Closed)
        return;
    if (m_socket)
        m_socket->abort();
    onDisconnected(); // abort() stays silent when the socket was no longer connected
}

void KTestHttpConnection::onReadyRead()
{
    if (!m_socket)
        return;
    const QByteArray data = m_socket->readAll();
    emit bytesReceived(data);
    if (m_state == State::Closing || m_state == State::Closed)
        return;
    m_buffer.append(data);
    process();
}

void KTestHttpConnection::onDisconnected()
{
    if (m_state == State::Closed)
        return;
    m_state = State::Closed;
    m_delayTimer.stop();
    m_chunkTimer.stop();
    m_lingerTimer.stop();
    m_pendingChunks.clear();
    m_streaming = false;
    m_streamOpen = false;
    m_buffer.clear();
    deleteLater();
}

void KTestHttpConnection::process()
{
    // Answers written synchronously come back here; the running loop picks up the next request.
    if (m_processing)
        return;
    m_processing = true;
    while (step()) {
    }
    m_processing = false;
}

bool KTestHttpConnection::step()
{
    switch (m_state) {
    case State::Head:
        return readHead();
    case State::Body:
        return readBody();
    case State::ChunkSize:
        return readChunkSize();
    case State::ChunkData:
        return readChunkData();
    case State::Trailer:
        return readTrailer();
    case State::Answering:
    case State::Closing:
    case State::Closed:
        return false;
    }
    return false;
}

bool KTestHttpConnection::readHead()
{
    // Empty lines before a request line are tolerated, as clients may send them after a body.
    while (m_buffer.startsWith("\r\n") || m_buffer.startsWith('\n'))
        m_buffer.remove(0, m_buffer.startsWith('\n') ? 1 : 2);

    int end = -1;
    int separator = 0;
    const int crlf = m_buffer.indexOf("\r\n\r\n");
    const int lf = m_buffer.indexOf("\n\n");
    if (crlf >= 0 && (lf < 0 || crlf < lf)) {
        end = crlf;
        separator = 4;
    } else if (lf >= 0) {
        end = lf;
        separator = 2;
    }
    if (end < 0) {
        if (m_buffer.size() > kMaxHeadSize)
            fail();
        return false;
    }
    if (end > kMaxHeadSize) {
        fail();
        return false;
    }
    const QByteArray head = m_buffer.left(end);
    m_buffer.remove(0, end + separator);
    if (!parseHead(head)) {
        fail();
        return false;
    }

    const QByteArray transferEncoding = m_request.header("Transfer-Encoding");
    const QList<QByteArray> lengths = m_request.headerValues("Content-Length");
    if (!transferEncoding.isNull()) {
        if (qstricmp(transferEncoding.trimmed().constData(), "chunked") != 0) {
            fail();
            return false;
        }
        m_state = State::ChunkSize;
        return true;
    }
    if (!lengths.isEmpty()) {
        const QByteArray text = lengths.first().trimmed();
        bool ok = !text.isEmpty();
        for (char c : text)
            ok = ok && c >= '0' && c <= '9';
        const qint64 length = ok ? text.toLongLong(&ok) : -1;
        for (const QByteArray& other : lengths)
            ok = ok && other.trimmed() == text;
        if (!ok || length > kMaxBodySize) {
            fail();
            return false;
        }
        m_remaining = length;
        m_state = State::Body;
        return true;
    }
    dispatch();
    return true;
}

bool KTestHttpConnection::parseHead(const QByteArray& head)
{
    QList<QByteArray> lines = head.split('\n');
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }

    const QList<QByteArray> parts = lines.takeFirst().split(' ');
    if (parts.size() != 3 || !isToken(parts.at(0)) || !parts.at(1).startsWith('/'))
        return false;
    for (char c : parts.at(1)) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7f)
            return false;
    }
    const QByteArray version = parts.at(2);
    if (version != "HTTP/1.1" && version != "HTTP/1.0")
        return false;

    m_request = KTestHttpRequest();
    m_request.setRequestLine(parts.at(0), parts.at(1), version);
    m_request.setConnectionId(m_id);
    for (const QByteArray& line : qAsConst(lines)) {
        // Folded continuation lines are obsolete and refused, as are names with spaces.
        const int colon = line.indexOf(':');
        if (colon <= 0 || !isToken(line.left(colon)))
            return false;
        m_request.addHeader(line.left(colon), line.mid(colon + 1).trimmed());
    }

    const QByteArray connection = m_request.header("Connection");
    m_clientWantsClose = version == "HTTP/1.0" ? !hasToken(connection, "keep-alive") : hasToken(connection, "close");
    m_bodySize = 0;
    return true;
}

bool KTestHttpConnection::takeBodyBytes()
{
    if (m_remaining <= 0)
        return true;
    const int take = static_cast<int>(qMin<qint64>(m_remaining, m_buffer.size()));
    m_request.appendBody(m_buffer.left(take));
    m_buffer.remove(0, take);
    m_remaining -= take;
    return m_remaining == 0;
}

bool KTestHttpConnection::readBody()
{
    if (!takeBodyBytes())
        return false;
    dispatch();
    return true;
}

bool KTestHttpConnection::readChunkSize()
{
    const QByteArray line = takeLine(m_buffer);
    if (line.isNull()) {
        if (m_buffer.size() > kMaxLineSize)
            fail();
        return false;
    }
    QByteArray text = line;
    const int extension = text.indexOf(';');
    if (extension >= 0)
        text.truncate(extension);
    text = text.trimmed();
    bool ok = !text.isEmpty() && text.size() <= 15;
    for (char c : text)
        ok = ok && isxdigit(static_cast<unsigned char>(c));
    const qint64 size = ok ? text.toLongLong(&ok, 16) : -1;
    if (!ok || m_bodySize + size > kMaxBodySize) {
        fail();
        return false;
    }
    m_bodySize += size;
    m_remaining = size;
    m_state = size == 0 ? State::Trailer : State::ChunkData;
    return true;
}

bool KTestHttpConnection::readChunkData()
{
    if (!takeBodyBytes())
        return false;
    // The chunk's data must be followed by its line end.
    if (m_buffer.startsWith("\r\n")) {
        m_buffer.remove(0, 2);
    } else if (m_buffer.startsWith('\n')) {
        m_buffer.remove(0, 1);
    } else if (m_buffer.isEmpty() || m_buffer == "\r") {
        return false;
    } else {
        fail();
        return false;
    }
    m_state = State::ChunkSize;
    return true;
}

bool KTestHttpConnection::readTrailer()
{
    // Trailer fields are read past and not recorded; an empty line ends the request.
    const QByteArray line = takeLine(m_buffer);
    if (line.isNull()) {
        if (m_buffer.size() > kMaxLineSize)
            fail();
        return false;
    }
    if (line.isEmpty())
        dispatch();
    return true;
}

void KTestHttpConnection::dispatch()
{
    m_state = State::Answering;
    m_answer = KTestHttpAnswer();
    emit requestReceived(m_request);
}

void KTestHttpConnection::writeAnswer()
{
    if (m_state != State::Answering)
        return;
    const KTestHttpAnswer& answer = m_answer;
    const int status = answer.statusCode();
    const bool isHead = m_request.method() == "HEAD";
    const bool noContent = status / 100 == 1 || status == 204 || status == 304;
    const bool chunked = answer.isChunked() && !noContent;
    const QByteArray body = chunked || noContent ? QByteArray() : answer.encodedBody();
    const bool dropping = !chunked && !noContent && !isHead && answer.dropAfter() >= 0 && answer.dropAfter() < body.size();

    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + answer.reasonPhrase() + "\r\n";
    for (const auto& header : answer.headers())
        head += header.first + ": " + header.second + "\r\n";
    // The server's own framing headers, unless the test scripted its own.
    auto add = [&](const QByteArray& name, const QByteArray& value) {
        if (!answer.hasHeader(name))
            head += name + ": " + value + "\r\n";
    };
    if (answer.hasContentEncoding())
        add("Content-Encoding", answer.contentEncoding());
    if (chunked)
        add("Transfer-Encoding", "chunked");
    else if (!noContent)
        add("Content-Length", QByteArray::number(body.size()));
    if (m_closeAfter)
        add("Connection", "close");
    else if (m_request.version() == "HTTP/1.0")
        add("Connection", "keep-alive");
    head += "\r\n";

    if (isHead || noContent) {
        write(head);
        finishAnswer();
    } else if (chunked) {
        write(head);
        m_pendingChunks = answer.chunks();
        m_streaming = true;
        m_streamOpen = answer.keepsOpen();
        sendNextChunk();
    } else if (dropping) {
        write(head + body.left(answer.dropAfter()));
        closeGracefully();
    } else {
        write(head + body);
        finishAnswer();
    }
}

void KTestHttpConnection::sendNextChunk()
{
    if (!m_streaming || m_state != State::Answering)
        return;
    if (!m_pendingChunks.isEmpty()) {
        const QByteArray chunk = m_pendingChunks.takeFirst();
        // An empty chunk would end the stream, so it is simply not sent.
        if (!chunk.isEmpty())
            write(QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n");
        if (!m_pendingChunks.isEmpty()) {
            m_chunkTimer.start(m_answer.chunkInterval());
            return;
        }
    }
    if (m_streamOpen)
        return;
    write("0\r\n\r\n");
    m_streaming = false;
    finishAnswer();
}

void KTestHttpConnection::finishAnswer()
{
    if (m_state != State::Answering)
        return;
    if (m_closeAfter) {
        closeGracefully();
        return;
    }
    m_state = State::Head;
    m_request = KTestHttpRequest();
    process();
}

void KTestHttpConnection::fail()
{
    static const QByteArray text = "bad request\n";
    write("HTTP/1.1 400 Bad Request\r\nContent-Type: text/plain\r\nContent-Length: " + QByteArray::number(text.size())
          + "\r\nConnection: close\r\n\r\n" + text);
    closeGracefully();
}

void KTestHttpConnection::closeGracefully()
{
    if (m_state == State::Closed || m_state == State::Closing)
        return;
    m_state = State::Closing;
    m_buffer.clear();
    shutdownWhenWritten();
}

void KTestHttpConnection::shutdownWhenWritten()
{
    // Closing at once would answer what the client still sends with a reset, which can wipe
    // out the answer before the client reads it. So the sending side is shut once everything
    // is out, and whatever still arrives is read and thrown away until the client closes.
    if (m_state != State::Closing || m_lingerTimer.isActive() || !m_socket)
        return;
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        drop();
        return;
    }
    if (m_socket->bytesToWrite() > 0)
        return;
    ::shutdown(static_cast<int>(m_socket->socketDescriptor()), SHUT_WR);
    m_lingerTimer.start();
}

void KTestHttpConnection::write(const QByteArray& data)
{
    if (m_socket && m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->write(data);
}

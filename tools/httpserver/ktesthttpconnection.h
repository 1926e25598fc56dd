#ifndef KZEMBA_TESTS_KTESTHTTPCONNECTION_H
#define KZEMBA_TESTS_KTESTHTTPCONNECTION_H

#include "ktesthttpanswer.h"
#include "ktesthttprequest.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

class QTcpSocket;

/// One client connection of the local test server. It reads requests one after the other
/// (keep-alive, no pipelining), reports each through `requestReceived` and then writes the
/// answer the server hands to `answer()`, with its delay, chunks or early close. A malformed
/// request gets a 400 and the connection is closed. The object deletes itself once the
/// socket is gone, whichever side closed it.
class KTestHttpConnection : public QObject
{
    Q_OBJECT
public:
    // Takes ownership of `socket`.
    KTestHttpConnection(QTcpSocket* socket, int id, QObject* parent);
    ~KTestHttpConnection() override;

    int id() const { return m_id; }
    bool isClosed() const { return m_state == State::Closed; }
    // A chunked answer that the server still holds open for more chunks.
    bool isOpenStream() const { return m_streaming && m_streamOpen; }

    // Answers the request last reported; ignored when no request is waiting for one.
    void answer(const KTestHttpAnswer& answer);
    // Adds a chunk to an open stream; sent after the chunks already queued.
    void pushChunk(const QByteArray& chunk);
    // Ends an open stream once its queued chunks are out.
    void finishStream();
    // Closes the connection at once, without finishing what is being sent.
    void drop();

signals:
    void requestReceived(const KTestHttpRequest& request);
    // Every byte the client sent, as it came off the socket.
    void bytesReceived(const QByteArray& data);

private:
    enum class State
    {
        Head,
        Body,
        ChunkSize,
        ChunkData,
        Trailer,
        Answering,
        Closing,
        Closed,
    };

    void onReadyRead();
    void onDisconnected();
    void process();
    bool step();
    bool readHead();
    bool parseHead(const QByteArray& head);
    // Moves what has arrived of the expected body bytes into the request; true once all are in.
    bool takeBodyBytes();
    bool readBody();
    bool readChunkSize();
    bool readChunkData();
    bool readTrailer();
    void dispatch();
    void writeAnswer();
    void sendNextChunk();
    void finishAnswer();
    void fail();
    void closeGracefully();
    void shutdownWhenWritten();
    void write(const QByteArray& data);

    QPointer<QTcpSocket> m_socket;
    const int m_id;
    State m_state = State::Head;
    QByteArray m_buffer;
    bool m_processing = false;

    KTestHttpRequest m_request;
    qint64 m_remaining = 0;
    qint64 m_bodySize = 0;
    bool m_clientWantsClose = false;

    KTestHttpAnswer m_answer;
    bool m_closeAfter = false;
    QTimer m_delayTimer;
    QTimer m_chunkTimer;
    QTimer m_lingerTimer;
    QList<QByteArray> m_pendingChunks;
    bool m_streaming = false;
    bool m_streamOpen = false;
};

#endif

#ifndef KZEMBA_VANTA_KVANTAASYNCCHANNEL_H
#define KZEMBA_VANTA_KVANTAASYNCCHANNEL_H

#include "kzembaplatform_export.h"

#include <thrift/async/TAsyncChannel.h>

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>
#include <string>

class QTcpSocket;
class QTimer;

/// The shell's asynchronous channel to one document process: framed messages
/// (a four-byte big-endian length before each message, as Thrift's framed
/// transport writes them) over a loopback TCP connection. Requests may be
/// queued while the connection is still being made; replies are matched to
/// requests in order. Completions run on the channel's thread from its event
/// loop, never inside the call that sends and never inside a socket signal.
///
/// A lost connection, a frame over the size limit, a reply nobody asked for or
/// a reply that does not come within the time-out puts the channel in error
/// for good: every request still waiting completes with an empty reply (so its
/// reader fails), later requests complete the same way, and the reason is logged.
/// A request over the frame limit completes the same way on its own.
class KZEMBAPLATFORM_EXPORT KVantaAsyncChannel : public QObject, public apache::thrift::async::TAsyncChannel
{
    Q_OBJECT
public:
    // The largest message either way.
    static constexpr quint32 MaxFrameBytes = 16 * 1024 * 1024;

    KVantaAsyncChannel(const QHostAddress& address, quint16 port, int timeoutMs, QObject* parent = nullptr);
    ~KVantaAsyncChannel() override;

    bool good() const override { return !m_error; }
    bool error() const override { return m_error; }
    bool timedOut() const override { return m_timedOut; }

    void sendMessage(const VoidCallback& cob, apache::thrift::transport::TMemoryBuffer* message) override;
    void recvMessage(const VoidCallback& cob, apache::thrift::transport::TMemoryBuffer* message) override;
    void sendAndRecvMessage(const VoidCallback& cob, apache::thrift::transport::TMemoryBuffer* sendBuf,
                            apache::thrift::transport::TMemoryBuffer* recvBuf) override;

private:
    // One request waiting for its reply; `reply` is filled once it has arrived.
    struct Pending
    {
        VoidCallback cob;
        apache::thrift::transport::TMemoryBuffer* recvBuf = nullptr;
        std::string reply;
        bool answered = false;
    };

    // False when the channel is in error or the message is over the frame limit.
    bool send(apache::thrift::transport::TMemoryBuffer* message);
    // Queues the completion of a request; an unanswerable one completes with an empty reply.
    void expectReply(const VoidCallback& cob, apache::thrift::transport::TMemoryBuffer* recvBuf, bool unanswerable);
    void onConnected();
    void onReadyRead();
    void onTimeout();
    void fail(const QString& reason, bool timedOut = false);
    void logError(const QString& reason) const;
    void scheduleDelivery();
    void deliver();
    void restartTimer();

    QString m_peerName;
    int m_timeoutMs;
    QPointer<QTcpSocket> m_socket;
    QTimer* m_timer;
    QByteArray m_outgoing;
    QByteArray m_incoming;
    std::deque<Pending> m_pending;
    bool m_deliveryScheduled = false;
    bool m_error = false;
    bool m_timedOut = false;
};

#endif

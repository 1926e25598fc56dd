#include "kvantaasyncchannel.h"

#include <vdllite/kxloggerlite.h>

#include <thrift/transport/TBufferTransports.h>

#include <QTcpSocket>
#include <QTimer>
#include <QtEndian>

#include <algorithm>

using apache::thrift::transport::TMemoryBuffer;

namespace {

const char* const kModule = "KVantaAsyncChannel";

QByteArray frame(TMemoryBuffer* message)
{
    uint8_t* bytes = nullptr;
    uint32_t size = 0;
    message->getBuffer(&bytes, &size);
    QByteArray framed(4, Qt::Uninitialized);
    qToBigEndian<quint32>(size, framed.data());
    framed.append(reinterpret_cast<const char*>(bytes), static_cast<int>(size));
    return framed;
}

} // namespace

KVantaAsyncChannel::KVantaAsyncChannel(const QHostAddress& address, quint16 port, int timeoutMs, QObject* parent)
    : QObject(parent)
    , m_peerName(QStringLiteral("%1:%2").arg(address.toString()).arg(port))
    , m_timeoutMs(timeoutMs)
    , m_socket(new QTcpSocket(this))
    , m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &KVantaAsyncChannel::onTimeout);
    connect(m_socket, &QTcpSocket::connected, this, &KVantaAsyncChannel::onConnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &KVantaAsyncChannel::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this,
            [this] { fail(QStringLiteral("the shell closed the connection")); });
    connect(m_socket, &QAbstractSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError) { fail(m_socket->errorString()); });
    m_socket->connectToHost(address, port);
}

KVantaAsyncChannel::~KVantaAsyncChannel()
{
    // Requests still waiting die with their client; nobody is left to hear of them.
    if (m_socket)
        m_socket->disconnect(this);
}

void KVantaAsyncChannel::sendMessage(const VoidCallback& cob, TMemoryBuffer* message)
{
    send(message);
    QMetaObject::invokeMethod(this, [cob] { cob(); }, Qt::QueuedConnection);
}

void KVantaAsyncChannel::recvMessage(const VoidCallback& cob, TMemoryBuffer* message)
{
    // A channel in error answers at once, with nothing to read.
    expectReply(cob, message, m_error);
}

void KVantaAsyncChannel::sendAndRecvMessage(const VoidCallback& cob, TMemoryBuffer* sendBuf, TMemoryBuffer* recvBuf)
{
    expectReply(cob, recvBuf, !send(sendBuf));
}

void KVantaAsyncChannel::expectReply(const VoidCallback& cob, TMemoryBuffer* recvBuf, bool unanswerable)
{
    Pending pending;
    pending.cob = cob;
    pending.recvBuf = recvBuf;
    pending.answered = unanswerable;
    m_pending.push_back(std::move(pending));
    if (unanswerable)
        scheduleDelivery();
    else if (!m_timer->isActive())
        restartTimer();
}

bool KVantaAsyncChannel::send(TMemoryBuffer* message)
{
    if (m_error)
        return false;
    if (message->available_read() > MaxFrameBytes) {
        // Only this request fails; the conversation goes on.
        logError(QStringLiteral("a request of %1 bytes is over the limit").arg(message->available_read()));
        return false;
    }
    // Copied now: the client writes its next request into the same buffer.
    const QByteArray framed = frame(message);
    if (m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->write(framed);
    else
        m_outgoing += framed;
    return true;
}

void KVantaAsyncChannel::onConnected()
{
    if (!m_outgoing.isEmpty()) {
        m_socket->write(m_outgoing);
        m_outgoing.clear();
    }
}

void KVantaAsyncChannel::onReadyRead()
{
    m_incoming += m_socket->readAll();
    while (m_incoming.size() >= 4) {
        const quint32 length = qFromBigEndian<quint32>(m_incoming.constData());
        if (length > MaxFrameBytes) {
            fail(QStringLiteral("a reply frame of %1 bytes is over the limit").arg(length));
            return;
        }
        if (static_cast<quint32>(m_incoming.size()) - 4 < length)
            break;
        auto waiting = std::find_if(m_pending.begin(), m_pending.end(), [](const Pending& p) { return !p.answered; });
        if (waiting == m_pending.end()) {
            fail(QStringLiteral("a reply came that no request waits for"));
            return;
        }
        waiting->reply.assign(m_incoming.constData() + 4, length);
        waiting->answered = true;
        m_incoming.remove(0, static_cast<int>(4 + length));
        scheduleDelivery();
    }
    restartTimer();
}

void KVantaAsyncChannel::onTimeout()
{
    fail(QStringLiteral("no reply within %1 ms").arg(m_timeoutMs), true);
}

void KVantaAsyncChannel::fail(const QString& reason, bool timedOut)
{
    if (m_error)
        return;
    m_error = true;
    m_timedOut = timedOut;
    logError(reason);
    m_timer->stop();
    m_outgoing.clear();
    m_incoming.clear();
    m_socket->disconnect(this);
    m_socket->abort();
    // Replies that arrived complete stay as they are; the rest complete empty.
    for (Pending& pending : m_pending)
        pending.answered = true;
    scheduleDelivery();
}

void KVantaAsyncChannel::logError(const QString& reason) const
{
    KxLoggerLite::writeError(QString::fromLatin1(kModule),
                             QStringLiteral("kvantaservices at %1: %2").arg(m_peerName, reason));
}

void KVantaAsyncChannel::scheduleDelivery()
{
    if (m_deliveryScheduled)
        return;
    m_deliveryScheduled = true;
    QMetaObject::invokeMethod(this, &KVantaAsyncChannel::deliver, Qt::QueuedConnection);
}

void KVantaAsyncChannel::deliver()
{
    m_deliveryScheduled = false;
    const QPointer<KVantaAsyncChannel> alive(this);
    while (!m_pending.empty() && m_pending.front().answered) {
        Pending pending = std::move(m_pending.front());
        m_pending.pop_front();
        // The buffer belongs to the client that owns this channel, so it lives while the channel does.
        pending.recvBuf->resetBuffer();
        if (!pending.reply.empty())
            pending.recvBuf->write(reinterpret_cast<const uint8_t*>(pending.reply.data()),
                                   static_cast<uint32_t>(pending.reply.size()));
        pending.cob();
        // A completion may release the client and with it this channel.
        if (!alive)
            return;
    }
}

void KVantaAsyncChannel::restartTimer()
{
    const bool waiting =
        std::any_of(m_pending.cbegin(), m_pending.cend(), [](const Pending& p) { return !p.answered; });
    if (waiting && m_timeoutMs > 0)
        m_timer->start(m_timeoutMs);
    else
        m_timer->stop();
}

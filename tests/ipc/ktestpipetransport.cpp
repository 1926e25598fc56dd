#include "ktestpipetransport.h"

#include <QMutexLocker>

#include <cstring>

KTestPipeTransport::KTestPipeTransport(std::shared_ptr<Direction> in, std::shared_ptr<Direction> out)
    : m_in(std::move(in))
    , m_out(std::move(out))
{
}

KTestPipeTransport::Ends KTestPipeTransport::createPair()
{
    auto forward = std::make_shared<Direction>();
    auto backward = std::make_shared<Direction>();
    return {std::shared_ptr<KTestPipeTransport>(new KTestPipeTransport(backward, forward)),
            std::shared_ptr<KTestPipeTransport>(new KTestPipeTransport(forward, backward))};
}

bool KTestPipeTransport::isOpen() const
{
    QMutexLocker locker(&m_in->mutex);
    return !m_in->closed;
}

void KTestPipeTransport::close()
{
    for (const auto& direction : {m_in, m_out}) {
        QMutexLocker locker(&direction->mutex);
        direction->closed = true;
        direction->arrived.wakeAll();
    }
}

uint32_t KTestPipeTransport::read(uint8_t* buf, uint32_t len)
{
    QMutexLocker locker(&m_in->mutex);
    while (m_in->bytes.isEmpty() && !m_in->closed)
        m_in->arrived.wait(&m_in->mutex);
    // Returning 0 makes the protocol raise its end-of-file exception.
    const uint32_t n = std::min<uint32_t>(len, static_cast<uint32_t>(m_in->bytes.size()));
    if (n > 0) {
        std::memcpy(buf, m_in->bytes.constData(), n);
        m_in->bytes.remove(0, static_cast<int>(n));
    }
    return n;
}

void KTestPipeTransport::write(const uint8_t* buf, uint32_t len)
{
    QMutexLocker locker(&m_out->mutex);
    if (m_out->closed) {
        throw apache::thrift::transport::TTransportException(apache::thrift::transport::TTransportException::NOT_OPEN,
                                                             "pipe closed");
    }
    m_out->bytes.append(reinterpret_cast<const char*>(buf), static_cast<int>(len));
    m_out->arrived.wakeAll();
}

int KTestPipeTransport::pendingBytes() const
{
    QMutexLocker locker(&m_in->mutex);
    return m_in->bytes.size();
}

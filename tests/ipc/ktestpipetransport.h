#ifndef KZEMBA_TESTS_KTESTPIPETRANSPORT_H
#define KZEMBA_TESTS_KTESTPIPETRANSPORT_H

#include <thrift/transport/TVirtualTransport.h>

#include <QByteArray>
#include <QMutex>
#include <QWaitCondition>

#include <memory>
#include <utility>

/// One end of an in-memory connection between two threads: what one end writes, the other
/// end reads. A read blocks until bytes arrive or the connection is closed, like a socket.
class KTestPipeTransport : public apache::thrift::transport::TVirtualTransport<KTestPipeTransport>
{
    struct Direction
    {
        QMutex mutex;
        QWaitCondition arrived;
        QByteArray bytes;
        bool closed = false;
    };

public:
    using Ends = std::pair<std::shared_ptr<KTestPipeTransport>, std::shared_ptr<KTestPipeTransport>>;
    static Ends createPair();

    bool isOpen() const override;
    void open() override {}
    // Closes both directions; a blocked reader on either end sees the end of the data.
    void close() override;

    uint32_t read(uint8_t* buf, uint32_t len);
    void write(const uint8_t* buf, uint32_t len);

    // Bytes written by the other end and not read yet.
    int pendingBytes() const;

private:
    KTestPipeTransport(std::shared_ptr<Direction> in, std::shared_ptr<Direction> out);

    std::shared_ptr<Direction> m_in;
    std::shared_ptr<Direction> m_out;
};

#endif

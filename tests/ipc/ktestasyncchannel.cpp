#include "ktestasyncchannel.h"

#include <thrift/protocol/TBinaryProtocol.h>
#include <thrift/transport/TBufferTransports.h>

#include <QTimer>

using apache::thrift::protocol::TBinaryProtocol;
using apache::thrift::transport::TMemoryBuffer;

KTestAsyncChannel::KTestAsyncChannel(std::shared_ptr<apache::thrift::async::TAsyncProcessor> processor,
                                     QObject* parent)
    : QObject(parent)
    , m_processor(std::move(processor))
{
}

void KTestAsyncChannel::sendMessage(const VoidCallback& cob, TMemoryBuffer* message)
{
    // Copy now: the client writes its next call into the same buffer.
    const std::string request = message->getBufferAsString();
    ++m_sent;
    QTimer::singleShot(0, this, [this, cob, request] {
        auto in = std::make_shared<TMemoryBuffer>();
        in->write(reinterpret_cast<const uint8_t*>(request.data()), static_cast<uint32_t>(request.size()));
        auto out = std::make_shared<TMemoryBuffer>();
        m_processor->process(
            [this, cob, out](bool ok) {
                if (!ok)
                    m_error = true;
                m_replies.push_back(ok ? out->getBufferAsString() : std::string());
                cob();
            },
            std::make_shared<TBinaryProtocol>(in), std::make_shared<TBinaryProtocol>(out));
    });
}

void KTestAsyncChannel::recvMessage(const VoidCallback& cob, TMemoryBuffer* message)
{
    message->resetBuffer();
    if (!m_replies.empty()) {
        const std::string reply = m_replies.front();
        m_replies.pop_front();
        message->write(reinterpret_cast<const uint8_t*>(reply.data()), static_cast<uint32_t>(reply.size()));
    }
    cob();
}

#include "kvantaservicessafeasyncprocessor.h"

#include <thrift/TApplicationException.h>

#include <memory>

using apache::thrift::TApplicationException;
using apache::thrift::protocol::TProtocol;

namespace {

// The reply a synchronous processor writes for a throwing handler.
bool writeExceptionReply(TProtocol* out, const std::string& name, int32_t seqid, const std::string& text)
{
    try {
        const TApplicationException error(TApplicationException::UNKNOWN, text);
        out->writeMessageBegin(name, apache::thrift::protocol::T_EXCEPTION, seqid);
        error.write(out);
        out->writeMessageEnd();
        out->getTransport()->writeEnd();
        out->getTransport()->flush();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

KVantaServicesSafeAsyncProcessor::KVantaServicesSafeAsyncProcessor(
    std::shared_ptr<qox::kvanta::kvantaservicesCobSvIf> handler)
    : kvantaservicesAsyncProcessor(std::move(handler))
{
}

KVantaServicesSafeAsyncProcessor::~KVantaServicesSafeAsyncProcessor() = default;

void KVantaServicesSafeAsyncProcessor::dispatchCall(std::function<void(bool ok)> cob, TProtocol* in, TProtocol* out,
                                                    const std::string& name, int32_t seqid)
{
    // A handler may answer and throw afterwards; then the call has its reply already and the
    // continuation must not run twice.
    const auto answered = std::make_shared<bool>(false);
    auto tracked = [cob, answered](bool ok) {
        *answered = true;
        cob(ok);
    };
    std::string text;
    try {
        kvantaservicesAsyncProcessor::dispatchCall(tracked, in, out, name, seqid);
        return;
    } catch (const std::exception& e) {
        text = e.what();
    } catch (...) {
        text = "unknown exception";
    }
    if (*answered)
        return;
    // The generated code has read the call's arguments before the handler ran, so the input
    // is at the next message.
    cob(writeExceptionReply(out, name, seqid, text));
}

#ifndef KZEMBA_IPC_KVANTASERVICESSAFEASYNCPROCESSOR_H
#define KZEMBA_IPC_KVANTASERVICESSAFEASYNCPROCESSOR_H

#include "kzembajsapilite_export.h"

#include "kvantaservices.h"

/// The asynchronous processor of the shell IPC service as the service must behave: a
/// handler that throws instead of answering gets the call answered with an EXCEPTION reply
/// of kind "unknown" carrying the exception's text, and the processor goes on serving. The
/// generated processor would let the exception escape into whoever drives it; this one
/// wraps its dispatch and leaves the generated code as it is.
class KZEMBAJSAPILITE_EXPORT KVantaServicesSafeAsyncProcessor : public qox::kvanta::kvantaservicesAsyncProcessor
{
public:
    explicit KVantaServicesSafeAsyncProcessor(std::shared_ptr<qox::kvanta::kvantaservicesCobSvIf> handler);
    ~KVantaServicesSafeAsyncProcessor() override;

protected:
    void dispatchCall(std::function<void(bool ok)> cob, apache::thrift::protocol::TProtocol* in,
                      apache::thrift::protocol::TProtocol* out, const std::string& name, int32_t seqid) override;
};

#endif

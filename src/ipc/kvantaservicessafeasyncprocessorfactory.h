#ifndef KZEMBA_IPC_KVANTASERVICESSAFEASYNCPROCESSORFACTORY_H
#define KZEMBA_IPC_KVANTASERVICESSAFEASYNCPROCESSORFACTORY_H

#include "kzembajsapilite_export.h"

#include "kvantaservices.h"

/// Hands out a KVantaServicesSafeAsyncProcessor per connection, over the handler that the
/// handler factory gives for it (and gives back when the processor is gone).
class KZEMBAJSAPILITE_EXPORT KVantaServicesSafeAsyncProcessorFactory
    : public qox::kvanta::kvantaservicesAsyncProcessorFactory
{
public:
    explicit KVantaServicesSafeAsyncProcessorFactory(
        const std::shared_ptr<qox::kvanta::kvantaservicesCobSvIfFactory>& handlerFactory);
    ~KVantaServicesSafeAsyncProcessorFactory() override;

    std::shared_ptr<apache::thrift::async::TAsyncProcessor> getProcessor(
        const apache::thrift::TConnectionInfo& connInfo) override;
};

#endif

#include "kvantaservicessafeasyncprocessorfactory.h"

#include "kvantaservicessafeasyncprocessor.h"

KVantaServicesSafeAsyncProcessorFactory::KVantaServicesSafeAsyncProcessorFactory(
    const std::shared_ptr<qox::kvanta::kvantaservicesCobSvIfFactory>& handlerFactory)
    : kvantaservicesAsyncProcessorFactory(handlerFactory)
{
}

KVantaServicesSafeAsyncProcessorFactory::~KVantaServicesSafeAsyncProcessorFactory() = default;

std::shared_ptr<apache::thrift::async::TAsyncProcessor> KVantaServicesSafeAsyncProcessorFactory::getProcessor(
    const apache::thrift::TConnectionInfo& connInfo)
{
    apache::thrift::ReleaseHandler<qox::kvanta::kvantaservicesCobSvIfFactory> release(handlerFactory_);
    const std::shared_ptr<qox::kvanta::kvantaservicesCobSvIf> handler(handlerFactory_->getHandler(connInfo), release);
    return std::make_shared<KVantaServicesSafeAsyncProcessor>(handler);
}

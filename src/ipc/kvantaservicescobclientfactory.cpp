// The shell stand-in hands out kvantaservices clients but cannot build them: their
// code is generated into this library. Installing the factory when the library is
// loaded lets the shell make every client on its own channel.
#include "kvantaservices.h"

#include <vanta/kvantaprocesshost.h>

#include <thrift/async/TAsyncChannel.h>

namespace {

[[maybe_unused]] const bool g_cobClientFactoryInstalled = [] {
    KVantaProcessHost::setCobClientFactory([](std::shared_ptr<apache::thrift::async::TAsyncChannel> channel,
                                              apache::thrift::protocol::TProtocolFactory* protocols) {
        return std::make_shared<KVantaServicesCobClient>(std::move(channel), protocols);
    });
    return true;
}();

} // namespace

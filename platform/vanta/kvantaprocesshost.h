#ifndef KZEMBA_VANTA_KVANTAPROCESSHOST_H
#define KZEMBA_VANTA_KVANTAPROCESSHOST_H

#include "kzembaplatform_export.h"

#include "kvantaservicescobclient.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

namespace apache {
namespace thrift {
namespace async {
class TAsyncChannel;
}
namespace protocol {
class TProtocolFactory;
}
} // namespace thrift
} // namespace apache

class KVantaAsyncChannel;

/// The shell's side of its document processes: it hands out the kvantaservices
/// client that talks to the process showing pages of a widget type. Where that
/// process listens comes from the runtime configuration, "vanta/services/<type>"
/// or else "vanta/services/default", as "<loopback address>:<port>"; a type with
/// no address, or with one that is not a loopback address, has no client.
///
/// A client speaks Thrift's binary protocol over a KVantaAsyncChannel, so its
/// completions run on the GUI thread. Clients are shared per address; one whose
/// channel has failed is replaced by a fresh connection on the next request.
///
/// The clients themselves are made by the code generated from the service
/// definition, which lives with the library that carries the service: that
/// library installs the factory (setCobClientFactory) when it is loaded.
class KZEMBAPLATFORM_EXPORT KVantaProcessHost : public QObject
{
    Q_OBJECT
public:
    using CobClientFactory = std::function<std::shared_ptr<KVantaServicesCobClient>(
        std::shared_ptr<apache::thrift::async::TAsyncChannel>, apache::thrift::protocol::TProtocolFactory*)>;

    explicit KVantaProcessHost(QObject* parent = nullptr);
    ~KVantaProcessHost() override;

    // Empty when the type has no document process, no factory is installed, or the
    // call comes from another thread than the host's.
    std::shared_ptr<KVantaServicesCobClient> cobClient(int widgetType);

    static void setCobClientFactory(CobClientFactory factory);

private:
    struct Connection
    {
        std::shared_ptr<KVantaServicesCobClient> client;
        QPointer<KVantaAsyncChannel> channel;
    };

    QHash<QString, Connection> m_connections;
};

#endif

#include "kvantaprocesshost.h"

#include "kvantaasyncchannel.h"

#include <krt/kruntimeconfig.h>
#include <vdllite/kxloggerlite.h>

#include <thrift/protocol/TBinaryProtocol.h>

#include <QHostAddress>
#include <QThread>

namespace {

const char* const kModule = "KVantaProcessHost";
const int kDefaultTimeoutMs = 30000;

KVantaProcessHost::CobClientFactory& installedFactory()
{
    static KVantaProcessHost::CobClientFactory factory;
    return factory;
}

// Strings and containers in a reply can be no larger than the frame that carries them.
apache::thrift::protocol::TProtocolFactory* binaryProtocolFactory()
{
    const auto limit = static_cast<int32_t>(KVantaAsyncChannel::MaxFrameBytes);
    static apache::thrift::protocol::TBinaryProtocolFactory factory(limit, limit, false, true);
    return &factory;
}

QString configuredAddress(int widgetType)
{
    const QString address =
        krt::KRuntimeConfig::value(QStringLiteral("vanta/services/%1").arg(widgetType)).toString().trimmed();
    if (!address.isEmpty())
        return address;
    return krt::KRuntimeConfig::value(QStringLiteral("vanta/services/default")).toString().trimmed();
}

// "<address>:<port>", the address possibly in brackets; false unless it is a loopback address.
bool parseAddress(const QString& text, QHostAddress& address, quint16& port)
{
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    bool ok = false;
    const uint number = text.mid(colon + 1).toUInt(&ok);
    if (!ok || number == 0 || number > 65535 || !address.setAddress(host) || !address.isLoopback())
        return false;
    port = static_cast<quint16>(number);
    return true;
}

} // namespace

KVantaProcessHost::KVantaProcessHost(QObject* parent)
    : QObject(parent)
{
}

KVantaProcessHost::~KVantaProcessHost() = default;

void KVantaProcessHost::setCobClientFactory(CobClientFactory factory)
{
    installedFactory() = std::move(factory);
}

std::shared_ptr<KVantaServicesCobClient> KVantaProcessHost::cobClient(int widgetType)
{
    // Completions run on the channel's thread, which must be the caller's.
    if (QThread::currentThread() != thread()) {
        KxLoggerLite::writeWarning(QString::fromLatin1(kModule),
                                   QStringLiteral("cobClient called off the host's thread"));
        return {};
    }
    const QString text = configuredAddress(widgetType);
    if (text.isEmpty() || !installedFactory())
        return {};

    auto known = m_connections.find(text);
    if (known != m_connections.end()) {
        if (known->channel && known->channel->good())
            return known->client;
        m_connections.erase(known);
    }

    QHostAddress address;
    quint16 port = 0;
    if (!parseAddress(text, address, port)) {
        KxLoggerLite::writeWarning(QString::fromLatin1(kModule),
                                   QStringLiteral("no loopback address for widget type %1: %2")
                                       .arg(widgetType)
                                       .arg(text));
        return {};
    }
    const int timeoutMs =
        krt::KRuntimeConfig::value(QStringLiteral("vanta/servicesTimeoutMs"), kDefaultTimeoutMs).toInt();
    // The channel belongs to its client; the host only watches it.
    auto channel = std::make_shared<KVantaAsyncChannel>(address, port, timeoutMs);
    Connection connection;
    connection.channel = channel.get();
    connection.client = installedFactory()(channel, binaryProtocolFactory());
    if (!connection.client)
        return {};
    m_connections.insert(text, connection);
    return connection.client;
}

// One shell IPC call with a small map over loopback TCP: the generated client and processor of
// the service against a hand-written TBinaryProtocol echo of the same message on the same
// transports. Time per call, lower is better.
#include "kbenchsupport.h"

#include "kvantaservices.h"

#include <thrift/TProcessor.h>
#include <thrift/protocol/TBinaryProtocol.h>
#include <thrift/transport/TBufferTransports.h>
#include <thrift/transport/TServerSocket.h>
#include <thrift/transport/TSocket.h>
#include <thrift/transport/TTransportException.h>

#include <QCoreApplication>

#include <map>
#include <memory>
#include <string>
#include <thread>

using apache::thrift::TProcessor;
using apache::thrift::protocol::TBinaryProtocol;
using apache::thrift::protocol::TMessageType;
using apache::thrift::protocol::TProtocol;
using apache::thrift::protocol::TType;
using apache::thrift::transport::TBufferedTransport;
using apache::thrift::transport::TServerSocket;
using apache::thrift::transport::TSocket;
using apache::thrift::transport::TTransport;
using apache::thrift::transport::TTransportException;

using StringMap = std::map<std::string, std::string>;

namespace {

class KBenchEchoHandler : public qox::kvanta::kvantaservicesNull
{
public:
    void ipcCall(StringMap& result, const std::string&, const StringMap& argMap) override { result = argMap; }
};

void writeMap(TProtocol& protocol, const StringMap& map)
{
    protocol.writeMapBegin(apache::thrift::protocol::T_STRING, apache::thrift::protocol::T_STRING,
                           static_cast<uint32_t>(map.size()));
    for (const auto& entry : map) {
        protocol.writeString(entry.first);
        protocol.writeString(entry.second);
    }
    protocol.writeMapEnd();
}

StringMap readMap(TProtocol& protocol)
{
    StringMap map;
    TType keyType;
    TType valueType;
    uint32_t size = 0;
    protocol.readMapBegin(keyType, valueType, size);
    for (uint32_t i = 0; i < size; ++i) {
        std::string key;
        protocol.readString(key);
        protocol.readString(map[key]);
    }
    protocol.readMapEnd();
    return map;
}

// The bare side: the call's message read and the map written back by hand.
class KBenchBareEcho : public TProcessor
{
public:
    bool process(std::shared_ptr<TProtocol> in, std::shared_ptr<TProtocol> out, void*) override
    {
        std::string name;
        TMessageType type;
        int32_t seqid = 0;
        in->readMessageBegin(name, type, seqid);
        std::string fieldName;
        std::string structName;
        TType fieldType;
        int16_t fieldId = 0;
        StringMap map;
        in->readStructBegin(structName);
        while (true) {
            in->readFieldBegin(fieldName, fieldType, fieldId);
            if (fieldType == apache::thrift::protocol::T_STOP)
                break;
            if (fieldId == 2 && fieldType == apache::thrift::protocol::T_MAP)
                map = readMap(*in);
            else
                in->skip(fieldType);
            in->readFieldEnd();
        }
        in->readStructEnd();
        in->readMessageEnd();
        in->getTransport()->readEnd();

        out->writeMessageBegin(name, apache::thrift::protocol::T_REPLY, seqid);
        out->writeStructBegin("result");
        out->writeFieldBegin("success", apache::thrift::protocol::T_MAP, 0);
        writeMap(*out, map);
        out->writeFieldEnd();
        out->writeFieldStop();
        out->writeStructEnd();
        out->writeMessageEnd();
        out->getTransport()->writeEnd();
        out->getTransport()->flush();
        return true;
    }
};

StringMap bareCall(TProtocol& protocol, int32_t seqid, const StringMap& argMap)
{
    protocol.writeMessageBegin("ipcCall", apache::thrift::protocol::T_CALL, seqid);
    protocol.writeStructBegin("args");
    protocol.writeFieldBegin("method", apache::thrift::protocol::T_STRING, 1);
    protocol.writeString("echo");
    protocol.writeFieldEnd();
    protocol.writeFieldBegin("argMap", apache::thrift::protocol::T_MAP, 2);
    writeMap(protocol, argMap);
    protocol.writeFieldEnd();
    protocol.writeFieldStop();
    protocol.writeStructEnd();
    protocol.writeMessageEnd();
    protocol.getTransport()->writeEnd();
    protocol.getTransport()->flush();

    std::string name;
    TMessageType type;
    int32_t replyId = 0;
    protocol.readMessageBegin(name, type, replyId);
    std::string structName;
    std::string fieldName;
    TType fieldType;
    int16_t fieldId = 0;
    StringMap result;
    protocol.readStructBegin(structName);
    while (true) {
        protocol.readFieldBegin(fieldName, fieldType, fieldId);
        if (fieldType == apache::thrift::protocol::T_STOP)
            break;
        if (fieldId == 0 && fieldType == apache::thrift::protocol::T_MAP)
            result = readMap(protocol);
        else
            protocol.skip(fieldType);
        protocol.readFieldEnd();
    }
    protocol.readStructEnd();
    protocol.readMessageEnd();
    protocol.getTransport()->readEnd();
    return result;
}

// A loopback server for one connection, answering with `processor` until the client leaves.
class KBenchServer
{
public:
    explicit KBenchServer(std::shared_ptr<TProcessor> processor)
        : m_socket(std::make_shared<TServerSocket>("127.0.0.1", 0))
    {
        m_socket->listen();
        m_thread = std::thread([this, processor] {
            try {
                auto transport = std::make_shared<TBufferedTransport>(m_socket->accept());
                auto protocol = std::make_shared<TBinaryProtocol>(transport);
                while (processor->process(protocol, protocol, nullptr)) {
                }
            } catch (const TTransportException&) {
                // The client closed the connection.
            }
        });
    }
    ~KBenchServer()
    {
        m_thread.join();
        m_socket->close();
    }
    KBenchServer(const KBenchServer&) = delete;
    KBenchServer& operator=(const KBenchServer&) = delete;

    std::shared_ptr<TBinaryProtocol> connect() const
    {
        auto socket = std::make_shared<TSocket>("127.0.0.1", m_socket->getPort());
        socket->setNoDelay(true);
        auto transport = std::make_shared<TBufferedTransport>(socket);
        transport->open();
        return std::make_shared<TBinaryProtocol>(transport);
    }

private:
    std::shared_ptr<TServerSocket> m_socket;
    std::thread m_thread;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const bool quick = kbench::quick();
    const int calls = quick ? 200 : 5000;
    const int runs = quick ? 3 : 9;
    const StringMap argMap{{"docId", "42"}, {"app", "writer"}, {"mode", "preview"}, {"page", "3"}};

    StringMap ours;
    StringMap bare;
    kbench::Medians ms {};
    try {
        KBenchServer generatedServer(
            std::make_shared<qox::kvanta::kvantaservicesProcessor>(std::make_shared<KBenchEchoHandler>()));
        KBenchServer bareServer(std::make_shared<KBenchBareEcho>());
        const auto generatedProtocol = generatedServer.connect();
        const auto bareProtocol = bareServer.connect();
        qox::kvanta::kvantaservicesClient client(generatedProtocol);
        int32_t seqid = 0;
        ms = kbench::sideBySide(
            runs,
            [&] {
                for (int i = 0; i < calls; ++i)
                    client.ipcCall(ours, "echo", argMap);
            },
            [&] {
                for (int i = 0; i < calls; ++i)
                    bare = bareCall(*bareProtocol, ++seqid, argMap);
            });
        generatedProtocol->getTransport()->close();
        bareProtocol->getTransport()->close();
    } catch (const std::exception& error) {
        kbench::out() << "the loopback calls failed: " << error.what() << '\n';
        return 1;
    }

    kbench::header(QStringLiteral("shell IPC call with a small map, loopback TCP, against a bare TBinaryProtocol echo"),
                   QStringLiteral("generated"), QStringLiteral("bare"), QStringLiteral("us/call"));
    kbench::row(QStringLiteral("ipcCall, 4-entry map"), ms.ours * 1000 / calls, ms.bare * 1000 / calls, ms.ours / ms.bare);
    if (ours != argMap || bare != argMap) {
        kbench::out() << "the echoed maps differ\n";
        return 1;
    }
    return 0;
}

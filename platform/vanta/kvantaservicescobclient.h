#ifndef KZEMBA_VANTA_KVANTASERVICESCOBCLIENT_H
#define KZEMBA_VANTA_KVANTASERVICESCOBCLIENT_H

// The shell's callback-style client of the kvantaservices IPC service is the
// client that the Thrift generator makes of the service definition. Its code is
// generated into the library that carries the service; the shell hands clients
// out by this name and only holds them here, so it needs no more than the name.
namespace qox {
namespace kvanta {
class kvantaservicesCobClient;
}
} // namespace qox

using KVantaServicesCobClient = qox::kvanta::kvantaservicesCobClient;

#endif

// Entry of the resource-network plug-in "kzembaresnetwork".
#include "kzembaresnetworkservice.h"

#include "interfaces/kzembapluginexport.h"

#include <QCoreApplication>
#include <QPointer>

KZEMBA_PLUGIN_ENTRY IKZembaResNetwork* GetIKZembaResNetwork()
{
    // Belongs to the application object, so that its network objects go before Qt does.
    static QPointer<KZembaResNetworkService> service;
    if (!service && QCoreApplication::instance())
        service = new KZembaResNetworkService(QCoreApplication::instance());
    return service;
}

// Entry of the core-lite plug-in "kzembacorelite".
#include "kzembacoreliteservice.h"

#include "interfaces/kzembapluginexport.h"

#include <QCoreApplication>
#include <QPointer>

KZEMBA_PLUGIN_ENTRY IKZembaCoreLite* GetIKZembaCoreLite()
{
    // Belongs to the application object, like every object it hands out.
    static QPointer<KZembaCoreLiteService> service;
    if (!service && QCoreApplication::instance())
        service = new KZembaCoreLiteService(QCoreApplication::instance());
    return service;
}

// Entry of the core-lite plug-in "kzembacorelite".
#include "kzembaapplicationservice.h"
#include "kzembacoreliteservice.h"

#include "interfaces/kzembapluginexport.h"

KZEMBA_PLUGIN_ENTRY IKZembaCoreLite* GetIKZembaCoreLite()
{
    return kzembaApplicationService<KZembaCoreLiteService>();
}

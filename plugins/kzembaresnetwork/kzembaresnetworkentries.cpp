// Entry of the resource-network plug-in "kzembaresnetwork".
#include "kzembaapplicationservice.h"
#include "kzembaresnetworkservice.h"

#include "interfaces/kzembapluginexport.h"

KZEMBA_PLUGIN_ENTRY IKZembaResNetwork* GetIKZembaResNetwork()
{
    return kzembaApplicationService<KZembaResNetworkService>();
}

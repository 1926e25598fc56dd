// Entries of the base plug-in "kzembabase".
#include "kzembaapplicationservice.h"
#include "kzembabaseencoder.h"
#include "kzembabatchdownloadservice.h"
#include "kzembanetworkservice.h"
#include "kzembauserinfoservice.h"

#include "interfaces/kzembapluginexport.h"

KZEMBA_PLUGIN_ENTRY IKZembaNetWork* GetZembaNetWork()
{
    return kzembaApplicationService<KZembaNetworkService>();
}

KZEMBA_PLUGIN_ENTRY IKZembaBatchDownload* GetZembaBatchDownload()
{
    return kzembaApplicationService<KZembaBatchDownloadService>();
}

KZEMBA_PLUGIN_ENTRY IKZembaUserInfo* GetZembaUserInfo()
{
    return kzembaApplicationService<KZembaUserInfoService>([](QObject* parent) {
        return new KZembaUserInfoService(kzembaApplicationService<KZembaNetworkService>(), parent);
    });
}

KZEMBA_PLUGIN_ENTRY IKZembaBase* GetZembaBase()
{
    static KZembaBaseEncoder encoder;
    return &encoder;
}

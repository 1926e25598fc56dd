// Entries of the base plug-in "kzembabase". Each service is made on first use and
// belongs to the application object, so that its network objects go before Qt does.
#include "kzembabaseencoder.h"
#include "kzembabatchdownloadservice.h"
#include "kzembanetworkservice.h"
#include "kzembauserinfoservice.h"

#include "interfaces/kzembapluginexport.h"

#include <QCoreApplication>
#include <QPointer>

namespace {

template <typename Service>
Service* applicationService()
{
    static QPointer<Service> service;
    if (!service && QCoreApplication::instance())
        service = new Service(QCoreApplication::instance());
    return service;
}

} // namespace

KZEMBA_PLUGIN_ENTRY IKZembaNetWork* GetZembaNetWork()
{
    return applicationService<KZembaNetworkService>();
}

KZEMBA_PLUGIN_ENTRY IKZembaBatchDownload* GetZembaBatchDownload()
{
    return applicationService<KZembaBatchDownloadService>();
}

KZEMBA_PLUGIN_ENTRY IKZembaUserInfo* GetZembaUserInfo()
{
    static QPointer<KZembaUserInfoService> service;
    if (!service && QCoreApplication::instance())
        service = new KZembaUserInfoService(applicationService<KZembaNetworkService>(), QCoreApplication::instance());
    return service;
}

KZEMBA_PLUGIN_ENTRY IKZembaBase* GetZembaBase()
{
    static KZembaBaseEncoder encoder;
    return &encoder;
}

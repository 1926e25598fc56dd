// Entries of the test base plug-in "kzembabase".
#include "ktestbase.h"
#include "ktestbatchdownload.h"
#include "ktestnetwork.h"
#include "ktestplugincontrol.h"
#include "ktestuserinfo.h"

#include "interfaces/kzembapluginexport.h"

KZEMBA_PLUGIN_ENTRY IKZembaNetWork* GetZembaNetWork()
{
    KTestPluginControl* control = KTestPluginControl::instance();
    return control->handOut<IKZembaNetWork>("GetZembaNetWork", QStringLiteral("network"), control->netWork());
}

KZEMBA_PLUGIN_ENTRY IKZembaBatchDownload* GetZembaBatchDownload()
{
    KTestPluginControl* control = KTestPluginControl::instance();
    return control->handOut<IKZembaBatchDownload>("GetZembaBatchDownload", QStringLiteral("batch"),
                                                  control->batchDownload());
}

KZEMBA_PLUGIN_ENTRY IKZembaUserInfo* GetZembaUserInfo()
{
    KTestPluginControl* control = KTestPluginControl::instance();
    return control->handOut<IKZembaUserInfo>("GetZembaUserInfo", QStringLiteral("userinfo"), control->userInfo());
}

KZEMBA_PLUGIN_ENTRY IKZembaBase* GetZembaBase()
{
    KTestPluginControl* control = KTestPluginControl::instance();
    return control->handOut<IKZembaBase>("GetZembaBase", QStringLiteral("base"), control->base());
}

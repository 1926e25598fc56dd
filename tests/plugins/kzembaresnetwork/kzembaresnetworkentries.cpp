// Entry of the test resource-network plug-in "kzembaresnetwork".
#include "ktestplugincontrol.h"
#include "ktestresnetwork.h"

#include "interfaces/kzembapluginexport.h"

KZEMBA_PLUGIN_ENTRY IKZembaResNetwork* GetIKZembaResNetwork()
{
    KTestPluginControl* control = KTestPluginControl::instance();
    return control->handOut<IKZembaResNetwork>("GetIKZembaResNetwork", QStringLiteral("resnetwork"),
                                               control->resNetwork());
}

// Entry of the test core-lite plug-in "kzembacorelite".
#include "ktestcorelite.h"
#include "ktestplugincontrol.h"

#include "interfaces/kzembapluginexport.h"

KZEMBA_PLUGIN_ENTRY IKZembaCoreLite* GetIKZembaCoreLite()
{
    KTestPluginControl* control = KTestPluginControl::instance();
    return control->handOut<IKZembaCoreLite>("GetIKZembaCoreLite", QStringLiteral("corelite"), control->coreLite());
}

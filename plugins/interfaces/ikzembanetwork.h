#ifndef KZEMBA_PLUGINS_IKZEMBANETWORK_H
#define KZEMBA_PLUGINS_IKZEMBANETWORK_H

#include "kzembapluginexport.h"

/// The network service of the base plug-in "kzembabase" (entry GetZembaNetWork):
/// requests and event streams on the store's behalf.
class KZEMBA_PLUGIN_INTERFACE IKZembaNetWork
{
public:
    virtual ~IKZembaNetWork() = default;
};

using GetZembaNetWorkFn = IKZembaNetWork* (*)();

#endif

#ifndef KZEMBA_PLUGINS_IKZEMBABASE_H
#define KZEMBA_PLUGINS_IKZEMBABASE_H

#include "kzembapluginexport.h"

/// The base service of the base plug-in "kzembabase" (entry GetZembaBase).
class KZEMBA_PLUGIN_INTERFACE IKZembaBase
{
public:
    virtual ~IKZembaBase() = default;
};

using GetZembaBaseFn = IKZembaBase* (*)();

#endif

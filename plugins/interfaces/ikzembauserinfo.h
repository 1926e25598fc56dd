#ifndef KZEMBA_PLUGINS_IKZEMBAUSERINFO_H
#define KZEMBA_PLUGINS_IKZEMBAUSERINFO_H

#include "kzembapluginexport.h"

/// The user-info service of the base plug-in "kzembabase" (entry GetZembaUserInfo).
class KZEMBA_PLUGIN_INTERFACE IKZembaUserInfo
{
public:
    virtual ~IKZembaUserInfo() = default;
};

using GetZembaUserInfoFn = IKZembaUserInfo* (*)();

#endif

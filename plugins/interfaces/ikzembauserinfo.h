#ifndef KZEMBA_PLUGINS_IKZEMBAUSERINFO_H
#define KZEMBA_PLUGINS_IKZEMBAUSERINFO_H

#include "kzembapluginexport.h"
#include "kzembauserinfotypes.h"

#include <QString>

class IKUserInfoEvent;

/// The user-info service of the base plug-in "kzembabase" (entry
/// GetZembaUserInfo): module registration, account-information queries for
/// listeners, and the signed-in account's state.
class KZEMBA_PLUGIN_INTERFACE IKZembaUserInfo
{
public:
    virtual ~IKZembaUserInfo() = default;

    // True when `moduleName` is registered; `registration` is then filled with its record.
    virtual bool isRegistered(const QString& moduleName, KZembaUserInfoRegistration& registration) = 0;
    virtual void registerModule(const KZembaUserInfoRegistration& registration) = 0;
    // Queries all account information for `moduleName`; `listener` later gets allInfoUpdate().
    virtual void queryAllInfo(const QString& moduleName, IKUserInfoEvent* listener) = 0;
    // Forgets `listener`; a listener must be removed before it is destroyed.
    virtual void removeListener(IKUserInfoEvent* listener) = 0;
    // Queries the account state for `moduleName`; `done` is called once, on the GUI thread.
    virtual void queryAccountState(const QString& moduleName, const KZembaUserInfoQueryHandler& done,
                                   bool forceUpdate) = 0;
};

using GetZembaUserInfoFn = IKZembaUserInfo* (*)();

#endif

#ifndef KZEMBA_PLUGINS_IKZEMBAACCOUNT_H
#define KZEMBA_PLUGINS_IKZEMBAACCOUNT_H

#include "kzembapluginexport.h"

#include <QString>
#include <QVariantMap>

class QObject;

/// The store account service of the core-lite plug-in.
class KZEMBA_PLUGIN_INTERFACE IKZembaAccount
{
public:
    virtual ~IKZembaAccount() = default;

    virtual bool isActive() = 0;
    // Calls `slot` of `receiver` (a SLOT() signature such as "1updateCookies()") whenever
    // the account cookies change.
    virtual void notifyCookiesChanged(QObject* receiver, const char* slot) = 0;
    // The account cookies as "name=value" pairs separated by ";".
    virtual QString getCookies() = 0;
    virtual void login(const QVariantMap& args) = 0;
    virtual void logout(const QVariantMap& args) = 0;
    // The signed-in user's id; empty when nobody is signed in.
    virtual QString getUserId() = 0;
};

#endif

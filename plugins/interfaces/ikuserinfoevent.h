#ifndef KZEMBA_PLUGINS_IKUSERINFOEVENT_H
#define KZEMBA_PLUGINS_IKUSERINFOEVENT_H

#include "kzembapluginexport.h"

#include <QVariantMap>

/// A listener of the user-info service: it receives the account information
/// that a query brought.
class KZEMBA_PLUGIN_INTERFACE IKUserInfoEvent
{
public:
    virtual ~IKUserInfoEvent() = default;

    virtual void allInfoUpdate(const QVariantMap& info) = 0;
};

#endif

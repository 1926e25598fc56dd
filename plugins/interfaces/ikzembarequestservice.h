#ifndef KZEMBA_PLUGINS_IKZEMBAREQUESTSERVICE_H
#define KZEMBA_PLUGINS_IKZEMBAREQUESTSERVICE_H

#include "kzembapluginexport.h"

class IKZembaRequestDecorator;

/// The core-lite plug-in's request sub-service.
class KZEMBA_PLUGIN_INTERFACE IKZembaRequestService
{
public:
    virtual ~IKZembaRequestService() = default;

    // Null when the plug-in has no decorator to offer.
    virtual IKZembaRequestDecorator* getRequestDecorator() = 0;
};

#endif

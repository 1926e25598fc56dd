#ifndef KZEMBA_PLUGINS_IKZEMBARESOURCEHANDLER_H
#define KZEMBA_PLUGINS_IKZEMBARESOURCEHANDLER_H

#include "kzembapluginexport.h"
#include "ikzembabatchdownload.h"
#include "resourceinfo.h"

#include <QString>

/// The handler of one resource type, handed out by the core-lite service. It
/// knows whether a resource is already local, checks a request, describes
/// what to download, and applies the resource (what "apply" means is its own).
class KZEMBA_PLUGIN_INTERFACE IKZembaResourceHandler
{
public:
    virtual ~IKZembaResourceHandler() = default;

    virtual bool isLocalResource(const ResourceInfo& info) = 0;
    // Called just before the local check when a page inserts a resource.
    virtual void prepareResource(const ResourceInfo& info) = 0;
    // Empty when the request is acceptable, otherwise the error text for the page.
    virtual QString validateResource(const ResourceInfo& info) = 0;
    virtual KZembaBatchDownloadParam getDownloadList(const ResourceInfo& info) = 0;
};

#endif

#ifndef KZEMBA_KRT_KDOMAINMGR_H
#define KZEMBA_KRT_KDOMAINMGR_H

#include "kzembaplatform_export.h"

#include <QString>

/// The suite's domain manager: the base URL of each store service by name
/// ("zembaapiqox"), as the runtime configuration's group "domains" gives it.
class KZEMBAPLATFORM_EXPORT KDomainMgr
{
public:
    // Empty when the service is not configured.
    QString getDomainUrl(const QString& serviceName) const;
};

#endif

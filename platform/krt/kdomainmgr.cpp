#include "kdomainmgr.h"

#include "kruntimeconfig.h"

QString KDomainMgr::getDomainUrl(const QString& serviceName) const
{
    if (serviceName.isEmpty())
        return QString();
    return krt::KRuntimeConfig::value(QStringLiteral("domains/") + serviceName).toString();
}

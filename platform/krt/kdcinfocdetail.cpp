#include "kdcinfocdetail.h"

#include "kruntimeconfig.h"

static QString identity(const char* key)
{
    return krt::KRuntimeConfig::value(QStringLiteral("identity/") + QLatin1String(key)).toString();
}

QString KDcInfoCDetail::getHdid()
{
    return identity("hdid");
}

QString KDcInfoCDetail::getUuid()
{
    return identity("uuid");
}

QString KDcInfoCDetail::getGuid()
{
    return identity("guid");
}

QString KDcInfoCDetail::getVersion()
{
    return identity("version");
}

QString KDcInfoCDetail::getMC()
{
    return identity("mc");
}

bool KDcInfoCDetail::isFirebasePlatform()
{
    return krt::KRuntimeConfig::value(QStringLiteral("identity/firebase"), false).toBool();
}

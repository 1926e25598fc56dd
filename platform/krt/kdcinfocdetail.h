#ifndef KZEMBA_KRT_KDCINFOCDETAIL_H
#define KZEMBA_KRT_KDCINFOCDETAIL_H

#include "kzembaplatform_export.h"

#include <QString>

/// Identity values of this installation, as the runtime configuration's group
/// "identity" gives them (hardware id, user id, install id, version, channel).
class KZEMBAPLATFORM_EXPORT KDcInfoCDetail
{
public:
    static QString getHdid();
    static QString getUuid();
    static QString getGuid();
    static QString getVersion();
    static QString getMC();
    static bool isFirebasePlatform();
};

#endif

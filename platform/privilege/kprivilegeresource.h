#ifndef KZEMBA_PRIVILEGE_KPRIVILEGERESOURCE_H
#define KZEMBA_PRIVILEGE_KPRIVILEGERESOURCE_H

#include "kzembaplatform_export.h"

#include <QList>
#include <QString>
#include <QVariantMap>

/// The suite's privilege-resource service: the operations configuration shown
/// when a user lacks a privilege. The service delivers its answers through its
/// own channels; this stand-in has none to offer, so it keeps every request it
/// was given, in order, for a host or a test to read.
class KZEMBAPLATFORM_EXPORT KPrivilegeResource
{
public:
    struct Request
    {
        QString channelCode;
        QString from;
        QVariantMap extraData;
        bool noCache = false;
        int timeOut = 0;
        QVariantMap options;
        bool flag = false;
    };

    static void getInsufficientSorvelConfig(const QString& channelCode, const QString& from,
                                            const QVariantMap& extraData, bool noCache, int timeOut,
                                            const QVariantMap& options, bool flag);

    static QList<Request> requests();
    static void clearRequests();
};

#endif

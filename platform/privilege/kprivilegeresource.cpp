#include "kprivilegeresource.h"

namespace {
// Read and written on the GUI thread only.
QList<KPrivilegeResource::Request>& requestList()
{
    static QList<KPrivilegeResource::Request> list;
    return list;
}
} // namespace

void KPrivilegeResource::getInsufficientSorvelConfig(const QString& channelCode, const QString& from,
                                                     const QVariantMap& extraData, bool noCache, int timeOut,
                                                     const QVariantMap& options, bool flag)
{
    requestList().append({channelCode, from, extraData, noCache, timeOut, options, flag});
}

QList<KPrivilegeResource::Request> KPrivilegeResource::requests()
{
    return requestList();
}

void KPrivilegeResource::clearRequests()
{
    requestList().clear();
}

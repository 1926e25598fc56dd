#ifndef KZEMBA_PLUGINS_KSREMONITORRECORD_H
#define KZEMBA_PLUGINS_KSREMONITORRECORD_H

#include <QString>
#include <QVariantMap>

/// One record for the suite's reliability monitor (entry "SREMonitorPost" of
/// the library "kappesstoolbox"): an event with the API it concerns, its
/// parameters, and four codes that classify it for the monitor.
struct KSREMonitorRecord
{
    QString eventName;
    QString apiName;
    QString detail;
    QVariantMap params;
    QString errorText;
    QString extra;
    int errorCode = 0;
    int category = 0;
    int source = 0;
    int flags = 0;
};

using SREMonitorPostFn = void (*)(const KSREMonitorRecord& record);

#endif

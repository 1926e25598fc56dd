#ifndef KZEMBA_UTIL_KZEMBAAPPRUNMONITOR_H
#define KZEMBA_UTIL_KZEMBAAPPRUNMONITOR_H

#include "kzembajsapilite_export.h"

#include <QString>
#include <QVariantMap>

namespace kzemba {

/// Reports the steps of a store-app launch to the suite's usage-event collector
/// as "vas_apprun_monitor" events. A one-shot event stands alone; step events
/// of one launch share a session kept in the launch parameters ("sessionid",
/// "lastoperation", "timestamp"), so each step names the one before it and the
/// time since. Nothing is reported unless the reporting switch is on.
class KZEMBAJSAPILITE_EXPORT KZembaAppRunMonitor
{
public:
    static const char kEventName[]; // "vas_apprun_monitor"

    // Decided once per process, on first use, by readAppRunReportSetting().
    static bool isAppRunReportEnabled();
    // On when "kappmgr/isNeedReport" of the plug-in settings is true, or else when the
    // installation's user id ends with "4".
    static bool readAppRunReportSetting();

    static void postEvent(const QString& appId, const QString& operation, const QString& result,
                          const QString& source);
    // `appId` may be empty when the session state carries "app_id".
    static void postStepEvent(QVariantMap& state, const QString& appId, const QString& operation,
                              const QString& result, const QString& source);
};

} // namespace kzemba

#endif

// Entry of the test monitor library "kappesstoolbox": every record is kept as the call
// "monitor.post" with the record's fields in order.
#include "ktestplugincontrol.h"

#include "interfaces/ksremonitorrecord.h"
#include "interfaces/kzembapluginexport.h"

KZEMBA_PLUGIN_ENTRY void SREMonitorPost(const KSREMonitorRecord& record)
{
    KTestPluginControl::instance()->record(
        QStringLiteral("monitor.post"),
        {record.eventName, record.apiName, record.detail, record.params, record.errorText, record.extra,
         record.errorCode, record.category, record.source, record.flags});
}

#include "kzembaeventreporter.h"

#include "krt/kdcinfoc.h"

#include <QCoreApplication>

namespace kzemba {

const char KZembaEventReporter::kMirrorKey[] = "ababab_kzemba_kdc_all_event_efefef";
const char KZembaEventReporter::kMirrorEvent[] = "zemba_commonality_data_zembasvr";

void KZembaEventReporter::post(const QString& eventName, const QHash<QString, QString>& params, uint arg1, uint arg2,
                               bool realtime)
{
    QHash<QString, QString> values = params;
    const QString componentKey = QStringLiteral("component");
    if (values.value(componentKey).isEmpty())
        values.insert(componentKey, QCoreApplication::applicationName().toLower());

    KDcInfoC* collector = KDcInfoC::instance();
    if (!collector)
        return;
    const KDcProbability everyEvent = 1;
    collector->postGeneralEvent(eventName, values, arg1, arg2, everyEvent, realtime);

    if (values.value(QLatin1String(kMirrorKey)) == QLatin1String("1")) {
        values.insert(QStringLiteral("sub_event_id"), eventName);
        collector->postGeneralEvent(QLatin1String(kMirrorEvent), values, arg1, arg2, everyEvent, realtime);
    }
}

} // namespace kzemba

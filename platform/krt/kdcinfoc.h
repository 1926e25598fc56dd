#ifndef KZEMBA_KRT_KDCINFOC_H
#define KZEMBA_KRT_KDCINFOC_H

#include "kzembaplatform_export.h"

#include <QHash>
#include <QString>

// Sampling class of a data-collection event; 1 means every event is kept.
using KDcProbability = int;

/// The suite's data-collection service. Each event is appended as one JSON
/// line ({"time", "name", "params", "arg1", "arg2", "probability", "realtime"})
/// to "dc/events.jsonl" in the office data folder. The runtime configuration can
/// turn the service off ("dc/enabled" false), and then there is no instance.
class KZEMBAPLATFORM_EXPORT KDcInfoC
{
public:
    static KDcInfoC* instance();
    static QString eventsFilePath();

    void postGeneralEvent(const QString& name, const QHash<QString, QString>& params, uint arg1 = 0, uint arg2 = 0,
                          KDcProbability probability = 1, bool realtime = false);
};

#endif

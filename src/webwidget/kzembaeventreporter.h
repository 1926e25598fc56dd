#ifndef KZEMBA_WEBWIDGET_KZEMBAEVENTREPORTER_H
#define KZEMBA_WEBWIDGET_KZEMBAEVENTREPORTER_H

#include "kzembajsapilite_export.h"

#include <QHash>
#include <QString>

namespace kzemba {

/// The library's one entry for data-collection events. It names the reporting
/// component when the caller did not, and mirrors an event to the store's common
/// data channel when the caller asks for it with the mirror parameter, so that
/// every report of the library carries the same keys.
class KZEMBAJSAPILITE_EXPORT KZembaEventReporter
{
public:
    // Parameter that asks for the mirror event; only the text "1" turns it on.
    static const char kMirrorKey[];
    // Name of the mirror event; it carries the original name as "sub_event_id".
    static const char kMirrorEvent[];

    static void post(const QString& eventName, const QHash<QString, QString>& params, uint arg1 = 0, uint arg2 = 0,
                     bool realtime = true);
};

} // namespace kzemba

#endif

#ifndef KZEMBA_UTIL_APPRUNSTATUS_H
#define KZEMBA_UTIL_APPRUNSTATUS_H

#include "kzembajsapilite_export.h"

#include <QMap>
#include <QString>

namespace kzemba {

/// The texts of the app-launch steps that the launch monitor reports: codes 0
/// to 49 are failures, 1000 to 1009 successes. The table is built once per
/// process; a code outside it reads "failed".
class KZEMBAJSAPILITE_EXPORT AppRunStatus
{
public:
    enum Code
    {
        AppObjectNull = 0,
        AppManagerNull = 2,
        AppIdEmpty = 5,
    };

    static QString text(int code);
    static const QMap<int, QString>& texts();
};

} // namespace kzemba

#endif

#ifndef KZEMBA_KRT_KPROCESS_H
#define KZEMBA_KRT_KPROCESS_H

#include "kzembaplatform_export.h"

#include <QString>

namespace krt {
namespace ksafe {

/// The suite's safety checks on what a page asks the process to open. A URL
/// may be opened only with the scheme http or https and a host; when the
/// runtime configuration lists host suffixes ("ksafe/allowedHostSuffixes"),
/// only a host that is one of them or ends in "." followed by one passes.
class KZEMBAPLATFORM_EXPORT KProcess
{
public:
    static bool checkUrl(const QString& url);
};

} // namespace ksafe
} // namespace krt

#endif

#ifndef KZEMBA_VDLLITE_KXURLUTILS_H
#define KZEMBA_VDLLITE_KXURLUTILS_H

#include "kzembaplatform_export.h"

#include <QString>

namespace vdllite {

// The cookie domain of a page URL: its host in lower case; empty when the text has no host.
KZEMBAPLATFORM_EXPORT QString getDomainFromUrl(const QString& url);

} // namespace vdllite

#endif

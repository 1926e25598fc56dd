#ifndef KZEMBA_JSAPI_KZEMBAMODULENAME_H
#define KZEMBA_JSAPI_KZEMBAMODULENAME_H

#include "kzembajsapilite_export.h"

#include <QString>

namespace kzemba {

// The name of this library's module as the runtime reports it ("kzembajsapilite"):
// the logger's module tag and the plug-in name stamped on downloads.
KZEMBAJSAPILITE_EXPORT QString libraryModuleName();

} // namespace kzemba

#endif

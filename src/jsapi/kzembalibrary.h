#ifndef KZEMBA_JSAPI_KZEMBALIBRARY_H
#define KZEMBA_JSAPI_KZEMBALIBRARY_H

#include "kzembajsapilite_export.h"

#include <QString>

// Facts about this library that several of its parts share.
namespace kzemba {

// The name of this library's module as the runtime reports it ("kzembajsapilite"):
// the logger's module tag and the plug-in name stamped on downloads.
KZEMBAJSAPILITE_EXPORT QString libraryModuleName();

// Where the library keeps the local store named `folder`: "<office data>/<folder>/localstorage.db"
// ("KZembaCommon" when `folder` is empty). The folder is created when missing.
KZEMBAJSAPILITE_EXPORT QString localStoreDatabasePath(const QString& folder);

} // namespace kzemba

#endif

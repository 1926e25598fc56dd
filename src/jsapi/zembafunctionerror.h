#ifndef KZEMBA_JSAPI_ZEMBAFUNCTIONERROR_H
#define KZEMBA_JSAPI_ZEMBAFUNCTIONERROR_H

#include <QMetaType>

namespace zemba {

// Kinds of failure a JS API object publishes to its host.
enum FunctionError {
    FunctionErrorNone = 0,
    FunctionErrorDownload = 1,
};

} // namespace zemba

Q_DECLARE_METATYPE(zemba::FunctionError)

#endif

#ifndef KZEMBA_VDLLITE_KXJSCORE_H
#define KZEMBA_VDLLITE_KXJSCORE_H

#include "kzembaplatform_export.h"
#include "kxjspropertyinjector.h"

class KxWebViewContainer;

namespace vdllite {

/// The framework's script core: the services that reach into a page's script
/// from outside its JS API object.
class KZEMBAPLATFORM_EXPORT KxJsCore
{
public:
    // An injector for the page of `container`.
    KxJsPropertyInjector propertyInjector(KxWebViewContainer* container) const;
};

// The process's script core.
KZEMBAPLATFORM_EXPORT KxJsCore* GetVDLJSCore();

} // namespace vdllite

#endif

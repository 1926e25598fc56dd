#include "kxjscore.h"

namespace vdllite {

KxJsPropertyInjector KxJsCore::propertyInjector(KxWebViewContainer* container) const
{
    return KxJsPropertyInjector(container);
}

KxJsCore* GetVDLJSCore()
{
    static KxJsCore core;
    return &core;
}

} // namespace vdllite

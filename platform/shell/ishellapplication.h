#ifndef KZEMBA_SHELL_ISHELLAPPLICATION_H
#define KZEMBA_SHELL_ISHELLAPPLICATION_H

#include "kzembaplatform_export.h"

#include <shell/kshelltypes.h>

class IShellWindow;

/// The shell's application object as components see it. The reference-counting
/// operations come first, as on every shell interface. The object's owner decides
/// its lifetime; Release() never deletes it.
class KZEMBAPLATFORM_EXPORT IShellApplication
{
public:
    virtual kbase::HRESULT QueryInterface(kbase::REFIID riid, void** object) = 0;
    virtual kbase::ULONG AddRef() = 0;
    virtual kbase::ULONG Release() = 0;
    // After the three above, so that they keep the first places in the table.
    virtual ~IShellApplication() = default;

    // The shell window that has the focus; null when there is none.
    virtual kbase::HRESULT getActiveWindow(IShellWindow** window) = 0;
};

#endif

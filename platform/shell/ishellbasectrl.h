#ifndef KZEMBA_SHELL_ISHELLBASECTRL_H
#define KZEMBA_SHELL_ISHELLBASECTRL_H

#include "kzembaplatform_export.h"

#include <shell/kshelltypes.h>

class IShellWindow;

/// A control hosted by a shell window. The reference-counting operations come
/// first, as on every shell interface. The control's owner decides its lifetime;
/// Release() never deletes it.
class KZEMBAPLATFORM_EXPORT IShellBaseCtrl
{
public:
    virtual kbase::HRESULT QueryInterface(kbase::REFIID riid, void** object) = 0;
    virtual kbase::ULONG AddRef() = 0;
    virtual kbase::ULONG Release() = 0;
    // After the three above, so that they keep the first places in the table.
    virtual ~IShellBaseCtrl() = default;

    // The window that hosts the control.
    virtual kbase::HRESULT getWindow(IShellWindow** window) = 0;
};

#endif

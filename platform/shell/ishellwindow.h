#ifndef KZEMBA_SHELL_ISHELLWINDOW_H
#define KZEMBA_SHELL_ISHELLWINDOW_H

#include "kzembaplatform_export.h"

#include <shell/kshelltypes.h>

class IShellApplication;
class QWidget;

/// A top-level window of the shell. The reference-counting operations come
/// first, as on every shell interface. The window's owner decides its lifetime;
/// Release() never deletes it.
class KZEMBAPLATFORM_EXPORT IShellWindow
{
public:
    virtual kbase::HRESULT QueryInterface(kbase::REFIID riid, void** object) = 0;
    virtual kbase::ULONG AddRef() = 0;
    virtual kbase::ULONG Release() = 0;
    // After the three above, so that they keep the first places in the table.
    virtual ~IShellWindow() = default;

    virtual kbase::HRESULT getApplication(IShellApplication** application) = 0;
    // The Qt widget that shows the window.
    virtual kbase::HRESULT getWidget(QWidget** widget) = 0;
};

#endif

#ifndef KZEMBA_BASE_KFAKEUNKNOWN_H
#define KZEMBA_BASE_KFAKEUNKNOWN_H

#include <shell/kshelltypes.h>

namespace kbase {

/// Reference counting that counts nothing, for objects that implement one of the
/// shell's interfaces (`IShellApplication`, `IShellBaseCtrl`, `IShellWindow`) but
/// whose lifetime their owner controls. QueryInterface hands out nothing, and
/// AddRef and Release never change or delete anything; every other operation of
/// the interface is left to the derived class.
template <typename T>
class KFakeUnknown : public T
{
public:
    using T::T;

    HRESULT QueryInterface(REFIID /*riid*/, void** object) override
    {
        // A caller that does not check the result must find null, not garbage.
        if (object)
            *object = nullptr;
        return E_NOTIMPL;
    }

    ULONG AddRef() override { return 2; }

    ULONG Release() override { return 1; }
};

} // namespace kbase

#endif

#ifndef KZEMBA_SHELL_KSHELLTYPES_H
#define KZEMBA_SHELL_KSHELLTYPES_H

#include <cstdint>

// The value types of the shell's reference-counted interfaces. They keep the
// widths the shell's binary interface uses on every platform.
namespace kbase {

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;

struct IID
{
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};
using REFIID = const IID&;

inline bool operator==(REFIID a, REFIID b)
{
    if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3)
        return false;
    for (int i = 0; i < 8; ++i) {
        if (a.data4[i] != b.data4[i])
            return false;
    }
    return true;
}
inline bool operator!=(REFIID a, REFIID b) { return !(a == b); }

constexpr HRESULT S_OK = 0;
// The bit pattern 0x80000001 as the signed result type.
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(-0x7fffffff);

inline bool succeeded(HRESULT hr) { return hr >= 0; }

} // namespace kbase

#endif

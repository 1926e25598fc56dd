#include "kzembamodulename.h"

#include <krt/krt.h>

namespace kzemba {

QString libraryModuleName()
{
    // Any address inside this library names it.
    static const char anchor = 0;
    static const QString name = krt::dirs::getModuleName(&anchor);
    return name;
}

} // namespace kzemba

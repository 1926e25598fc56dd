#ifndef KZEMBA_UI_KDRAWHELPER_H
#define KZEMBA_UI_KDRAWHELPER_H

#include "kzembaplatform_export.h"

#include <QString>

/// The suite's drawing helpers, as far as store pages need them: the name of
/// the theme's current skin, which the runtime configuration gives
/// ("ui/skinName", default "default").
class KZEMBAPLATFORM_EXPORT KDrawHelper
{
public:
    static QString getCurrentSkinNameFromTheme();
};

#endif

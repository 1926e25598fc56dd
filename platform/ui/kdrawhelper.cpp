#include "kdrawhelper.h"

#include "krt/kruntimeconfig.h"

QString KDrawHelper::getCurrentSkinNameFromTheme()
{
    return krt::KRuntimeConfig::value(QStringLiteral("ui/skinName"), QStringLiteral("default")).toString();
}

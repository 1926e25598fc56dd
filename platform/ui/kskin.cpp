#include "kskin.h"

#include "kdrawhelper.h"
#include "krt/kruntimeconfig.h"

KSkin::KSkin(QObject* parent)
    : QObject(parent)
{
}

QString KSkin::currentSkinName()
{
    return KDrawHelper::getCurrentSkinNameFromTheme();
}

bool KSkin::isDarkSkin()
{
    return KDrawHelper::getHintFromTheme(QStringLiteral("ZembaBaseConfig"), QStringLiteral("is-dark-skin"), 0).toInt()
        == 1;
}

void KSkin::setCurrentSkin(const QString& name)
{
    if (name.isEmpty() || name == currentSkinName())
        return;
    krt::KRuntimeConfig::setValue(QStringLiteral("ui/skinName"), name);
    emit skinChanged();
}

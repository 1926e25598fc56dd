#include "kskin.h"

KSkin::KSkin(QObject* parent)
    : QObject(parent)
{
}

KSkin::~KSkin() = default;

void KSkin::setSkinName(const QString& name)
{
    if (name == m_skinName)
        return;
    m_skinName = name;
    emit skinChanged();
}

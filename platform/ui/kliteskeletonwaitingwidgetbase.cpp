#include "kliteskeletonwaitingwidgetbase.h"

KLiteSkeletonWaitingWidgetBase::KLiteSkeletonWaitingWidgetBase(QWidget* parent)
    : QWidget(parent)
{
}

KLiteSkeletonWaitingWidgetBase::~KLiteSkeletonWaitingWidgetBase() = default;

void KLiteSkeletonWaitingWidgetBase::applySkin()
{
    ++m_skinApplications;
    update();
}

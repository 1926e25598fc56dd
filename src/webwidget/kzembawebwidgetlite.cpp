#include "kzembawebwidgetlite.h"

KZembaWebWidgetLite::KZembaWebWidgetLite(QWidget* parent, const QString& name, zemba::base::KZembaWidgetType type)
    : KZembaCommonWebWidget(parent, name, type)
{
}

KZembaWebWidgetLite::~KZembaWebWidgetLite() = default;

#ifndef KZEMBA_WEBWIDGET_KZEMBAWEBWIDGETLITE_H
#define KZEMBA_WEBWIDGET_KZEMBAWEBWIDGETLITE_H

#include "webwidget/kzembacommonwebwidget.h"

/// The plain common web widget that lite page hosts derive from.
class KZEMBAJSAPILITE_EXPORT KZembaWebWidgetLite : public KZembaCommonWebWidget
{
    Q_OBJECT
public:
    KZembaWebWidgetLite(QWidget* parent, const QString& name, zemba::base::KZembaWidgetType type);
    ~KZembaWebWidgetLite() override;
};

#endif

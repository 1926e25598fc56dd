#ifndef KZEMBA_OPEN_KXZEMBARESOURCELITEHANDLER_H
#define KZEMBA_OPEN_KXZEMBARESOURCELITEHANDLER_H

#include "kzembajsapilite_export.h"

#include "kxzembaresourcehandler.h"

/// The resource-shop page methods of the lite JS API: a split shop opens
/// through KxSplitResourceShopOpenLite with the call's arguments.
class KZEMBAJSAPILITE_EXPORT KxZembaResourceLiteHandler : public KxZembaResourceHandler
{
    Q_OBJECT
public:
    KxZembaResourceLiteHandler(QObject* parent, KxWebViewAsynJSObject* jsObject);
    ~KxZembaResourceLiteHandler() override;

public slots:
    void openSplitResourceShop(KxWebViewJSContext& context) override;
};

#endif

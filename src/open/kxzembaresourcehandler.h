#ifndef KZEMBA_OPEN_KXZEMBARESOURCEHANDLER_H
#define KZEMBA_OPEN_KXZEMBARESOURCEHANDLER_H

#include "kzembajsapilite_export.h"

#include <vdllite/kxwebviewjsapihandler.h>

#include <json/value.h>

class KxWebViewJSContext;

/// The page methods of the resource shop ("common.zembaresource"): the per-app
/// split-shop open mode, and opening a split shop, which each kind of JS API
/// supplies in its own subclass.
class KZEMBAJSAPILITE_EXPORT KxZembaResourceHandler : public KxWebViewJSApiHandler
{
    Q_OBJECT
public:
    KxZembaResourceHandler(QObject* parent, KxWebViewAsynJSObject* jsObject);
    ~KxZembaResourceHandler() override;

public slots:
    virtual void openSplitResourceShop(KxWebViewJSContext& context) = 0;
    void setOpenSplitResourceShopMode(KxWebViewJSContext& context);
    void getOpenSplitResourceShopMode(KxWebViewJSContext& context);

signals:
    // Emitted right before a split shop opens.
    void beforeOpenResourceShop();

protected:
    // The app id of the call, or empty after answering the call with the error.
    static QString requiredAppId(KxWebViewJSContext& context, const QVariantMap& args);
    static void answerError(KxWebViewJSContext& context, const char* message);
    static void answerOk(KxWebViewJSContext& context, const Json::Value& result);
};

#endif

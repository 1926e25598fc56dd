#include "kxzembaresourcelitehandler.h"

#include "kxsplitresourceshopopenlite.h"

#include <vdllite/kxwebviewjscontext.h>

KxZembaResourceLiteHandler::KxZembaResourceLiteHandler(QObject* parent, KxWebViewAsynJSObject* jsObject)
    : KxZembaResourceHandler(parent, jsObject)
{
}

KxZembaResourceLiteHandler::~KxZembaResourceLiteHandler() = default;

void KxZembaResourceLiteHandler::openSplitResourceShop(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context, true);
    const QString appId = requiredAppId(context, args);
    if (appId.isEmpty())
        return;
    emit beforeOpenResourceShop();
    answerOk(context, KxSplitResourceShopOpenLite::open(appId, args));
}

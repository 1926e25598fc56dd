#include "kxzembaresourcehandler.h"

#include "kxsplitresourceshopopenlite.h"

#include <vdllite/kxjsapiconstants.h>
#include <vdllite/kxwebviewjscontext.h>

KxZembaResourceHandler::KxZembaResourceHandler(QObject* parent, KxWebViewAsynJSObject* jsObject)
    : KxWebViewJSApiHandler(parent, jsObject)
{
}

KxZembaResourceHandler::~KxZembaResourceHandler() = default;

void KxZembaResourceHandler::setOpenSplitResourceShopMode(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context, true);
    const QString appId = requiredAppId(context, args);
    if (appId.isEmpty())
        return;
    if (!args.contains(QStringLiteral("mode"))) {
        answerError(context, "mode can not be empty.");
        return;
    }
    // A mode that is not a number is stored as the popup mode.
    setSplitResourceShopMode(appId, args.value(QStringLiteral("mode")).toInt());
    answerOk(context, true);
}

void KxZembaResourceHandler::getOpenSplitResourceShopMode(KxWebViewJSContext& context)
{
    const QString appId = requiredAppId(context, parseContextArgs(context, true));
    if (appId.isEmpty())
        return;
    answerOk(context, getSplitResourceShopMode(appId));
}

QString KxZembaResourceHandler::requiredAppId(KxWebViewJSContext& context, const QVariantMap& args)
{
    const QString appId = args.value(QStringLiteral("appId")).toString();
    if (appId.isEmpty())
        answerError(context, "appId can not be empty.");
    return appId;
}

void KxZembaResourceHandler::answerError(KxWebViewJSContext& context, const char* message)
{
    context.result()[g_str_callstatus] = g_str_error;
    context.result()[g_str_errormsg] = message;
}

void KxZembaResourceHandler::answerOk(KxWebViewJSContext& context, const Json::Value& result)
{
    context.result()[g_str_callstatus] = g_str_ok;
    context.result()[g_str_errormsg] = g_str_ok;
    context.result()[g_str_result] = result;
}

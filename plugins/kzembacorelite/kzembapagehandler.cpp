#include "kzembapagehandler.h"

#include <vdllite/jsonhelper.h>
#include <vdllite/kxjsapiconstants.h>
#include <vdllite/kxwebviewjscontext.h>

KZembaPageHandler::KZembaPageHandler(const QString& name, const QMap<QString, Method>& methods, QObject* parent,
                                     KxWebViewAsynJSObject* jsObject)
    : KxWebViewJSApiHandler(parent, jsObject)
    , m_name(name)
    , m_methods(methods)
{
}

bool KZembaPageHandler::invokeJsMethod(const QString& method, KxWebViewJSContext& context)
{
    const auto it = m_methods.constFind(method);
    if (it == m_methods.constEnd())
        return false;
    it.value()(*this, context);
    return true;
}

void KZembaPageHandler::ok(KxWebViewJSContext& context, const QVariant& result)
{
    context.result()[g_str_callstatus] = g_str_ok;
    context.result()[g_str_result] = JsonHelper::variantToJsonValue(result);
}

void KZembaPageHandler::error(KxWebViewJSContext& context, const QString& message)
{
    context.result()[g_str_callstatus] = g_str_error;
    context.result()[g_str_errormsg] = message.toStdString();
}

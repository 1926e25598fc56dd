#include "ktestjsapihandler.h"

#include <vdllite/kxjsapiconstants.h>
#include <vdllite/kxwebviewjscontext.h>

KTestJsApiHandler::KTestJsApiHandler(const QString& name, QObject* parent, KxWebViewAsynJSObject* jsObject)
    : KxWebViewJSApiHandler(parent, jsObject)
    , m_name(name)
{
}

void KTestJsApiHandler::ping(KxWebViewJSContext& context)
{
    context.result()[g_str_callstatus] = g_str_ok;
    context.result()["handler"] = m_name.toStdString();
}

#include "ktestcommonjsapi.h"

#include <vdllite/kxjsapiconstants.h>

KTestCommonJsApi::KTestCommonJsApi(KxWebViewContainer* container, QWidget* host)
    : KZembaCommonJsApi(container, host)
{
}

QWidget* KTestCommonJsApi::widgetParent()
{
    return hostWidget();
}

void KTestCommonJsApi::initZembaResourceHandler()
{
    ++resourceHandlerInits;
}

void KTestCommonJsApi::publishMsg(zemba::FunctionError error, const QString& message)
{
    publishedMessages.append(qMakePair(static_cast<int>(error), message));
}

static void notSupported(KxWebViewJSContext& context)
{
    context.result()[g_str_callstatus] = g_str_error;
    context.result()[g_str_errormsg] = "not supported by this host";
}

void KTestCommonJsApi::getSkinColorConfig(KxWebViewJSContext& context)
{
    notSupported(context);
}

void KTestCommonJsApi::getSkinHintConfig(KxWebViewJSContext& context)
{
    notSupported(context);
}

void KTestCommonJsApi::openZembaUnifyPayDlg(KxWebViewJSContext& context)
{
    notSupported(context);
}

void KTestCommonJsApi::checkFontsExist(KxWebViewJSContext& context)
{
    notSupported(context);
}

#include "kjscallapi.h"

#include <vdllite/kxjsapiconstants.h>

KJsCallApi::KJsCallApi(KxWebViewContainer* container, QWidget* host)
    : KZembaCommonJsApi(container, host)
{
}

QWidget* KJsCallApi::widgetParent()
{
    return hostWidget();
}

void KJsCallApi::initZembaResourceHandler()
{
}

void KJsCallApi::answerNotSupported(KxWebViewJSContext& context)
{
    context.result()[g_str_callstatus] = g_str_error;
    context.result()[g_str_errormsg] = "not supported by zemba-jscall";
}

void KJsCallApi::getSkinColorConfig(KxWebViewJSContext& context)
{
    answerNotSupported(context);
}

void KJsCallApi::getSkinHintConfig(KxWebViewJSContext& context)
{
    answerNotSupported(context);
}

void KJsCallApi::openZembaUnifyPayDlg(KxWebViewJSContext& context)
{
    answerNotSupported(context);
}

void KJsCallApi::checkFontsExist(KxWebViewJSContext& context)
{
    answerNotSupported(context);
}

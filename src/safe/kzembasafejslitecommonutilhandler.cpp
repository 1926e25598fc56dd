#include "kzembasafejslitecommonutilhandler.h"

#include "util/kzembacommonutilhandler.h"

#include <krt/kdirs.h>
#include <krt/kprocess.h>
#include <vdllite/kxjsapiconstants.h>
#include <vdllite/kxwebviewjscontext.h>

KZembaSafeJsLiteCommonUtilHandler::KZembaSafeJsLiteCommonUtilHandler(QObject* parent, KxWebViewAsynJSObject* jsObject)
    : KxWebViewJSApiHandler(parent, jsObject)
    , m_utilHandler(new KZembaCommonUtilHandler(this, jsObject))
{
}

KZembaSafeJsLiteCommonUtilHandler::~KZembaSafeJsLiteCommonUtilHandler() = default;

void KZembaSafeJsLiteCommonUtilHandler::canOpenApp(KxWebViewJSContext& context)
{
    m_utilHandler->canOpenApp(context);
}

void KZembaSafeJsLiteCommonUtilHandler::openApp(KxWebViewJSContext& context)
{
    m_utilHandler->openApp(context);
}

void KZembaSafeJsLiteCommonUtilHandler::isFileExist(KxWebViewJSContext& context)
{
    m_utilHandler->isFileExist(context);
}

void KZembaSafeJsLiteCommonUtilHandler::innerOpenUrl(KxWebViewJSContext& context)
{
    m_utilHandler->innerOpenUrl(context);
}

void KZembaSafeJsLiteCommonUtilHandler::openUrl(KxWebViewJSContext& context)
{
    m_utilHandler->openUrl(context);
}

void KZembaSafeJsLiteCommonUtilHandler::support(KxWebViewJSContext& context)
{
    m_utilHandler->support(context);
}

void KZembaSafeJsLiteCommonUtilHandler::getPrivilegeSwitch(KxWebViewJSContext& context)
{
    m_utilHandler->getPrivilegeSwitch(context);
}

void KZembaSafeJsLiteCommonUtilHandler::openZembaPage(KxWebViewJSContext& context)
{
    m_utilHandler->openZembaPage(context);
}

void KZembaSafeJsLiteCommonUtilHandler::download(KxWebViewJSContext& context)
{
    const QVariantMap args = parseContextArgs(context, true);
    const QString url = args.value(QStringLiteral("url")).toString();
    if (url.isEmpty() || !krt::ksafe::KProcess::checkUrl(url)) {
        context.result()[g_str_callstatus] = g_str_error;
        context.result()["msg"] = "empty url or is not legal";
        return;
    }
    if (krt::dirs::inBlackDownloadDir(args.value(QStringLiteral("path")).toString())) {
        context.result()[g_str_callstatus] = g_str_error;
        context.result()["message"] = "select file is not legal";
        return;
    }
    m_utilHandler->download(context);
}

void KZembaSafeJsLiteCommonUtilHandler::reportTaskCenterInfo(KxWebViewJSContext& context)
{
    m_utilHandler->reportTaskCenterInfo(context);
}
